#!/usr/bin/env bash
# Starts tallir, then a second copy with two files: the second must show "PrevInstance = True",
# hand its files over to the first (which loads and, with immediate comparison on, compares
# them) and end, leaving one process. Then a copy on another X display runs beside the first.
# Runs inside an X server (xvfb-run); usage: single_instance.sh TALLIR ARTIFACT_DIR
set -u
tallir=$1
artifacts=$2
mkdir -p "$artifacts"
export TALLIR_SETTINGS_DIR=$(mktemp -d)
export QT_QPA_PLATFORM=xcb
export TALLIR_INSTANCE_KEY="e2e $(basename "$0") $$"
caption='Tallir Ver.1.0 Rev.109'
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done; rm -rf "$TALLIR_SETTINGS_DIR"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; xwd -root -silent -out "$artifacts/single_instance-failure.xwd" 2>/dev/null; exit 1; }

work=$(mktemp -d)
printf '1 2\n3 4\n' > "$work/a.txt"
printf '1 2\n3 5\n' > "$work/b.txt"
printf '[Option]\nImmediateCompare=1\n' > "$TALLIR_SETTINGS_DIR/Tallir.ini"

"$tallir" & first=$!; pids+=("$first")
frame=$(timeout 20 xdotool search --sync --onlyvisible --name "^$caption\$" | head -n 1)
[ -n "$frame" ] || fail "the first copy shows no frame"

"$tallir" & second=$!; pids+=("$second")
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tallir$' | head -n 1)
[ -n "$box" ] || fail "the second copy shows no message box"
xwd -root -silent -out "$artifacts/single_instance-message.xwd" 2>/dev/null
xdotool windowfocus --sync "$box" key Return

for _ in $(seq 100); do kill -0 "$second" 2>/dev/null || break; sleep 0.1; done
kill -0 "$second" 2>/dev/null && fail "the second copy did not end"
wait "$second"; status=$?
[ "$status" -eq 0 ] || fail "the second copy ended with status $status"
kill -0 "$first" 2>/dev/null || fail "the first copy ended"

focused=""
for _ in $(seq 50); do
    focused=$(xdotool getwindowfocus getwindowname 2>/dev/null)
    [ "$focused" = "$caption" ] && break
    sleep 0.1
done
[ "$focused" = "$caption" ] || fail "the first copy's frame did not come to the front (focus: $focused)"
windows=$(xdotool search --onlyvisible --name '^Tallir' | wc -l)
[ "$windows" -eq 1 ] || fail "$windows windows are left, not one"

# A third copy, started in another folder with -e and two files, hands them over before its
# box shows: the first copy loads and compares them, so its closing message and the third
# copy's box show together; the third copy ends with 2 (it compared nothing itself).
(cd "$work" && exec "$tallir" -e a.txt b.txt 2>"$work/third.err") & third=$!; pids+=("$third")
for _ in $(seq 200); do
    boxes=$(xdotool search --onlyvisible --name '^Tallir$' 2>/dev/null | wc -l)
    [ "$boxes" -ge 2 ] && break
    sleep 0.1
done
[ "$boxes" -ge 2 ] || fail "the first copy did not compare the handed-over files before the third copy's box went"
xwd -root -silent -out "$artifacts/single_instance-handed-over.xwd" 2>/dev/null
for box in $(xdotool search --onlyvisible --name '^Tallir$'); do xdotool windowfocus --sync "$box" key Return; done
for _ in $(seq 100); do kill -0 "$third" 2>/dev/null || break; sleep 0.1; done
kill -0 "$third" 2>/dev/null && fail "the third copy did not end"
wait "$third"; status=$?
[ "$status" -eq 2 ] || fail "the third copy, started with -e, ended with status $status, not 2"
grep -q "another copy is running" "$work/third.err" || fail "the third copy did not say why: $(cat "$work/third.err")"

# Another display is another desktop: a copy there starts beside the first.
# (Xvfb picks a free display number itself and tells it.)
Xvfb -displayfd 3 -screen 0 800x600x24 3>"$work/display" >/dev/null 2>&1 & xvfb=$!; pids+=("$xvfb")
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "no second X display"
DISPLAY=:$(head -n 1 "$work/display") "$tallir" & other=$!; pids+=("$other")
sleep 3
kill -0 "$other" 2>/dev/null || fail "the copy on another display did not keep running"
kill -0 "$first" 2>/dev/null || fail "the first copy ended"
rm -rf "$work"
echo "PASS: one copy per desktop, files handed over and compared, its frame in front"
