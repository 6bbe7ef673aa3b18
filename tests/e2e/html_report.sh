#!/usr/bin/env bash
# The HTML report in a real browser: tallir-diff --html on a pair with a known number of
# differing cells, rendered by headless Chromium to a PNG kept in the artefacts; the page must
# load without console errors and show exactly that many differing-cell rows.
#   html_report.sh TALLIR-DIFF ARTIFACTS
set -euo pipefail
diff=$1
artifacts=$2
name=html-report
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
browser=$(command -v chromium || command -v chromium-browser || true)
[ -n "$browser" ] || { echo "FAIL: no chromium to render the report with"; exit 1; }

# 30 rows; rows 5, 10, ... differ: a digit in column 2, a text in column 3 (12 cells in all).
for r in $(seq 1 30); do
    echo "$r 1.5 a" >> "$work/a.txt"
    if [ $((r % 5)) -eq 0 ]; then echo "$r 1.6 <b>&amp;" >> "$work/b.txt"; else echo "$r 1.5 a" >> "$work/b.txt"; fi
done
status=0
"$diff" --html "$work/report.html" "$work/a.txt" "$work/b.txt" > /dev/null || status=$?
[ "$status" -eq 1 ] || { echo "FAIL: tallir-diff ended with $status"; exit 1; }

# Chromium runs as root only without its sandbox; it has no profile of its own here. Its
# sockets live in its profile and temporary folders, whose paths must stay short (a socket's
# path has at most 107 bytes), whatever TMPDIR is.
short=$(mktemp -d /tmp/tallir-chromium.XXXXXX)
trap 'rm -rf "$work" "$short"' EXIT
run_browser() {
    TMPDIR=$short XDG_RUNTIME_DIR=$short timeout 60 "$browser" --headless --no-sandbox --disable-gpu --no-first-run \
        --user-data-dir="$short/profile" --enable-logging=stderr --v=0 "$@" "file://$work/report.html"
}
run_browser --screenshot="$artifacts/$name.png" --window-size=1100,2400 2> "$work/shot.log" ||
    { cat "$work/shot.log"; echo "FAIL: chromium could not render the page"; exit 1; }
[ -s "$artifacts/$name.png" ] || { echo "FAIL: no screenshot"; exit 1; }
run_browser --dump-dom > "$work/dom.html" 2> "$work/console.log" || { echo "FAIL: chromium could not load the page"; exit 1; }

if grep -E "CONSOLE|Uncaught|Refused to load" "$work/console.log"; then
    echo "FAIL: the page logged to the console"
    exit 1
fi
rows=$(grep -o '<tr class="cell">' "$work/dom.html" | wc -l)
[ "$rows" -eq 12 ] || { echo "FAIL: $rows differing-cell rows in the rendered page, 12 expected"; exit 1; }
# The texts reached the page as texts.
grep -q '&lt;b&gt;&amp;amp;' "$work/dom.html" || { echo "FAIL: a cell's text was not escaped"; exit 1; }
echo "ok: rendered to $artifacts/$name.png, 12 differing-cell rows, no console messages"
