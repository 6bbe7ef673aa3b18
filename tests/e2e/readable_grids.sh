#!/usr/bin/env bash
# A person's look at two result tables printed with %.9e: "tallir -i a.txt b.txt" at scale 1
# and again with QT_SCALE_FACTOR=2, both kept as screenshots. The frame must come back at the
# same physical place and size at both scales, and show its three windows.
# Runs inside an X server (xvfb-run); usage: readable_grids.sh TALLIR ARTIFACT_DIR
set -u
tallir=$1
artifacts=$2
name=readable-grids
source "$(dirname "$0")/common.sh"

cd "$work"
awk 'BEGIN { for (r = 1; r <= 300; r++) { for (c = 1; c <= 8; c++) printf "%.9e%s", sin(r + c) * 10 ^ (c % 5 - 2), (c < 8 ? " " : "\n") } }' > a.txt
awk '{ if (NR % 7 == 0) $1 = sprintf("%.9e", $1 * 1.0000001); print }' a.txt > b.txt

# run SCALE: starts the comparison at that scale, answers the closing message, keeps a
# screenshot and prints the frame's geometry; then ends the program through File > Exit.
run() {
    QT_SCALE_FACTOR=$1 "$tallir" -i a.txt b.txt & pid=$!
    # A failure here ends this copy too, so that nothing is left running.
    fail() { kill "$pid" 2>/dev/null; echo "FAIL: $*"; shot "$name-failure"; exit 1; }
    box=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tallir$' | head -n 1)
    [ -n "$box" ] || fail "no closing message at scale $1"
    xdotool windowfocus --sync "$box" key Return
    frame=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tallir Ver' | head -n 1)
    [ -n "$frame" ] || fail "no frame at scale $1"
    sleep 1
    shot "readable-grids-scale-$1"
    # The differing cells are marked in both files as soon as the comparison is done.
    picture="$artifacts/readable-grids-scale-$1.png"
    [ ! -f "$picture" ] || [ "$(pixels 'rgb(255,243,214)' "$picture")" -ge 200 ] || fail "no marked cells at scale $1"
    geometry=$(xdotool getwindowgeometry "$frame" | tr -d '\n' | sed 's/.*Position: \([0-9,]*\).*Geometry: \([0-9x]*\).*/\1 \2/')
    xdotool windowfocus --sync "$frame" key alt+f x 2>/dev/null || kill "$pid"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "File > Exit did not end the program at scale $1"
    echo "$geometry"
}
one=$(run 1) || exit 1
two=$(run 2) || exit 1
[ "$one" = "$two" ] || fail "the frame moved or changed its size with the scale: '$one' at 1, '$two' at 2"
echo "PASS: compared at scale 1 and 2, frame at $one both times; screenshots in $artifacts"
