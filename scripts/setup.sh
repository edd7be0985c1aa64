#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian/Ubuntu packages the program and its tests need, when
# any is missing. Runs apt-get through sudo unless we are root. An entry
# "a|b" is one package known by either name (Debian 12 and Ubuntu 24.04
# name some differently): the first one the system offers is installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins
  qt6-tools-dev qt6-l10n-tools
  libgl-dev
  libcsv-dev  # the roster files' CSV parser
  libzip-dev  # the roster workbooks' (.xlsx) zip reader
  libzint-dev  # the order slips' barcodes
  libxlsxwriter-dev  # the class tables as workbooks (.xlsx)
  xvfb xauth x11-apps x11-utils xdotool imagemagick fonts-noto-cjk poppler-utils
  zbar-tools  # reads the printed barcodes back in the tests
  qt6-translations-l10n "libqt6svg6|qt6-svg-plugins"
  dpkg-dev file desktop-file-utils appstream lintian librsvg2-bin
  python3
  dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0
  dosfstools  # a FAT disk image for the save tests
  xfsprogs    # an XFS disk image, whose reflinks the lab order uses
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${packages[@]}"; do
  IFS='|' read -ra names <<<"$p"
  found=no
  for name in "${names[@]}"; do
    if installed "$name"; then
      found=yes
    fi
  done
  if [ $found = no ]; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq

# Of names that differ between systems, the one this system offers.
chosen=()
for p in "${missing[@]}"; do
  IFS='|' read -ra names <<<"$p"
  pick=${names[0]}
  for name in "${names[@]}"; do
    policy=$(apt-cache policy "$name" 2>/dev/null)
    if [[ $policy == *"Candidate: "* && $policy != *"Candidate: (none)"* ]]; then
      pick=$name
      break
    fi
  done
  chosen+=("$pick")
done
echo "Installing: ${chosen[*]}"
$sudo apt-get install -y -qq --no-install-recommends "${chosen[@]}"
