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
for file in ./usr/bin/tallir ./usr/bin/tallir-diff ./usr/bin/tallir-diff-mpi ./usr/share/man/man1/tallir-diff-mpi.1.gz \
    ./usr/share/doc/tallir/Tallir.html \
    ./usr/share/man/man1/tallir.1.gz ./usr/share/man/man1/tallir-diff.1.gz ./usr/share/doc/tallir/copyright \
    ./usr/share/doc/tallir/changelog.gz \
    ./usr/share/applications/tallir.desktop ./usr/share/metainfo/io.github.tallir.Tallir.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/tallir.svg ./usr/share/bash-completion/completions/tallir-diff ./usr/share/bash-completion/completions/tallir; do
    grep -q " $file\$" <<<"$contents" || { echo "FAIL: $file is not in $(basename "$package")"; exit 1; }
done
dpkg-deb -f "$package" Depends | grep -q libqt6 || { echo "FAIL: the package depends on no Qt library"; exit 1; }
# Debian's own checks: no error (lintian warns that it runs as root; that is no finding).
lintian --fail-on error --tag-display-limit 0 "$package" 2>&1 | grep -v 'root privileges' || true
lintian --fail-on error "$package" >/dev/null 2>&1 || { echo "FAIL: lintian finds errors in $(basename "$package")"; exit 1; }
# The man pages as man reads them: not one warning.
for page in tallir.1 tallir-diff.1 tallir-diff-mpi.1; do
    warnings=$(MANWIDTH=80 man --warnings -l "$source/data/$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "FAIL: man warns about $page: $warnings"; exit 1; }
done
echo "PASS: $(basename "$package") holds every file, lintian finds no error; man pages, desktop entry and AppStream description valid"
