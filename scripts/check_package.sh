#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the built program into a scratch prefix and builds its Debian
# package, and checks that both hold what a desktop and a distribution
# expect: the program, its sounds, the menu entry and every icon under the
# program's id, the software-centre description, the job files' type, the
# manual pages (naming everything --help lists), the changelog and the
# copyright; and that lintian finds no error or warning in the package.
# Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

app_id=jp.pictor.Pictor
icon_sizes=(16 24 32 48 64 128 256 512)
expected=(
    bin/pictor
    share/pictor/chimes.wav
    share/pictor/menupop.wav
    share/pictor/nophoto.wav
    share/pictor/tap.wav
    "share/applications/$app_id.desktop"
    "share/icons/hicolor/scalable/apps/$app_id.svg"
    "share/metainfo/$app_id.metainfo.xml"
    share/mime/packages/pictor.xml
    share/man/man1/pictor.1.gz
    share/man/ja/man1/pictor.1.gz
    share/doc/pictor/changelog.gz
    share/doc/pictor/copyright
)
for size in "${icon_sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x$size/apps/$app_id.png")
done
faults=0
fault() {
    echo "$1"
    faults=$((faults + 1))
}

# The tools the package is built and read with; CPack's own message on a
# missing one does not say which.
absent=()
for tool in cpack dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null || absent+=("$tool")
done
if ((${#absent[@]} > 0)); then
    echo "package: cannot build the package, missing tool(s): ${absent[*]} (scripts/setup.sh installs them)"
    exit 1
fi

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in "${expected[@]}"; do
    [[ -f $prefix/$file ]] || fault "missing from the installed tree: $file"
done
version=$("$prefix/bin/pictor" --version) || true
[[ $version == "pictor "* ]] || fault "the installed program does not answer --version"

# Each icon drawn at the size its folder names.
for size in "${icon_sizes[@]}"; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png
    [[ ! -f $png ]] || file "$png" | grep -q "PNG image data, $size x $size," ||
        fault "the ${size}x$size icon is not $size by $size pixels: $(file -b "$png")"
done

# One id for the program everywhere a desktop looks it up: the menu entry's
# name and icon, the description's id, the name the program gives itself, and
# the window class that ties its windows to the menu entry (Qt's X11 platform
# takes the application name).
entry=$prefix/share/applications/$app_id.desktop
key() { sed -n "s/^$1=//p" "$entry"; }
[[ $(key Icon) == "$app_id" ]] || fault "the menu entry's Icon is not $app_id"
app_name=$(sed -n 's/.*setApplicationName(QStringLiteral("\([^"]*\)")).*/\1/p' "$src/src/app/main.cpp" | sort -u)
[[ $(key StartupWMClass) == "$app_name" ]] ||
    fault "the menu entry's StartupWMClass is not the program's window class ($app_name)"
grep -q "setDesktopFileName(QStringLiteral(\"$app_id\"))" "$src/src/app/main.cpp" ||
    fault "the program does not name its menu entry $app_id"
grep -q "<id>$app_id</id>" "$prefix/share/metainfo/$app_id.metainfo.xml" ||
    fault "the description's id is not $app_id"

# Everything --help lists (options and arguments) is in both manual pages.
listed=$("$prefix/bin/pictor" --help | sed -n 's/^  \([^ ].*\)/\1/p' | sed 's/  .*//; s/, /\n/g')
for page in man1 ja/man1; do
    text=$(zcat "$prefix/share/man/$page/pictor.1.gz" | sed 's/\\-/-/g; s/\\f[BIRP]//g')
    for item in $listed; do
        grep -qwF -e "$item" <<<"$text" || fault "the manual page $page/pictor.1 does not name $item"
    done
done

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fault "desktop-file-validate refuses the menu entry"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$app_id.metainfo.xml" \
        >"$scratch/appstream.log" 2>&1 || {
        cat "$scratch/appstream.log"
        fault "appstreamcli refuses the description"
    }
fi

(cd "$build" && cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1) || {
    cat "$scratch/cpack.log"
    exit 1
}
deb=$(ls "$scratch"/package/*.deb)
listing=$(dpkg-deb -c "$deb")
for file in "${expected[@]}"; do
    grep -q " \./usr/$file\$" <<<"$listing" || fault "missing from the package: /usr/$file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 qt6-qpa-plugins qt6-translations-l10n; do
    grep -q "$library" <<<"$depends" || fault "missing from the package's dependencies: $library"
done
[[ $version == "pictor $(dpkg-deb -f "$deb" Version)" ]] ||
    fault "the package's version is not the program's ($version)"

# lintian, as a distribution would run it, on errors and warnings. Its
# hardening tags are informational, but count here too: an optimised build's
# package must have them all; a Debug build's is built without optimising,
# where _FORTIFY_SOURCE cannot work (README's commands build optimised).
if command -v lintian >/dev/null; then
    lintian_failed=no
    lintian -E --pedantic -I --tag-display-limit 0 --fail-on error,warning "$deb" \
        >"$scratch/lintian.log" 2>"$scratch/lintian.err" || lintian_failed=yes
    build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
    allowed='^$'
    case $build_type in
    Release | RelWithDebInfo | MinSizeRel) ;;
    *) allowed='hardening-no-fortify-functions' ;;
    esac
    hardening=$(grep -E ': hardening-' "$scratch/lintian.log" | grep -vE "$allowed" || true)
    if [[ $lintian_failed == yes || -n $hardening ]]; then
        cat "$scratch/lintian.log"
        grep -v 'running with root privileges' "$scratch/lintian.err" || true
        fault "lintian finds errors or warnings in the package, or it lacks hardening"
    elif [[ -s $scratch/lintian.log ]]; then
        echo "package: lintian's remaining notes (neither error nor warning):"
        cat "$scratch/lintian.log"
    fi
else
    echo "package: lintian is not installed (scripts/setup.sh installs it); the package is not checked with it"
fi

if ((faults > 0)); then
    echo "$faults fault(s) in the installed program or its package"
    exit 1
fi
echo "package: $(basename "$deb") holds the program, its sounds, menu entry, icons, description, file type, manual pages, changelog and copyright"
