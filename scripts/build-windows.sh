#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds for 64-bit Windows on Debian/Ubuntu with MinGW-w64.
#
# First it builds Qt for Windows from the distribution's own qt6-base
# source, the same version as the host's Qt tools (moc, rcc, uic run on the
# host), once, into ${XDG_CACHE_HOME:-$HOME/.cache}/pictor/qt-<version>-win64.
# A later run finds it there and goes straight on. Building Qt takes the
# better part of an hour on two cores; PICTOR_JOBS sets the parallel jobs.
#
# Then it builds the program in build-windows/ (Release, with ccache when
# there is one), packs it there (cmake/windows-package.cmake says what goes
# in): pictor-VERSION-win64.zip and the installer
# pictor-VERSION-win64-setup.exe, and builds the tests. Its standard output
# is the two packages' paths, one a line, printed last; everything else goes
# to standard error. A run with nothing changed builds nothing and packs
# nothing again.
#
# Installs the packages it needs through sudo unless we are root, and adds a
# deb-src line for the distribution when there is none.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/pictor
toolchain=$repo/cmake/mingw-w64-x86_64.cmake
build_dir=$repo/build-windows
jobs=${PICTOR_JOBS:-$(nproc)}

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

log() {
  echo "build-windows: $*" >&2
}

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

install_packages() {
  local packages=(
    cmake ninja-build dpkg-dev libcsv-dev libzip-dev libzint-dev libxlsxwriter-dev
    g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
    qt6-tools-dev qt6-l10n-tools
    librsvg2-bin icoutils
    wine nsis
  )
  local missing=() p
  for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  log "installing ${missing[*]}"
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# apt-get source needs a deb-src line; Debian and Ubuntu ship without one.
ensure_deb_src() {
  if grep -Eqs '^(deb-src |Types:.*deb-src)' /etc/apt/sources.list \
    /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; then
    return
  fi
  # shellcheck disable=SC1091
  . /etc/os-release
  local uri keyring components suites
  case $ID in
  debian)
    uri=http://deb.debian.org/debian
    keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    components=main
    ;;
  ubuntu)
    uri=http://archive.ubuntu.com/ubuntu
    keyring=/usr/share/keyrings/ubuntu-archive-keyring.gpg
    components="main universe"
    ;;
  *)
    echo "build-windows: no deb-src line, and no known archive for $ID" >&2
    exit 1
    ;;
  esac
  suites="$VERSION_CODENAME $VERSION_CODENAME-updates"
  log "adding a deb-src line for $ID $VERSION_CODENAME"
  printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\nSigned-By: %s\n' \
    "$uri" "$suites" "$components" "$keyring" |
    $sudo tee /etc/apt/sources.list.d/pictor-deb-src.sources >/dev/null
  $sudo apt-get update -qq
}

# The Debian version of the host's Qt tools (6.4.2+dfsg-10) and its upstream
# part (6.4.2): the Windows Qt is built from exactly that source.
qt_deb_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null || true)

qt_version() {
  local v=${qt_deb_version#*:}
  v=${v%%[+~-]*}
  echo "$v"
}

# The options Qt is configured with. A cached Qt built with other options is
# built again.
qt_configure_options() {
  local options=(
    -xplatform win32-g++ -qt-host-path /usr
    -release -shared -nomake tests -nomake examples
    -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre
    -no-icu -no-dbus -no-opengl
    -no-feature-network -no-feature-sql -no-feature-xml
    -no-feature-concurrent -no-feature-vulkan -no-feature-tabletevent
  )
  # Tablet events off: Debian's source leaves out the Wintab header that the
  # windows platform plugin needs for them.
  # Direct 2D stays on: without it Qt Gui leaves out the DirectWrite font
  # engine that Qt PrintSupport still calls, and PrintSupport fails to link.
  echo "${options[@]}"
}

# Fetches the source package into the cache (once) and prints the folder of
# the unpacked source tree.
fetch_qt_source() {
  local dir=$cache_root/src/qt6-base_${qt_deb_version#*:}
  if [ ! -f "$dir/.unpacked" ]; then
    ensure_deb_src
    rm -rf "$dir"
    mkdir -p "$dir"
    log "fetching the source of qt6-base $qt_deb_version"
    (cd "$dir" && apt-get source -qq "qt6-base=$qt_deb_version" >&2)
    touch "$dir/.unpacked"
  fi
  local tree
  for tree in "$dir"/qt6-base-*/; do
    echo "${tree%/}"
    return
  done
  echo "build-windows: no source tree in $dir" >&2
  exit 1
}

qt_prefix() {
  echo "$cache_root/qt-$(qt_version)-win64"
}

# Builds and installs Qt for Windows into the cache unless a Qt built with
# the same options is there already. The toolchain file is copied into the
# prefix first, so the Qt there (and its qt.toolchain.cmake) stands on its
# own whatever becomes of this working tree.
build_qt() {
  local prefix stamp options
  prefix=$(qt_prefix)
  stamp=$prefix/pictor-qt-build.txt
  options="$(qt_configure_options)"
  if [ -f "$stamp" ] && grep -qxF "options: $options" "$stamp"; then
    log "Qt $(qt_version) for Windows is in $prefix"
    return
  fi

  local src build started
  src=$(fetch_qt_source)
  build=$cache_root/build/qt-$(qt_version)-win64
  started=$(date +%s)
  rm -rf "$prefix"
  mkdir -p "$prefix" "$build"
  cp "$toolchain" "$prefix/mingw-w64-x86_64.cmake"
  # A build left by an earlier run goes on where it stopped, configured
  # afresh: an option dropped since must not linger in the cache.
  rm -f "$build/CMakeCache.txt"
  log "building Qt $(qt_version) for Windows in $build ($jobs jobs)"
  # shellcheck disable=SC2086
  (cd "$build" && "$src/configure" -prefix "$prefix" $options -- \
    -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake) >"$build/configure.log" 2>&1 || {
    tail -n 40 "$build/configure.log" >&2
    exit 1
  }
  cmake --build "$build" --parallel "$jobs" >&2
  cmake --install "$build" >/dev/null

  local seconds=$(($(date +%s) - started))
  printf 'version: %s\nsource: qt6-base %s\noptions: %s\nbuild seconds: %s\n' \
    "$(qt_version)" "$qt_deb_version" "$options" "$seconds" >"$stamp"
  log "Qt $(qt_version) for Windows built in $((seconds / 60)) min"
  rm -rf "$build" "$(dirname "$src")"
  rmdir --ignore-fail-on-non-empty "$cache_root/build" "$cache_root/src"
}

# Qt's Japanese texts in the Windows Qt's translations folder, where the
# tests' Qt looks for them (the packages take them from the host's folder).
install_qt_translations() {
  local dir
  dir=$(qt_prefix)/translations
  if [ ! -f "$dir/qtbase_ja.qm" ]; then
    mkdir -p "$dir"
    cp /usr/share/qt6/translations/qtbase_ja.qm "$dir/"
  fi
}

# The source of a library the program builds with itself for Windows, of
# the version of the host's -dev package (fetched once into the cache):
# prints the folder of the source tree, the one that holds the file named.
# $1: the source package, $2: the host's -dev package, $3: the file.
fetch_debian_source() {
  local source=$1 dev=$2 marker=$3 version dir tree
  # The source's version: a binary-only rebuild (1.7.3-1+b1) has none of its own.
  version=$(dpkg-query -W -f='${source:Version}' "$dev")
  dir=$cache_root/$source-${version#*:}
  if [ ! -f "$dir/.unpacked" ]; then
    ensure_deb_src >&2
    rm -rf "$dir"
    mkdir -p "$dir"
    log "fetching the source of $source $version"
    (cd "$dir" && apt-get source -qq "$source=$version" >&2)
    touch "$dir/.unpacked"
  fi
  for tree in "$dir"/"$source"-*/; do
    if [ -f "$tree/$marker" ]; then
      echo "${tree%/}"
      return
    fi
  done
  echo "build-windows: no $marker in $dir" >&2
  exit 1
}

# The options the program is configured with; build-windows/ is configured
# again when they change (a change of the sources reconfigures it by itself).
program_configure_options() {
  local options=(
    -G Ninja
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    -DCMAKE_PREFIX_PATH="$(qt_prefix)"
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DBUILD_TESTING=ON
    -DPICTOR_LIBCSV_SOURCE_DIR="$(fetch_debian_source libcsv libcsv-dev libcsv.c)"
    -DPICTOR_LIBZIP_SOURCE_DIR="$(fetch_debian_source libzip libzip-dev lib/zip.h)"
    -DPICTOR_ZINT_SOURCE_DIR="$(fetch_debian_source zint libzint-dev backend/zint.h)"
    -DPICTOR_XLSXWRITER_SOURCE_DIR="$(fetch_debian_source libxlsxwriter libxlsxwriter-dev include/xlsxwriter.h)"
  )
  if command -v ccache >/dev/null; then
    options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  echo "${options[@]}"
}

# Configures build-windows/ and builds the program there.
build_program() {
  local stamp=$build_dir/pictor-configure.txt options
  options="$(program_configure_options)"
  if [ ! -f "$build_dir/build.ninja" ] || ! grep -qxF "options: $options" "$stamp" 2>/dev/null; then
    log "configuring $build_dir"
    mkdir -p "$build_dir"
    rm -f "$build_dir/CMakeCache.txt"
    # shellcheck disable=SC2086
    cmake -S "$repo" -B "$build_dir" $options >"$build_dir/configure.log" 2>&1 || {
      tail -n 40 "$build_dir/configure.log" >&2
      exit 1
    }
    printf 'options: %s\n' "$options" >"$stamp"
  fi
  log "building the program ($jobs jobs)"
  cmake --build "$build_dir" --parallel "$jobs" --target pictor >&2
}

# The tests, the benchmarks and the tools, after the packages: a test that
# fails to build leaves the packages made, and the other tests built.
build_tests() {
  log "building the tests ($jobs jobs)"
  if ! cmake --build "$build_dir" --parallel "$jobs" -- -k 0 >&2; then
    log "some tests failed to build (above); the packages are made"
    return 1
  fi
}

package_files() {
  local version
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
  echo "$build_dir/pictor-$version-win64.zip" "$build_dir/pictor-$version-win64-setup.exe"
}

# Packs the zip and the installer unless both are newer than everything
# that goes into them.
pack_program() {
  local packages inputs package input
  read -ra packages <<<"$(package_files)"
  inputs=(
    "$build_dir/pictor.exe" "$build_dir"/*.dll "$build_dir/CPackConfig.cmake" "$build_dir/icons"/*.ico
    "$(qt_prefix)/pictor-qt-build.txt" "$repo/LICENSE" "$repo/resources"/*.wav
    "$repo/cmake"/windows-*.cmake "$repo/cmake"/NSIS.* "$repo/resources/windows"/*
  )
  for package in "${packages[@]}"; do
    [ -f "$package" ] || { pack "${packages[@]}"; return; }
    for input in "${inputs[@]}"; do
      if [ "$input" -nt "$package" ]; then
        pack "${packages[@]}"
        return
      fi
    done
  done
  log "the packages are up to date"
}

pack() {
  log "packing ${*##*/}"
  rm -f "$@"
  (cd "$build_dir" && cpack -C Release >"$build_dir/cpack.log" 2>&1) || {
    tail -n 40 "$build_dir/cpack.log" >&2
    exit 1
  }
}

main() {
  # --qt-ready: whether Qt for Windows is in the cache already, answered by
  # the exit code alone (nothing is installed or built).
  if [ "${1:-}" = --qt-ready ]; then
    qt_deb_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null) || return 1
    grep -qxF "options: $(qt_configure_options)" "$(qt_prefix)/pictor-qt-build.txt" 2>/dev/null
    return
  fi
  install_packages
  qt_deb_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
  build_qt
  install_qt_translations
  build_program
  pack_program
  local tests_built=0 packages package
  build_tests || tests_built=1
  read -ra packages <<<"$(package_files)"
  for package in "${packages[@]}"; do
    echo "$package"
  done
  return $tests_built
}

main "$@"
