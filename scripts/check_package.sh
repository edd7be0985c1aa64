#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the built program into a scratch prefix and builds its Debian
# package, and checks that both hold what a desktop expects: the program,
# its sounds, the menu entry, the icon, the software-centre description and
# the job files' type. Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

expected=(
    bin/pictor
    share/pictor/chimes.wav
    share/pictor/menupop.wav
    share/pictor/nophoto.wav
    share/pictor/tap.wav
    share/applications/jp.pictor.Pictor.desktop
    share/icons/hicolor/scalable/apps/pictor.svg
    share/metainfo/jp.pictor.Pictor.metainfo.xml
    share/mime/packages/pictor.xml
)
faults=0
missing() {
    echo "missing from the $1: $2"
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

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
for file in "${expected[@]}"; do
    [[ -f $scratch/prefix/$file ]] || missing "installed tree" "$file"
done
"$scratch/prefix/bin/pictor" --version | grep -q '^pictor ' || {
    echo "the installed program does not answer --version"
    faults=$((faults + 1))
}

(cd "$build" && cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1) || {
    cat "$scratch/cpack.log"
    exit 1
}
deb=$(ls "$scratch"/package/*.deb)
listing=$(dpkg-deb -c "$deb")
for file in "${expected[@]}"; do
    grep -q " \./usr/$file\$" <<<"$listing" || missing "package" "/usr/$file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 qt6-qpa-plugins qt6-translations-l10n; do
    grep -q "$library" <<<"$depends" || missing "package's dependencies" "$library"
done

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$src/resources/jp.pictor.Pictor.desktop" || faults=$((faults + 1))
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$src/resources/jp.pictor.Pictor.metainfo.xml" \
        >/dev/null || faults=$((faults + 1))
fi

if ((faults > 0)); then
    echo "$faults fault(s) in the installed program or its package"
    exit 1
fi
echo "package: $(basename "$deb") holds the program, its sounds, menu entry, icon, description and file type"
