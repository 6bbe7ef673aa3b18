#!/usr/bin/env bash
# A person's run: "tallir -e a.txt b.txt" shows the closing message; a key press on it ends
# the program with status 1 (cells differ), leaving a settings file with its sections. Then a start without
# arguments, its three windows side by side, captured as a screenshot.
# Runs inside an X server (xvfb-run); usage: compare_and_exit.sh TALLIR ARTIFACT_DIR
set -u
tallir=$1
artifacts=$2
mkdir -p "$artifacts"
work=$(mktemp -d)
export TALLIR_SETTINGS_DIR="$work/settings"
export QT_QPA_PLATFORM=xcb
export TALLIR_INSTANCE_KEY="e2e $(basename "$0") $$"
cleanup() { kill "${pid:-0}" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
# shot NAME [WINDOW]: the screen, or one window (a message box shows black in a capture of the
# whole screen here, so it is taken on its own too).
shot() {
    local target=(-root)
    [ -n "${2:-}" ] && target=(-id "$2")
    xwd "${target[@]}" -silent -out "$work/shot.xwd" &&
        { convert xwd:"$work/shot.xwd" "$artifacts/$1.png" 2>/dev/null || cp "$work/shot.xwd" "$artifacts/$1.xwd"; }
}
fail() { echo "FAIL: $*"; shot failure; exit 1; }
# pixels COLOUR PNG: how many pixels of exactly that colour the picture holds.
pixels() { convert "$2" -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null || echo 0; }

cd "$work"
printf '1 2 3\n4 5 6\n' > a.txt
printf '1 2 3\n4 5.5 6\n' > b.txt

"$tallir" -e a.txt b.txt & pid=$!
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tallir$' | head -n 1)
[ -n "$box" ] || fail "no closing message"
sleep 0.5
shot colour-map-and-closing-message
shot compare-and-exit-message "$box"
# What a person sees: the frame with its caption, the message box titled with the program's
# name, and the differing cell tinted in Compare (5 against 5.5 agree in barely one digit: red)
# and marked in both files.
xdotool search --onlyvisible --name '^Tallir Ver\.1\.0 Rev\.109$' >/dev/null || fail "no frame captioned with the version"
picture="$artifacts/colour-map-and-closing-message.png"
if [ -f "$picture" ]; then
    [ "$(pixels 'rgb(236,112,99)' "$picture")" -ge 100 ] || fail "no red Compare cell on the screen"
    [ "$(pixels 'rgb(255,243,214)' "$picture")" -ge 200 ] || fail "no marked cells in File 1 and File 2"
fi
xdotool windowfocus --sync "$box" key Return
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after the message"
wait "$pid"; status=$?
[ "$status" -eq 1 ] || fail "exit status $status where cells differ (1 expected)"
for section in Tool RecentPath mdiMain frmGrid; do
    grep -q "^\[$section\]" "$TALLIR_SETTINGS_DIR/Tallir.ini" || fail "no [$section] in the settings file"
done
grep -q '^ImmediateCompare=1' "$TALLIR_SETTINGS_DIR/Tallir.ini" || fail "-e did not switch immediate comparison on"

"$tallir" & pid=$!
frame=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tallir Ver' | head -n 1)
[ -n "$frame" ] || fail "no frame without arguments"
sleep 1
shot no-arguments-tile-vertical
xdotool windowfocus --sync "$frame" key alt+f x 2>/dev/null || kill "$pid"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "File > Exit did not end the program"
grep -q '^WindowArrange=2' "$TALLIR_SETTINGS_DIR/Tallir.ini" || fail "the arrangement was not written back"
echo "PASS: compared, ended with status 1, settings written; screenshots in $artifacts"
