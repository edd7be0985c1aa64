#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the program and its tests for 64-bit Windows (scripts/build-windows.sh,
# into build-windows/) and runs the tests under Wine with Qt's offscreen
# platform: no window is shown and no X server is needed. The tests that
# only a POSIX system can run carry the CTest label posix-only; they are
# listed with their reasons in tests/CMakeLists.txt, and left out here.
# Then, when there is one, the package's smoke test (scripts/smoke-windows.sh).
#
# Wine runs in a prefix of its own, created on the first run (about 30 s):
# ${XDG_CACHE_HOME:-$HOME/.cache}/pictor/wine-tests, or PICTOR_WINEPREFIX.
# PICTOR_TEST_JOBS sets ctest's parallel jobs (2).
set -euo pipefail
cd "$(dirname "$0")/.."

build="build-windows"
jobs=${PICTOR_TEST_JOBS:-2}

log() {
  echo "test-windows: $*" >&2
}

bash scripts/build-windows.sh

# The Japanese faces the tests draw with under Wine (WINEQT_QPA_FONTDIR in
# tests/CMakeLists.txt points at them).
if [ ! -d /usr/share/fonts/opentype/noto ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  log "installing fonts-noto-cjk"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends fonts-noto-cjk >/dev/null
fi

if [ ! -f "$build/CTestTestfile.cmake" ]; then
  log "no tests in $build: build-windows.sh must configure it with BUILD_TESTING=ON"
  exit 1
fi

# A Wine prefix of the tests' own, reporting Windows 10.
export WINEPREFIX=${PICTOR_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/pictor/wine-tests}
export WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/.pictor-ready" ]; then
  log "creating the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.pictor-ready"
fi
# A full disk for tst_windows_files: drive S: over a tmpfs of 128 KiB. Only
# root can mount one; without it that test says it skipped the case.
small_drive=""
# shellcheck disable=SC2317  # called by the trap
cleanup() {
  if [ -n "$small_drive" ]; then
    rm -f "$WINEPREFIX/dosdevices/s:"
    umount "$small_drive" 2>/dev/null || true
    rmdir "$small_drive"
  fi
}
trap cleanup EXIT
if [ "$(id -u)" -eq 0 ]; then
  small_drive=$(mktemp -d)
  if mount -t tmpfs -o size=128k tmpfs "$small_drive" 2>/dev/null; then
    ln -sfn "$small_drive" "$WINEPREFIX/dosdevices/s:"
  else
    log "no tmpfs could be mounted: the full-disk case is skipped"
    rmdir "$small_drive"
    small_drive=""
  fi
fi

# No display for Wine: every test runs offscreen.
unset DISPLAY WAYLAND_DISPLAY

# The Windows build does not build them, so their list and reasons come
# from tests/CMakeLists.txt itself (on Linux: ctest -N -L posix-only).
echo "Left out under Wine (CTest label posix-only), each after its reason:"
sed -n '/^set(PICTOR_POSIX_ONLY_/,/^)/p' tests/CMakeLists.txt | grep -v '^set(\|^)' |
  sed 's/^ */  /'

# The Wine server started and ready before the tests start side by side:
# two first starts at once left one test without it (failed in 0.01 s,
# printing nothing). It stays 30 s after the last program ends.
wineserver -p30
wine cmd /c exit >/dev/null 2>&1 || true

status=0
started=$(date +%s)
ctest --test-dir "$build" -LE posix-only --output-on-failure -j "$jobs" || status=$?
log "ctest under Wine took $(($(date +%s) - started)) s"

if [ -f scripts/smoke-windows.sh ]; then
  bash scripts/smoke-windows.sh "$build" || status=$?
fi
exit "$status"
