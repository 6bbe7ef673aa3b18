#!/usr/bin/env bash
# Under a window manager (openbox), the frame comes back where and as large as it was: started
# and closed five times, its size and place stay; started maximised, the three windows are
# tiled into the maximised frame.
# Runs inside an X server (xvfb-run); usage: placement.sh TALLIR ARTIFACT_DIR
set -u
tallir=$1
artifacts=$2
name=placement
source "$(dirname "$0")/common.sh"
openbox & wm=$!
cleanup_wm() { kill "$wm" 2>/dev/null; cleanup; }
trap cleanup_wm EXIT
sleep 1

# The frame's outer rectangle, decorations included, as the window manager placed it.
outer() {
    local frame=$1
    xwininfo -id "$frame" -frame | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}
start() {
    "$tallir" & pid=$!
    frame=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tallir Ver' | head -n 1)
    [ -n "$frame" ] || fail "no frame"
    sleep 1
}
finish() {
    xdotool windowactivate --sync "$frame" key --clearmodifiers alt+f x 2>/dev/null
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "the frame did not close"
}

start
first=$(outer "$frame")
finish
for run in 2 3 4 5; do
    start
    now=$(outer "$frame")
    [ "$now" = "$first" ] || fail "start $run: the frame is at $now, not $first as before"
    finish
done

# Maximised: the windows are tiled into the maximised frame.
sed -i -e '/^\[mdiMain\]/,/^\[/ s/^WindowState=0$/WindowState=2/' -e 's/^WindowArrange=.*/WindowArrange=1/' "$TALLIR_SETTINGS_DIR/Tallir.ini"
start
shot placement-maximised
read -r _ _ width _ <<<"$(outer "$frame")"
screen=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
[ "$width" -ge $((screen - 10)) ] || fail "the frame is $width pixels wide, not maximised on a screen of $screen"
# Tiled into the maximised area: at the right edge of the screen, in File 1's height, the same
# empty grid shows as in its middle (not the frame's bare background).
sleep 1
shot placement-tiled
picture="$artifacts/placement-tiled.png"
height=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[2]}')
y=$((height / 4))
middle=$(convert "$picture" -format "%[pixel:p{$((screen * 3 / 4)),$y}]" info:)
edge=$(convert "$picture" -format "%[pixel:p{$((screen - 20)),$y}]" info:)
[ "$middle" = "$edge" ] || fail "the windows were not tiled into the maximised frame ($middle in the middle, $edge at the edge)"
finish
echo "PASS: the frame keeps its place and size over five starts; maximised it fills the screen, the windows tiled into it"
