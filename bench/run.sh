#!/usr/bin/env bash
# Runs the benchmarks side by side on generated 1,000,000 x 8 tables and prints their figures:
#   bench/run.sh [ROWS]
# Peers (pandas, numdiff) run on the same files when they are installed; their ratio to
# Tallir's engine is printed. Data goes to build/bench-data and is made once.
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-1000000}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target make_tables bench_engine bench_windows bench_align tallir-diff >/dev/null
cmake --build build -j"$(nproc)" --target tallir-diff-mpi >/dev/null 2>&1 || true # where MPI is found
data=build/bench-data
mkdir -p "$data"
for kind in same reformatted perturbed perturbed-gross; do
    [ -s "$data/$kind-$rows-2.txt" ] || build/bin/make_tables "$kind" "$rows" 8 "$data/$kind-$rows-1.txt" "$data/$kind-$rows-2.txt"
done

# Wall seconds of one command, the command's own output to stderr.
seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" >&2
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
best() { # best of three runs
    local best="" t
    for _ in 1 2 3; do
        t=$(seconds "$@")
        if [ -z "$best" ] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
    done
    echo "$best"
}

# Peak memory of a command in kilobytes.
peak() { { /usr/bin/time -f %M "$@" >/dev/null || true; } 2>&1 | tail -n 1; }

declare -A window_seconds
for kind in same reformatted perturbed perturbed-gross; do
    one="$data/$kind-$rows-1.txt"
    two="$data/$kind-$rows-2.txt"
    inputs=$(( $(stat -c %s "$one") + $(stat -c %s "$two") ))
    echo "== case \"$kind\": $(du -m "$one" | cut -f1) MB + $(du -m "$two" | cut -f1) MB"
    engine=$(best build/bin/bench_engine "$one" "$two")
    printf 'tallir engine (whole process): %.3f s\n' "$engine"
    diff=$(best bash -c "build/bin/tallir-diff '$one' '$two' >/dev/null; [ \$? -le 1 ]")
    printf 'tallir-diff (whole process):   %.3f s  (%.2f x engine)\n' "$diff" "$(echo "$diff / $engine" | bc -l)"
    quiet=$(best bash -c "build/bin/tallir-diff -q '$one' '$two'; [ \$? -le 1 ]")
    kilobytes=$(peak build/bin/tallir-diff -q "$one" "$two")
    printf 'tallir-diff -q, streaming:     %.3f s, peak %d MB = %.3f x inputs\n' "$quiet" $((kilobytes / 1024)) \
        "$(echo "$kilobytes * 1024 / $inputs" | bc -l)"
    whole=$(best bash -c "build/bin/tallir-diff -q --full '$one' '$two'; [ \$? -le 1 ]")
    kilobytes=$(peak build/bin/tallir-diff -q --full "$one" "$two")
    printf 'tallir-diff -q --full (whole): %.3f s, peak %d MB = %.2f x inputs\n' "$whole" $((kilobytes / 1024)) \
        "$(echo "$kilobytes * 1024 / $inputs" | bc -l)"
    # The window path: the best of three runs by load and compare, all its figures from that run.
    windows=""
    for _ in 1 2 3; do
        run=$(build/bin/bench_windows "$one" "$two" 2>/dev/null)
        this=$(echo "$run" | sed -n 's/.*load and compare \([0-9.]*\) s.*/\1/p')
        kept=$(echo "$windows" | sed -n 's/.*load and compare \([0-9.]*\) s.*/\1/p')
        if [ -z "$kept" ] || (( $(echo "$this < $kept" | bc -l) )); then windows=$run; fi
    done
    echo "$windows"
    window_seconds[$kind]=$(echo "$windows" | sed -n 's/.*load and compare \([0-9.]*\) s.*/\1/p')
    if [ "$kind" = perturbed ] && [ -n "${window_seconds[same]:-}" ]; then
        printf 'window path, load and compare: %.2f x the same-format case\n' \
            "$(echo "${window_seconds[perturbed]} / ${window_seconds[same]}" | bc -l)"
    fi
    if [ -n "${TALLIR_BENCH_NO_PEERS:-}" ]; then continue; fi
    if /usr/bin/python3 -c 'import pandas' 2>/dev/null; then
        pandas=$(best /usr/bin/python3 bench/peer_pandas.py "$one" "$two")
        printf 'pandas read and compare:       %.3f s  (engine %.1f x, tallir-diff -q %.1f x faster)\n' "$pandas" \
            "$(echo "$pandas / $engine" | bc -l)" "$(echo "$pandas / $quiet" | bc -l)"
        printf 'text report against pandas:    %.1f x faster (aim on "same": 15 x)\n' "$(echo "$pandas / $diff" | bc -l)"
        # Every cell read as a number and tested against a tolerance: nothing stops early.
        tolerant=$(best bash -c "build/bin/tallir-diff -q -r 1e-6 '$one' '$two'; [ \$? -le 1 ]")
        printf 'tallir-diff -q -r 1e-6:        %.3f s  (%.1f x faster than pandas; aim on "perturbed": 6 x)\n' "$tolerant" \
            "$(echo "$pandas / $tolerant" | bc -l)"
        # -q stops comparing at the first cell beyond the tolerance; the streamed comparison of
        # every cell (for the figures) beside pandas as well.
        every=$(build/bin/bench_engine "$one" "$two" | sed -n 's/.*every cell compared \([0-9.]*\) s.*/\1/p')
        printf 'every cell compared, streamed: %.3f s  (%.1f x faster than pandas)\n' "$every" "$(echo "$pandas / $every" | bc -l)"
    fi
    if command -v numdiff >/dev/null; then
        numdiff=$(seconds bash -c "numdiff -q '$one' '$two'; true")
        printf 'numdiff:                       %.3f s  (tallir is %.1f x faster)\n' "$numdiff" "$(echo "$numdiff / $engine" | bc -l)"
    fi
done

# Compressed inputs: decompressing runs on threads of its own, beside reading and comparing.
for kind in same perturbed; do
    for n in 1 2; do
        [ -s "$data/$kind-$rows-$n.txt.gz" ] || gzip -1 -k -c "$data/$kind-$rows-$n.txt" > "$data/$kind-$rows-$n.txt.gz"
    done
    one="$data/$kind-$rows-1.txt.gz"
    two="$data/$kind-$rows-2.txt.gz"
    echo "== case \"$kind\" gzipped: $(du -m "$one" | cut -f1) MB + $(du -m "$two" | cut -f1) MB"
    zcat_both=$(best bash -c "zcat '$one' >/dev/null & zcat '$two' >/dev/null; wait")
    compressed=$(best bash -c "build/bin/tallir-diff -q '$one' '$two'; [ \$? -le 1 ]")
    printf 'zcat of both, side by side:    %.3f s\n' "$zcat_both"
    printf 'tallir-diff -q on the .gz:     %.3f s  (%.2f x zcat)\n' "$compressed" "$(echo "$compressed / $zcat_both" | bc -l)"
done

# The reports made while the files are read, each against the text report: time and peak memory.
# With a third argument, one run each (for files too large to run thrice).
streamed_reports() {
    local one=$1 two=$2 once=${3:-} text text_peak mode took took_peak
    local timer=best
    [ -n "$once" ] && timer=seconds
    text=$($timer bash -c "build/bin/tallir-diff '$one' '$two' >/dev/null; [ \$? -le 1 ]")
    text_peak=$(peak build/bin/tallir-diff "$one" "$two")
    printf 'text report:                   %.3f s, peak %d MB\n' "$text" $((text_peak / 1024))
    for mode in --json "--html $data/streamed.html"; do
        took=$($timer bash -c "build/bin/tallir-diff $mode '$one' '$two' >/dev/null; [ \$? -le 1 ]")
        took_peak=$(peak build/bin/tallir-diff $mode "$one" "$two")
        printf '%-30s %.3f s  (%.2f x the text report), peak %d MB\n' "tallir-diff ${mode%% *}:" "$took" \
            "$(echo "$took / $text" | bc -l)" $((took_peak / 1024))
    done
}
for kind in same perturbed; do
    echo "== case \"$kind\": the reports streamed"
    streamed_reports "$data/$kind-$rows-1.txt" "$data/$kind-$rows-2.txt"
done

# Rows by keys out of order, each file in an order of its own (sorted on disk), against the same
# files sorted by key: time, and peak memory in the default memory for sorting and in 16 MB; the
# whole tables' peak unless timed once (a third argument).
shuffled_keys() {
    local one=$1 two=$2 once=${3:-} timer=best in_order sorted small kilobytes small_kilobytes whole
    [ -n "$once" ] && timer=seconds
    local sorted1="${one%.txt}-sorted.txt" sorted2="${two%.txt}-sorted.txt"
    [ -s "$sorted2" ] || { LC_ALL=C sort -n -k1,1 -S 1G "$one" > "$sorted1" && LC_ALL=C sort -n -k1,1 -S 1G "$two" > "$sorted2"; }
    in_order=$($timer bash -c "build/bin/tallir-diff --key 1 '$sorted1' '$sorted2' >/dev/null; [ \$? -le 1 ]")
    sorted=$($timer bash -c "build/bin/tallir-diff --key 1 '$one' '$two' >/dev/null; [ \$? -le 1 ]")
    kilobytes=$(peak build/bin/tallir-diff --key 1 "$one" "$two")
    printf 'by key, keys in order:         %.3f s\n' "$in_order"
    printf 'by key, out of order (sorted): %.3f s  (%.2f x keys in order), peak %d MB\n' "$sorted" \
        "$(echo "$sorted / $in_order" | bc -l)" $((kilobytes / 1024))
    small=$($timer bash -c "build/bin/tallir-diff --key 1 --sort-memory 16M '$one' '$two' >/dev/null; [ \$? -le 1 ]")
    small_kilobytes=$(peak build/bin/tallir-diff --key 1 --sort-memory 16M "$one" "$two")
    printf 'the same, --sort-memory 16M:   %.3f s  (%.2f x keys in order), peak %d MB\n' "$small" \
        "$(echo "$small / $in_order" | bc -l)" $((small_kilobytes / 1024))
    if [ -z "$once" ]; then
        whole=$(peak build/bin/tallir-diff --full --key 1 "$one" "$two")
        printf 'the whole tables (--full):     peak %d MB\n' $((whole / 1024))
    fi
}

# Files larger than comfortable: the same-format pair repeated to about 4 GB each (set
# TALLIR_BENCH_HUGE=1; it takes 8 GB of disk).
if [ -n "${TALLIR_BENCH_HUGE:-}" ]; then
    for n in 1 2; do
        huge="$data/huge-$n.txt"
        [ -s "$huge" ] || for _ in $(seq 31); do cat "$data/same-$rows-$n.txt"; done > "$huge"
    done
    inputs=$(( $(stat -c %s "$data/huge-1.txt") + $(stat -c %s "$data/huge-2.txt") ))
    echo "== case \"huge\": $((inputs / 2 / 1048576)) MB + $((inputs / 2 / 1048576)) MB"
    huge_seconds=$(seconds bash -c "build/bin/tallir-diff -q '$data/huge-1.txt' '$data/huge-2.txt'; [ \$? -le 1 ]")
    kilobytes=$(peak build/bin/tallir-diff -q "$data/huge-1.txt" "$data/huge-2.txt")
    printf 'tallir-diff -q:                %.3f s = %.0f MB/s of input, peak %d MB\n' "$huge_seconds" \
        "$(echo "$inputs / 1048576 / $huge_seconds" | bc -l)" $((kilobytes / 1024))
    streamed_reports "$data/huge-1.txt" "$data/huge-2.txt" 1
    huge_rows=$((rows * 31))
    [ -s "$data/keyed-shuffled-$huge_rows-2.txt" ] ||
        build/bin/make_tables keyed-shuffled "$huge_rows" 8 "$data/keyed-shuffled-$huge_rows-1.txt" "$data/keyed-shuffled-$huge_rows-2.txt"
    echo "== case \"huge keyed-shuffled\": $(du -m "$data/keyed-shuffled-$huge_rows-1.txt" | cut -f1) MB + $(du -m "$data/keyed-shuffled-$huge_rows-2.txt" | cut -f1) MB, keys out of order"
    shuffled_keys "$data/keyed-shuffled-$huge_rows-1.txt" "$data/keyed-shuffled-$huge_rows-2.txt" 1
    # The windows on ten million rows.
    big=$((rows * 10))
    [ -s "$data/same-$big-2.txt" ] || build/bin/make_tables same "$big" 8 "$data/same-$big-1.txt" "$data/same-$big-2.txt"
    echo "== case \"same\", $big rows: $(du -m "$data/same-$big-1.txt" | cut -f1) MB + $(du -m "$data/same-$big-2.txt" | cut -f1) MB"
    build/bin/bench_windows "$data/same-$big-1.txt" "$data/same-$big-2.txt" 2>/dev/null
fi

# A pair larger than this machine's memory (TALLIR_BENCH_LARGER=1; 2 x 12 GB of disk): the windows
# open, compare and navigate it; their anonymous memory is printed against the 2 GB it must stay under.
if [ -n "${TALLIR_BENCH_LARGER:-}" ]; then
    larger=$((rows * 91))
    [ -s "$data/same-$larger-2.txt" ] || build/bin/make_tables same "$larger" 8 "$data/same-$larger-1.txt" "$data/same-$larger-2.txt"
    echo "== case \"same\", $larger rows: $(du -m "$data/same-$larger-1.txt" | cut -f1) MB + $(du -m "$data/same-$larger-2.txt" | cut -f1) MB"
    report=$(seconds bash -c "build/bin/tallir-diff '$data/same-$larger-1.txt' '$data/same-$larger-2.txt' >/dev/null; [ \$? -le 1 ]")
    printf 'tallir-diff text report:       %.3f s\n' "$report"
    run=$(build/bin/bench_windows "$data/same-$larger-1.txt" "$data/same-$larger-2.txt" 2>/dev/null)
    echo "$run"
    windows=$(echo "$run" | sed -n 's/.*load and compare \([0-9.]*\) s.*/\1/p')
    printf 'windows, load and compare:     %.2f x the text report (anonymous memory aim: under 2048 MB)\n' \
        "$(echo "$windows / $report" | bc -l)"
fi

# Many short lines: what a row costs beyond its bytes.
short_rows=$((rows * 10))
one="$data/short-$short_rows-1.txt"
two="$data/short-$short_rows-2.txt"
[ -s "$two" ] || build/bin/make_tables short "$short_rows" 1 "$one" "$two"
inputs=$(( $(stat -c %s "$one") + $(stat -c %s "$two") ))
echo "== case \"short\": $short_rows lines of one short value, $(du -m "$one" | cut -f1) MB + $(du -m "$two" | cut -f1) MB"
kilobytes=$( { /usr/bin/time -f %M build/bin/tallir-diff -q "$one" "$two" >/dev/null || true; } 2>&1 | tail -n 1)
printf 'tallir-diff peak memory:       %d MB = %.2f x inputs\n' $((kilobytes / 1024)) "$(echo "$kilobytes * 1024 / $inputs" | bc -l)"
build/bin/bench_windows "$one" "$two" | head -n 1

# One row of 160,000 values: every column fitted and shown in the windows.
one="$data/wide-160000-1.txt"
two="$data/wide-160000-2.txt"
[ -s "$two" ] || build/bin/make_tables perturbed 1 160000 "$one" "$two"
echo "== case \"wide\": one row of 160,000 values"
build/bin/bench_windows "$one" "$two" 2>/dev/null | head -n 1

# Two runs that agree but in the 13th digit: a relative tolerance removes the noise.
one="$data/perturbed-$rows-1.txt"
two="$data/perturbed-$rows-2.txt"
[ -s "$two" ] || build/bin/make_tables perturbed "$rows" 8 "$one" "$two"
echo "== case \"perturbed\": every value differs in the 13th digit, $(du -m "$one" | cut -f1) MB + $(du -m "$two" | cut -f1) MB"
plain=$(best bash -c "build/bin/tallir-diff '$one' '$two' >/dev/null; [ \$? -le 1 ]")
tolerant=$(best bash -c "build/bin/tallir-diff -r 1e-9 '$one' '$two' >/dev/null; [ \$? -le 1 ]")
listed=$(build/bin/tallir-diff -r 1e-9 "$one" "$two" | grep -c '^R[0-9]* C[0-9]*	' || true)
status=0
build/bin/tallir-diff -q -r 1e-9 "$one" "$two" || status=$?
printf 'tallir-diff, no tolerance:     %.3f s\n' "$plain"
printf 'tallir-diff -r 1e-9:           %.3f s  (%.2f x the run without), %d cells listed, exit status %d\n' \
    "$tolerant" "$(echo "$tolerant / $plain" | bc -l)" "$listed" "$status"
# Reading NaN, infinities and D exponents too (--nan --fortran), against the decimal grammar
# alone: on the same-format pair (few numbers to read) and on this one (every pair read).
for kind in same perturbed; do
    a="$data/$kind-$rows-1.txt"
    b="$data/$kind-$rows-2.txt"
    decimal=$(best bash -c "build/bin/tallir-diff '$a' '$b' >/dev/null; [ \$? -le 1 ]")
    extended=$(best bash -c "build/bin/tallir-diff --nan --fortran '$a' '$b' >/dev/null; [ \$? -le 1 ]")
    printf 'tallir-diff --nan --fortran:   %.3f s on "%s"  (%.2f x without them, %.3f s)\n' "$extended" "$kind" \
        "$(echo "$extended / $decimal" | bc -l)" "$decimal"
done
# The windows under the precision rule at 6 and 14 digits, "S" hidden and shown: first paint,
# keys, F8 and the row filter (targets 50, 20, 20 and 100 ms).
build/bin/bench_windows "$one" "$two" --tolerance | grep '^precision rule'

# Columns matched by name: FILE2's columns reversed, against the same pair in order.
for kind in named named-shuffled; do
    [ -s "$data/$kind-$rows-2.txt" ] || build/bin/make_tables "$kind" "$rows" 8 "$data/$kind-$rows-1.txt" "$data/$kind-$rows-2.txt"
done
echo "== case \"named\": a names line, FILE2's columns in order or reversed"
in_order=$(best bash -c "build/bin/tallir-diff -q --names '$data/named-$rows-1.txt' '$data/named-$rows-2.txt'; [ \$? -le 1 ]")
reversed=$(best bash -c "build/bin/tallir-diff -q --names '$data/named-shuffled-$rows-1.txt' '$data/named-shuffled-$rows-2.txt'; [ \$? -le 1 ]")
printf 'tallir-diff --names, in order: %.3f s\n' "$in_order"
printf 'tallir-diff --names, reversed: %.3f s  (%.2f x in order)\n' "$reversed" "$(echo "$reversed / $in_order" | bc -l)"
by_name=$(best bash -c "build/bin/tallir-diff --names '$data/named-shuffled-$rows-1.txt' '$data/named-shuffled-$rows-2.txt' >/dev/null; [ \$? -le 1 ]")
by_place=$(best bash -c "build/bin/tallir-diff '$data/named-shuffled-$rows-1.txt' '$data/named-shuffled-$rows-2.txt' >/dev/null; [ \$? -le 1 ]")
kilobytes=$(peak build/bin/tallir-diff --names "$data/named-shuffled-$rows-1.txt" "$data/named-shuffled-$rows-2.txt")
printf 'the text report by name:       %.3f s  (%.2f x by position, which differs everywhere), peak %d MB\n' "$by_name" \
    "$(echo "$by_name / $by_place" | bc -l)" $((kilobytes / 1024))

# Rows paired by a key column in order, read as they come (each file twice): against the text
# report by position on the same rows, and with a row in 10,000 left out of FILE2.
keyed1="$data/keyed-$rows-1.txt"
keyed2="$data/keyed-$rows-2.txt"
gapped2="$data/keyed-gapped-$rows-2.txt"
if [ ! -s "$gapped2" ]; then
    awk '{print NR, $0}' "$data/same-$rows-1.txt" > "$keyed1"
    awk '{print NR, $0}' "$data/same-$rows-2.txt" > "$keyed2"
    awk 'NR % 10000 != 5000 {print NR, $0}' "$data/same-$rows-2.txt" > "$gapped2"
fi
echo "== case \"keyed\": $rows rows with a key column in order"
by_place=$(best bash -c "build/bin/tallir-diff '$keyed1' '$keyed2' >/dev/null; [ \$? -le 1 ]")
by_key=$(best bash -c "build/bin/tallir-diff --key 1 '$keyed1' '$keyed2' >/dev/null; [ \$? -le 1 ]")
gapped=$(best bash -c "build/bin/tallir-diff --key 1 '$keyed1' '$gapped2' >/dev/null; [ \$? -le 1 ]")
kilobytes=$(peak build/bin/tallir-diff --key 1 "$keyed1" "$gapped2")
whole=$(peak build/bin/tallir-diff --full --key 1 "$keyed1" "$gapped2")
printf 'text report by position:       %.3f s\n' "$by_place"
printf 'the same by key, streamed:     %.3f s  (%.2f x by position)\n' "$by_key" "$(echo "$by_key / $by_place" | bc -l)"
printf 'by key, 100 rows left out:     %.3f s  (%.2f x), peak %d MB (whole tables: %d MB)\n' "$gapped" \
    "$(echo "$gapped / $by_place" | bc -l)" $((kilobytes / 1024)) $((whole / 1024))

echo "== case \"keyed-shuffled\": $rows rows, the keys out of order, a row in 10,000 left out of FILE2"
shuffled1="$data/keyed-shuffled-$rows-1.txt"
shuffled2="$data/keyed-shuffled-$rows-2.txt"
[ -s "$shuffled2" ] || build/bin/make_tables keyed-shuffled "$rows" 8 "$shuffled1" "$shuffled2"
shuffled_keys "$shuffled1" "$shuffled2"

# tallir-diff-mpi with 1, 2 and 4 processes on this machine against tallir-diff, every cell
# compared (-q with a tolerance that none is beyond, so that nothing stops early); and the text
# report of the same-format pair, which passes through mpirun.
if [ -x build/bin/tallir-diff-mpi ] && command -v mpirun >/dev/null; then
    mpi="mpirun --oversubscribe --bind-to none"
    [ "$(id -u)" -eq 0 ] && mpi="$mpi --allow-run-as-root"
    echo "== case \"mpi\": tallir-diff-mpi on this machine ($(nproc) processors)"
    # By key too: in order (a row in 10,000 left out of FILE2) and out of order.
    for kind in same perturbed keyed keyed-shuffled; do
        one="$data/$kind-$rows-1.txt"
        two="$data/$kind-$rows-2.txt"
        key=""
        [ "$kind" = keyed ] && two="$gapped2"
        case $kind in keyed*) key="--key 1" ;; esac
        alone=$(best bash -c "build/bin/tallir-diff $key -q -r 1e-5 '$one' '$two'; [ \$? -le 1 ]")
        printf 'tallir-diff %s -q -r 1e-5, "%s": %.3f s\n' "$key" "$kind" "$alone"
        for n in 1 2 4; do
            together=$(best bash -c "$mpi -n $n build/bin/tallir-diff-mpi $key -q -r 1e-5 '$one' '$two' 2>/dev/null; [ \$? -le 1 ]")
            printf '  tallir-diff-mpi, %d processes: %.3f s  (%.2f x tallir-diff)\n' "$n" "$together" "$(echo "$together / $alone" | bc -l)"
        done
    done
    one="$data/same-$rows-1.txt"
    two="$data/same-$rows-2.txt"
    alone=$(best bash -c "build/bin/tallir-diff '$one' '$two' >/dev/null; [ \$? -le 1 ]")
    together=$(best bash -c "$mpi -n 2 build/bin/tallir-diff-mpi '$one' '$two' >/dev/null 2>&1; [ \$? -le 1 ]")
    kilobytes=$(peak $mpi -n 2 build/bin/tallir-diff-mpi "$one" "$two")
    printf 'the text report, 2 processes:  %.3f s  (%.2f x tallir-diff), the largest process peaks at %d MB\n' "$together" \
        "$(echo "$together / $alone" | bc -l)" $((kilobytes / 1024))
fi

# Rows paired by a key column or around identical rows: 100 rows left out of each file.
echo "== case \"aligned\": $rows rows, 100 left out of each file"
build/bin/bench_align "$rows"

# The HTML report of a comparison where every cell differs: on top of the whole-table comparison.
one="$data/perturbed-$rows-1.txt"
two="$data/perturbed-$rows-2.txt"
echo "== case \"report\": the HTML page of the perturbed pair"
plain=$(best bash -c "build/bin/tallir-diff -q --full '$one' '$two'; [ \$? -le 1 ]")
page=$(best bash -c "build/bin/tallir-diff -q --full --html '$data/report.html' '$one' '$two'; [ \$? -le 1 ]")
printf 'tallir-diff -q --full:         %.3f s\n' "$plain"
printf 'the same with --html:          %.3f s  (the page: %.3f s, %d KB)\n' "$page" "$(echo "$page - $plain" | bc -l)" \
    $(( $(stat -c %s "$data/report.html") / 1024 ))
