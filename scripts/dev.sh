#!/usr/bin/env bash
# Set-up, build and run for a fresh Debian machine:
#   scripts/dev.sh start [ARGS...]   install what is missing, build, start Tallir
#   scripts/dev.sh test              install what is missing, build, run every test
#   scripts/dev.sh sloc              the size of the tests against the product code
#   scripts/dev.sh sanitize          the unit and window tests built with address and
#                                    undefined-behaviour checks, each suite in one process
# Installing is idempotent: packages already present are not asked for again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake make qt6-base-dev libgtest-dev libgmock-dev clang xvfb xauth xdotool x11-apps imagemagick
          desktop-file-utils appstream dpkg-dev git libfast-float-dev
          zlib1g-dev libzstd-dev pkg-config zstd chromium lintian man-db openbox x11-utils locales libx11-dev python3
          libopenmpi-dev openmpi-bin)

install_missing() {
    local missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# The locales the tests compare tallir-diff's output under (a decimal comma, other dates).
generate_locales() {
    local wanted=(de_DE.UTF-8 fr_FR.UTF-8) missing=()
    for name in "${wanted[@]}"; do
        locale -a | grep -qix "${name/UTF-8/utf8}" || missing+=("$name")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    for name in "${missing[@]}"; do
        $sudo sed -i "s/^# *\($name UTF-8\)/\1/" /etc/locale.gen
        grep -q "^$name UTF-8" /etc/locale.gen || echo "$name UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    done
    $sudo locale-gen >/dev/null
}

build() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build -j"$(nproc)"
}

fuzz() {
    # The tokenizer, line splitter and reader under libFuzzer with address and undefined
    # behaviour checks, for a bounded time each.
    cmake -S . -B build-fuzz -DTALLIR_CORE_ONLY=ON -DTALLIR_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build build-fuzz -j"$(nproc)"
    (cd build-fuzz && ctest --output-on-failure -L fuzz)
}

case "${1:-}" in
start)
    shift
    install_missing
    build
    if [ $# -eq 0 ]; then
        # The example pair, compared at once, with settings of its own that switch the
        # precision rule on (so "S" cells show too).
        export TALLIR_SETTINGS_DIR="$PWD/build/example-settings"
        mkdir -p "$TALLIR_SETTINGS_DIR"
        [ -f "$TALLIR_SETTINGS_DIR/Tallir.ini" ] ||
            printf '[Option]\nPrecisionSame=1\nPrecisionLog=6\nImmediateCompare=1\n' > "$TALLIR_SETTINGS_DIR/Tallir.ini"
        cd examples
        exec ../build/bin/tallir run-a.txt run-b.txt
    fi
    exec build/bin/tallir "$@"
    ;;
test)
    install_missing
    generate_locales
    build
    fuzz
    # One test per process, then every test in one process: state that leaks from one test
    # into the next shows only there.
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")
    # The one-process run also has a long temporary folder: nothing may depend on short paths.
    local_tmp=$(mktemp -d)/$(printf 'a-rather-long-temporary-folder-name-%.0s' 1 2 3 4)
    mkdir -p "$local_tmp"
    TMPDIR="$local_tmp" QT_QPA_PLATFORM=offscreen build/bin/core_tests --gtest_brief=1
    TMPDIR="$local_tmp" QT_QPA_PLATFORM=offscreen build/bin/qt_tests --gtest_brief=1
    rm -rf "$(dirname "$local_tmp")"
    ;;
sloc)
    python3 scripts/sloc.py "${@:2}"
    ;;
sanitize)
    install_missing
    # Leaks are not looked for: Qt keeps some of its own until the process ends.
    flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
    cmake --build build-sanitize -j"$(nproc)" --target core_tests qt_tests tallir tallir-diff instance_peer
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
    QT_QPA_PLATFORM=offscreen build-sanitize/bin/core_tests --gtest_brief=1
    QT_QPA_PLATFORM=offscreen build-sanitize/bin/qt_tests --gtest_brief=1
    ;;
*)
    echo "usage: scripts/dev.sh start [ARGS...] | test | sloc | sanitize" >&2
    exit 2
    ;;
esac
