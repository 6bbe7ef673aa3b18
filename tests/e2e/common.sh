# What the end-to-end scripts share; source it after setting `artifacts` (the folder for
# screenshots) and `name` (the script's short name). It makes a working folder with a settings
# folder of its own, a single-instance key of its own, X as the platform, and these helpers:
#   shot NAME       the screen as NAME.png in the artifacts
#   fail MESSAGE    says so, keeps a screenshot, ends the script with status 1
#   pixels COLOUR PNG   how many pixels of exactly that colour the picture holds
# A process whose id is in `pid` is ended when the script ends.
mkdir -p "$artifacts"
work=$(mktemp -d)
export TALLIR_SETTINGS_DIR="$work/settings"
export TALLIR_INSTANCE_KEY="e2e $name $$"
export QT_QPA_PLATFORM=xcb
cleanup() { [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
shot() {
    xwd -root -silent -out "$work/shot.xwd" &&
        { convert xwd:"$work/shot.xwd" "$artifacts/$1.png" 2>/dev/null || cp "$work/shot.xwd" "$artifacts/$1.xwd"; }
}
fail() { echo "FAIL: $*"; shot "$name-failure"; exit 1; }
pixels() { convert "$2" -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null || echo 0; }
