#!/usr/bin/env bash
# Starts tallir, then a second copy: the second must show "PrevInstance = True", hand over to
# the first (which comes to the front) and end, leaving one process and no window of its own.
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
echo "PASS: one copy left, its frame in front"
