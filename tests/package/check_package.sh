#!/usr/bin/env bash
# The desktop entry and the AppStream description validate, and the Debian package built from
# the install rules holds every file a user needs.
# usage: check_package.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1
build=$2
desktop-file-validate "$source/data/tallir.desktop"
# Tables, not every text file: a shopping note must not open as a grid.
if grep -q '^MimeType=.*text/plain' "$source/data/tallir.desktop"; then
    echo "FAIL: the desktop entry claims text/plain"
    exit 1
fi
appstreamcli validate --no-net "$source/data/io.github.tallir.Tallir.metainfo.xml"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null)
package=$(ls "$work"/*.deb)
contents=$(dpkg-deb -c "$package")
for file in ./usr/bin/tallir ./usr/bin/tallir-diff ./usr/share/doc/tallir/Tallir.html \
    ./usr/share/man/man1/tallir.1 ./usr/share/man/man1/tallir-diff.1 \
    ./usr/share/applications/tallir.desktop ./usr/share/metainfo/io.github.tallir.Tallir.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/tallir.svg ./usr/share/bash-completion/completions/tallir-diff ./usr/share/bash-completion/completions/tallir; do
    grep -q " $file\$" <<<"$contents" || { echo "FAIL: $file is not in $(basename "$package")"; exit 1; }
done
dpkg-deb -f "$package" Depends | grep -q libqt6 || { echo "FAIL: the package depends on no Qt library"; exit 1; }
echo "PASS: $(basename "$package") holds every file; desktop entry and AppStream description valid"
