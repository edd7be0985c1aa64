#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Smoke run of the real Windows program under Wine, next to the Linux
# program keyed the same way.
#
#   scripts/smoke-windows.sh [--unpacked FOLDER] BUILD_FOLDER
#
# BUILD_FOLDER is where scripts/build-windows.sh leaves
# pictor-VERSION-win64-setup.exe (normally build-windows/). In a fresh Wine
# prefix (Windows 10, in English) on a private X display with a window
# manager, the setup program is started and must speak Japanese (its window
# "ピクトル セットアップ", not "ピクトル Setup"), and is cancelled; then it
# installs silently (/S); the program starts (its start time
# measured), a short day is keyed with xdotool (the setup screen, pupils on
# the keypad), saved, one report printed to a PDF from its preview, and the
# program quits through its exit confirmation. The Linux program of this
# repository (built into build/, or $PICTOR_BUILD_DIR, when needed; or
# $SMOKE_LINUX_PROGRAM) takes the same keys on a display of its own and
# prints the same report to a PDF. The two job files must be the same bytes; each program then loads its own file and
# the other's and saves it again unchanged. Last, the uninstaller must speak
# Japanese too ("ピクトル アンインストール"), and the silent uninstall
# (Uninstall.exe /S) must leave no program file behind, and the job files
# saved in the Windows user's documents stay.
#
# --unpacked FOLDER (or SMOKE_WINDOWS_UNPACKED=FOLDER) runs a program
# folder (pictor.exe with its DLLs and plugins), or the program of a zip
# (pictor-VERSION-win64.zip), copied into the prefix instead of installing;
# the uninstall step is then skipped.
#
# Screenshots of each main step go to BUILD_FOLDER/smoke/, with the PDF and
# the job files. SMOKE_KEEP=1 keeps the temporary folder (prefix, homes).
set -euo pipefail
# UTF-8 whatever the caller's locale: xdotool finds windows by their
# Japanese titles, and the keys typed are Japanese.
export LC_ALL=C.UTF-8
repo=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  sed -n '3,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
  exit "${1:-0}"
}

unpacked=${SMOKE_WINDOWS_UNPACKED:-}
while [ $# -gt 0 ]; do
  case $1 in
  -h | --help) usage 0 ;;
  --unpacked)
    [ $# -ge 2 ] || usage 2
    unpacked=$2
    shift 2
    ;;
  --unpacked=*)
    unpacked=${1#--unpacked=}
    shift
    ;;
  -*) usage 2 ;;
  *) break ;;
  esac
done
[ $# -eq 1 ] || usage 2
build_folder=$(cd "$1" && pwd) || {
  echo "smoke-windows: no folder $1" >&2
  exit 1
}
shots=$build_folder/smoke
started=$SECONDS
setups=()
if [ -z "$unpacked" ]; then
  for setup in "$build_folder"/pictor-*-win64-setup.exe; do
    [ -f "$setup" ] && setups+=("$setup")
  done
  if [ ${#setups[@]} -eq 0 ]; then
    echo "smoke-windows: FAILED: no setup program (pictor-VERSION-win64-setup.exe) in $build_folder: run scripts/build-windows.sh, or run an unpacked program with --unpacked FOLDER" >&2
    exit 1
  elif [ ${#setups[@]} -gt 1 ]; then
    echo "smoke-windows: FAILED: more than one setup program in $build_folder: ${setups[*]##*/}" >&2
    exit 1
  fi
elif [ ! -e "$unpacked" ]; then
  echo "smoke-windows: FAILED: no $unpacked" >&2
  exit 1
else
  unpacked=$(realpath "$unpacked")
fi

# shellcheck source=scripts/smoke-keys.sh
. "$repo/scripts/smoke-keys.sh"

# --- reporting ------------------------------------------------------------

phase=setup
say() {
  printf 'smoke-windows: [%4d s] %s\n' "$((SECONDS - started))" "$*"
}
pass() {
  printf 'smoke-windows: [%4d s]   ok: %s\n' "$((SECONDS - started))" "$*"
}
smoke_shot() {
  [ -n "${DISPLAY:-}" ] || return 0
  import -window "${2:-root}" "$shots/$phase-$1.png" 2>/dev/null || true
}
smoke_fail() {
  printf 'smoke-windows: [%4d s] FAILED (%s): %s\n' "$((SECONDS - started))" "$phase" "$*" >&2
  if [ -n "${DISPLAY:-}" ]; then
    import -window root "$shots/$phase-failure.png" 2>/dev/null &&
      echo "smoke-windows: the screen at the failure: $shots/$phase-failure.png" >&2
  fi
  exit 1
}

# --- what the run needs ---------------------------------------------------

install_tools() {
  local -A package_of=(
    [wine]=wine [Xvfb]=xvfb [openbox]=openbox [xdotool]=xdotool
    [import]=imagemagick [xkbcomp]=x11-xkb-utils [pdftoppm]=poppler-utils
    [iconv]=libc-bin [cmp]=diffutils [xprop]=x11-utils [python3]=python3
  )
  local tool missing=()
  for tool in "${!package_of[@]}"; do
    command -v "$tool" >/dev/null || missing+=("${package_of[$tool]}")
  done
  local families
  families=$(fc-list 'Noto Sans CJK JP' family 2>/dev/null || true)
  if [ -z "$families" ]; then
    missing+=(fonts-noto-cjk)
  fi
  [ ${#missing[@]} -gt 0 ] || return 0
  command -v apt-get >/dev/null || smoke_fail "missing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The Linux program of this repository, built when needed into the folder
# scripts/build.sh uses (only the program's own target).
linux_program() {
  if [ -n "${SMOKE_LINUX_PROGRAM:-}" ]; then
    [ -x "$SMOKE_LINUX_PROGRAM" ] || smoke_fail "SMOKE_LINUX_PROGRAM=$SMOKE_LINUX_PROGRAM is no program"
    echo "$SMOKE_LINUX_PROGRAM"
    return
  fi
  local build_dir=${PICTOR_BUILD_DIR:-build}
  case $build_dir in /*) ;; *) build_dir=$repo/$build_dir ;; esac
  if [ ! -f "$build_dir/build.ninja" ]; then
    say "configuring the Linux build in $build_dir" >&2
    bash "$repo/scripts/setup.sh" >&2
    cmake -S "$repo" -B "$build_dir" -G Ninja \
      -DCMAKE_BUILD_TYPE="${PICTOR_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
  fi
  say "building the Linux program in $build_dir" >&2
  cmake --build "$build_dir" --target pictor --parallel "${PICTOR_JOBS:-2}" >"$SMOKE_TMP/linux-build.log" 2>&1 || {
    tail -n 30 "$SMOKE_TMP/linux-build.log" >&2
    smoke_fail "the Linux program did not build"
  }
  echo "$build_dir/pictor"
}

# --- displays and processes -----------------------------------------------

pids=()
cleanup() {
  local status=$? pid
  set +e
  for ((pid = ${#pids[@]} - 1; pid >= 0; pid--)); do
    kill "${pids[pid]}" 2>/dev/null
  done
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null
  fi
  wait 2>/dev/null
  if [ -n "${SMOKE_TMP:-}" ]; then
    # The logs of a failed run stay with the screenshots.
    if [ "$status" -ne 0 ]; then
      find "$SMOKE_TMP" -maxdepth 1 -name '*.log' -exec cp {} "$shots"/ \; 2>/dev/null
    fi
    if [ "${SMOKE_KEEP:-0}" = 1 ]; then
      echo "smoke-windows: kept $SMOKE_TMP" >&2
    else
      rm -rf "$SMOKE_TMP"
    fi
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Starts a private X server with openbox and makes it $DISPLAY.
start_display() {
  local file=$SMOKE_TMP/display-$1 deadline
  Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$file" >"$SMOKE_TMP/xvfb-$1.log" 2>&1 &
  pids+=($!)
  deadline=$((SECONDS + 20))
  until [ -s "$file" ]; do
    [ "$SECONDS" -le "$deadline" ] || smoke_fail "Xvfb did not start"
    sleep 0.1
  done
  DISPLAY=:$(head -n 1 "$file")
  export DISPLAY
  openbox --sm-disable >"$SMOKE_TMP/openbox-$1.log" 2>&1 &
  pids+=($!)
  deadline=$((SECONDS + 20))
  until [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null || true) == *"window id"* ]]; do
    [ "$SECONDS" -le "$deadline" ] || smoke_fail "openbox did not start"
    sleep 0.1
  done
  smoke_keymap_init
}

# Waits up to $2 seconds for the program started as process $1 to end, and
# checks that it ended with 0.
wait_program_end() {
  local pid=$1 seconds=${2:-30} deadline status=0
  deadline=$((SECONDS + seconds))
  while kill -0 "$pid" 2>/dev/null; do
    [ "$SECONDS" -le "$deadline" ] || smoke_fail "the program did not end within $seconds s"
    sleep 0.2
  done
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || smoke_fail "the program ended with $status"
}

# The first line of a job file, as text: checked against the keys' job.
check_job_file() {
  local file=$1 header
  [ -s "$file" ] || smoke_fail "no job file $file"
  header=$(head -n 1 "$file" | iconv -f CP932 -t UTF-8 | tr -d '\r') ||
    smoke_fail "$file is not CP932"
  [ "$header" = "$SMOKE_HEADER" ] ||
    smoke_fail "$file starts with $header, not $SMOKE_HEADER"
}

# The recovery journal of the running program: a run-N.journal with the
# keys in its folder $1. A missing journal is a failure noted for the end
# (the program warns of it on its input screen), so the rest still runs.
problems=()
check_journal() {
  local folder=$1 journal
  journal=$(find "$folder" -maxdepth 1 -name 'run-*.journal' -size +0 2>/dev/null | head -n 1 || true)
  if [ -n "$journal" ]; then
    pass "the recovery journal is written ($(basename "$journal"), $(stat -c %s "$journal") bytes)"
  else
    echo "smoke-windows: FAILED ($phase): no recovery journal in $folder: $(find "$folder" -mindepth 1 -printf '%f ' 2>/dev/null || true)" >&2
    problems+=("$phase: no recovery journal while keying")
  fi
}

# Seconds since a time taken with date +%s.%N, to a tenth.
seconds_since() {
  awk -v from="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.1f", now - from }'
}

# cmp of two job files; the first differing bytes when they differ.
same_bytes() {
  if ! cmp -s "$1" "$2"; then
    echo "smoke-windows: $1 and $2 differ:" >&2
    cmp -l "$1" "$2" | head -n 20 >&2 || true
    cmp "$1" "$2" >&2 || true
    smoke_fail "$(basename "$1") and $(basename "$2") are not the same bytes"
  fi
}

# --- Windows --------------------------------------------------------------

# The programs run as an operator's would: no Qt setting of a developer's
# shell reaches them (Wine hands WINEQT_ variables to Qt as QT_ ones, and
# WINEPATH could find other DLLs than the installed ones).
for variable in $(compgen -e); do
  case $variable in
  QT_* | WINEQT_* | WINEPATH) unset "$variable" ;;
  esac
done
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
win_exe=""
win_dir=""
win_documents=""

wine_prefix() {
  export WINEPREFIX=$SMOKE_TMP/prefix
  say "creating a Wine prefix (Windows 10) in $WINEPREFIX"
  wineboot -i >"$SMOKE_TMP/wineboot.log" 2>&1 ||
    smoke_fail "wineboot failed (see $SMOKE_TMP/wineboot.log)"
  winecfg -v win10 >>"$SMOKE_TMP/wineboot.log" 2>&1 ||
    smoke_fail "winecfg -v win10 failed"
  # Wine's own dialogs (the file dialogs) draw Japanese through a font
  # linked to theirs, as Windows links its own.
  local face
  for face in Tahoma "Microsoft Sans Serif"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK JP' /f >>"$SMOKE_TMP/wineboot.log" 2>&1
  done
  # The installer's Japanese pages ask for a face of Japanese Windows that
  # Wine lacks: Noto instead.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' \
    /v 'ＭＳ Ｐゴシック' /d 'Noto Sans CJK JP' /f >>"$SMOKE_TMP/wineboot.log" 2>&1
  wineserver -w
  grep -q '"ProductName"="Microsoft Windows 10' "$WINEPREFIX/system.reg" ||
    smoke_fail "the prefix does not say Windows 10"
  local user
  for user in "$WINEPREFIX"/drive_c/users/*; do
    [ "$(basename "$user")" = Public ] || win_documents=$user/Documents
  done
  mkdir -p "$win_documents"
  pass "Wine prefix, Windows 10"
}

# Waits for the first window of a setup program ($1 says which) and checks
# that its title is $2, NSIS's Japanese caption: one in English would say
# "ピクトル Setup" (or "ピクトル Uninstall"). Prints the window.
setup_window_in_japanese() {
  local what=$1 title=$2 deadline window="" name
  deadline=$((SECONDS + 60))
  until [ -n "$window" ]; do
    [ "$SECONDS" -le "$deadline" ] || smoke_fail "no window of the $what within 60 s"
    sleep 0.2
    window=$(xdotool search --onlyvisible --name '^ピクトル' 2>/dev/null | head -n 1 || true)
  done
  sleep 1
  # (The uninstaller's caption ends in a space.)
  name=$(xdotool getwindowname "$window" 2>/dev/null | sed 's/[[:space:]]*$//' || true)
  [ "$name" = "$title" ] ||
    smoke_fail "the $what's window is titled \"$name\", not \"$title\": it does not speak Japanese"
  echo "$window"
}

# The installer speaks Japanese on a Windows in English: its first page is
# shot, then it is cancelled (Escape, and Enter to its question whether to
# quit) before anything is installed.
check_installer_language() {
  local pid window deadline
  say "starting $(basename "${setups[0]}") for its first page"
  wine "${setups[0]}" >"$SMOKE_TMP/installer-pages.log" 2>&1 &
  pid=$!
  pids+=("$pid")
  window=$(setup_window_in_japanese installer 'ピクトル セットアップ')
  smoke_shot installer-welcome
  smoke_activate "$window"
  smoke_keys Escape
  sleep 1
  smoke_shot installer-quit
  smoke_keys Return
  deadline=$((SECONDS + 30))
  while kill -0 "$pid" 2>/dev/null; do
    [ "$SECONDS" -le "$deadline" ] || smoke_fail "the installer did not quit when cancelled"
    sleep 0.2
  done
  wait "$pid" || true
  wineserver -w
  [ -z "$(find "$WINEPREFIX/drive_c" -iname pictor.exe 2>/dev/null)" ] ||
    smoke_fail "the cancelled installer installed the program"
  pass "the installer speaks Japanese (\"ピクトル セットアップ\", installer-welcome.png); cancelled"
}

install_windows_program() {
  if [ -n "$unpacked" ]; then
    local from=$unpacked
    if [[ $unpacked == *.zip ]]; then
      command -v unzip >/dev/null || smoke_fail "unzip is needed for $unpacked"
      unzip -q "$unpacked" -d "$SMOKE_TMP/unzipped" || smoke_fail "cannot unzip $unpacked"
      from=$(find "$SMOKE_TMP/unzipped" -name pictor.exe -printf '%h\n' | head -n 1 || true)
    fi
    if [ -z "$from" ] || [ ! -f "$from/pictor.exe" ]; then
      smoke_fail "no pictor.exe in $unpacked"
    fi
    win_dir="$WINEPREFIX/drive_c/Program Files/ピクトル"
    mkdir -p "$win_dir"
    cp -r "$from"/. "$win_dir"/
    say "no installer: the program of $unpacked copied to C:${win_dir#"$WINEPREFIX/drive_c"}"
  else
    say "installing $(basename "${setups[0]}") silently (/S)"
    wine "${setups[0]}" /S >"$SMOKE_TMP/install.log" 2>&1 ||
      smoke_fail "the setup program failed ($?)"
    wineserver -w
    local found
    found=$(find "$WINEPREFIX/drive_c" -iname pictor.exe -path '*/Program Files*' | head -n 1 || true)
    [ -n "$found" ] || smoke_fail "the setup program installed no pictor.exe under Program Files"
    win_dir=$(dirname "$found")
    [ -f "$win_dir/Uninstall.exe" ] || smoke_fail "no Uninstall.exe in $win_dir"
    pass "installed in C:${win_dir#"$WINEPREFIX/drive_c"}"
  fi
  win_exe=$win_dir/pictor.exe
  # The licences come with the program: its own and every library's.
  local licence
  for licence in pictor Qt libcsv libzip zlib zint libxlsxwriter gcc-runtime mingw-w64; do
    [ -s "$win_dir/licenses/$licence.txt" ] || smoke_fail "no licenses/$licence.txt beside pictor.exe"
  done
}

win_program_pid=""
# Starts the Windows program (with the job file $1 when given, as a
# Windows path) and measures the time to its setup screen.
start_windows_program() {
  local begin splash=""
  begin=$(date +%s.%N)
  (cd "$win_dir" && exec wine "$win_exe" "$@") >>"$SMOKE_TMP/wine.log" 2>&1 &
  win_program_pid=$!
  pids+=("$win_program_pid")
  local deadline=$((SECONDS + 90))
  while [ "$SECONDS" -le "$deadline" ]; do
    if [ -z "$splash" ] && xdotool search --onlyvisible --name '^学校写真　番号集計ソフト ピクトル$' >/dev/null 2>&1; then
      splash=$(seconds_since "$begin")
    fi
    if xdotool search --onlyvisible --name "^${SMOKE_TITLE_SETUP}\$" >/dev/null 2>&1; then
      windows_start_seconds=$(seconds_since "$begin")
      windows_splash_seconds=${splash:-?}
      return
    fi
    kill -0 "$win_program_pid" 2>/dev/null || smoke_fail "the program ended before its setup screen (see $SMOKE_TMP/wine.log)"
    sleep 0.1
  done
  smoke_fail "no setup screen within 90 s"
}

win_path() {
  winepath -w "$1" 2>/dev/null
}

# The pupil report's preview, printed to a PDF with its print key (Ctrl+P).
# Where the system has no printer (a Wine prefix, a Linux box without
# CUPS) the preview asks at once where to save the PDF ("PDF に出力");
# otherwise it opens the print dialog, whose printer is then "PDF ファイルに
# 出力" with the output file's box (Alt+F), and 印刷 (Alt+P).
print_pupil_report() {
  local system=$1 pdf=$2 input preview dialog deadline path
  input=$(smoke_wait_window "$SMOKE_TITLE_INPUT")
  smoke_activate "$input"
  smoke_keys alt+p
  sleep 0.5
  smoke_keys Down Return
  preview=$(smoke_wait_window "$SMOKE_TITLE_PUPIL_REPORT" 30)
  smoke_activate "$preview"
  sleep 1
  smoke_shot report-preview "$preview"
  smoke_keys ctrl+p
  dialog=$(smoke_find_window '(PDF に出力|Export to PDF|印刷|Print)' 20) ||
    smoke_fail "the preview's Ctrl+P opened no dialog"
  smoke_activate "$dialog"
  if [[ $(xdotool getwindowname "$dialog" 2>/dev/null) == *PDF* ]]; then
    path=$pdf
    [ "$system" = windows ] && path=$(win_path "$pdf")
    smoke_keys Home shift+End Delete
    xdotool type --delay "$SMOKE_KEY_DELAY" "$path"
    sleep 0.3
    smoke_shot pdf-dialog "$dialog"
    smoke_keys Return
  else
    smoke_keys alt+f
    sleep 0.3
    smoke_keys ctrl+a
    xdotool type --delay "$SMOKE_KEY_DELAY" "$pdf"
    sleep 0.3
    smoke_shot print-dialog "$dialog"
    smoke_keys alt+p
  fi
  smoke_wait_window_gone "$SMOKE_TITLE_PUPIL_REPORT" 30
  deadline=$((SECONDS + 20))
  until [ -s "$pdf" ] && [ "$(head -c 5 "$pdf")" = "%PDF-" ]; do
    [ "$SECONDS" -le "$deadline" ] || smoke_fail "no PDF at $pdf"
    sleep 0.2
  done
  sleep 1
  pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$pdf" "$shots/$phase-report-page1" ||
    smoke_fail "pdftoppm cannot read $pdf"
  # The PDF's text, Japanese included, as the report says it. Qt's PDF
  # gives some ideographs of the Noto CJK faces back as the Kangxi radicals
  # of the same shape (人 as ⼈): compared in NFKC, which makes them one.
  local text
  text=$(pdftotext -enc UTF-8 "$pdf" - 2>/dev/null |
    python3 -c 'import sys, unicodedata; print(unicodedata.normalize("NFKC", sys.stdin.read()))' || true)
  [[ $text == *個人別注文一覧* && $text == *"$SMOKE_CUSTOMER"* && $text == *"$SMOKE_PHOTOGRAPHER"* ]] ||
    smoke_fail "the PDF's text lacks the report's title or the job's names"
}

# Starts the program with a job file, checks the setup screen took it and
# the input screen came up, saves it again under another name and checks
# the bytes are unchanged; then quits.
load_and_save_again() {
  local system=$1 file=$2 again=$3
  if [ "$system" = windows ]; then
    start_windows_program "$(win_path "$file")"
    smoke_open_loaded_job
    smoke_shot input-loaded "$(smoke_wait_window "$SMOKE_TITLE_INPUT")"
    smoke_save "$(win_path "$again")" "$again"
    smoke_quit
    wait_program_end "$win_program_pid"
  else
    start_linux_program "$file"
    smoke_open_loaded_job
    smoke_shot input-loaded "$(smoke_wait_window "$SMOKE_TITLE_INPUT")"
    smoke_save "$again" "$again"
    smoke_quit
    wait_program_end "$linux_program_pid"
  fi
  same_bytes "$file" "$again"
}

uninstall_windows_program() {
  if [ -n "$unpacked" ]; then
    say "unpacked program: no uninstall"
    return
  fi
  # The uninstaller speaks Japanese too. It runs on from a copy of itself;
  # Escape closes it at its first page.
  wine "$win_dir/Uninstall.exe" >"$SMOKE_TMP/uninstall-pages.log" 2>&1 ||
    smoke_fail "Uninstall.exe did not start"
  local window
  window=$(setup_window_in_japanese uninstaller 'ピクトル アンインストール')
  smoke_shot uninstaller-confirm
  smoke_activate "$window"
  smoke_keys Escape
  wineserver -w
  [ -f "$win_exe" ] || smoke_fail "the cancelled uninstaller removed the program"
  pass "the uninstaller speaks Japanese (\"ピクトル アンインストール\"); cancelled"
  say "uninstalling silently (Uninstall.exe /S)"
  wine "$win_dir/Uninstall.exe" /S >"$SMOKE_TMP/uninstall.log" 2>&1 ||
    smoke_fail "Uninstall.exe failed"
  # The uninstaller runs on from a copy of itself in the temporary folder.
  wineserver -w
  if [ -d "$win_dir" ]; then
    local left
    left=$(find "$win_dir" -type f | head -n 20 || true)
    [ -z "$left" ] || smoke_fail "files left in the install folder: $left"
  fi
  local links
  links=$(find "$WINEPREFIX/drive_c" \( -path '*/Start Menu/*' -o -path '*/Desktop/*' \) \
    \( -iname '*pictor*' -o -iname '*ピクトル*' \) 2>/dev/null | head -n 5 || true)
  [ -z "$links" ] || smoke_fail "shortcuts left: $links"
  pass "no program file left in C:${win_dir#"$WINEPREFIX/drive_c"}"
}

# --- Linux ----------------------------------------------------------------

linux_home=""
linux_program_pid=""
start_linux_program() {
  local begin
  begin=$(date +%s.%N)
  env -u QT_QPA_PLATFORMTHEME -u QT_IM_MODULE -u XMODIFIERS \
    HOME="$linux_home" XDG_CONFIG_HOME="$linux_home/.config" XDG_DATA_HOME="$linux_home/.local/share" \
    XDG_CACHE_HOME="$linux_home/.cache" XDG_RUNTIME_DIR="$linux_home/runtime" \
    QT_QPA_PLATFORM=xcb "$linux_exe" "$@" >>"$SMOKE_TMP/linux.log" 2>&1 &
  linux_program_pid=$!
  pids+=("$linux_program_pid")
  smoke_wait_window "$SMOKE_TITLE_SETUP" 60 >/dev/null
  linux_start_seconds=$(seconds_since "$begin")
  linux_first_start=${linux_first_start:-$linux_start_seconds}
}

# --- the run --------------------------------------------------------------

install_tools
mkdir -p "$shots"
rm -f "$shots"/*.png "$shots"/*.pdf "$shots"/*.ptl "$shots"/*.log
SMOKE_TMP=$(mktemp -d "${TMPDIR:-/tmp}/pictor-smoke.XXXXXX")
jobs=$SMOKE_TMP/jobs
mkdir -p "$jobs"
job_name="${SMOKE_CUSTOMER}_${SMOKE_EVENT}.ptl"

linux_exe=$(linux_program)
say "the Linux program: $linux_exe"
# Wine, openbox and the programs keep what they write in a home of their
# own (the Linux program gets another below).
export HOME=$SMOKE_TMP/home
export XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache XDG_DATA_HOME=$HOME/.local/share
mkdir -p "$HOME"

phase=windows
start_display windows
say "display $DISPLAY with openbox for Windows"
wine_prefix
[ -n "$unpacked" ] || check_installer_language
install_windows_program

say "starting pictor.exe"
start_windows_program
windows_first_start=$windows_start_seconds
pass "setup screen after $windows_start_seconds s (start screen after $windows_splash_seconds s)"
smoke_shot setup-empty "$(smoke_wait_window "$SMOKE_TITLE_SETUP")"
smoke_fill_setup
pass "setup screen keyed; input screen up"
smoke_key_pupils
smoke_shot input-keyed "$(smoke_wait_window "$SMOKE_TITLE_INPUT")"
pass "$SMOKE_PUPILS pupils keyed"
check_journal "$(dirname "$win_documents")/AppData/Local/pictor/journal"
win_job=$win_documents/$job_name
smoke_save "" "$win_job"
check_job_file "$win_job"
cp "$win_job" "$shots/windows.ptl"
pass "saved under the suggested name: C:${win_job#"$WINEPREFIX/drive_c"}"
print_pupil_report windows "$shots/windows-pupil-report.pdf"
pass "pupil report printed to a PDF ($(stat -c %s "$shots/windows-pupil-report.pdf") bytes)"
smoke_quit
wait_program_end "$win_program_pid"
pass "quit through the exit confirmation"

phase=windows-reload
load_and_save_again windows "$win_job" "$jobs/windows-again.ptl"
pass "the saved job loads in Windows (setup screen after $windows_start_seconds s) and saves again unchanged"

phase=linux
start_display linux
say "display $DISPLAY with openbox for Linux"
linux_home=$SMOKE_TMP/linux-home
mkdir -p "$linux_home/Documents" "$linux_home/runtime"
chmod 700 "$linux_home/runtime"
start_linux_program
pass "Linux setup screen after $linux_start_seconds s"
smoke_fill_setup
smoke_key_pupils
smoke_shot input-keyed "$(smoke_wait_window "$SMOKE_TITLE_INPUT")"
check_journal "$linux_home/.local/share/pictor/journal"
linux_job=$linux_home/Documents/$job_name
smoke_save "" "$linux_job"
check_job_file "$linux_job"
cp "$linux_job" "$shots/linux.ptl"
print_pupil_report linux "$shots/linux-pupil-report.pdf"
pass "pupil report printed to a PDF ($(stat -c %s "$shots/linux-pupil-report.pdf") bytes)"
smoke_quit
wait_program_end "$linux_program_pid"
pass "the same keys on Linux, saved and quit"

same_bytes "$win_job" "$linux_job"
pass "the Windows and the Linux job files are the same bytes ($(stat -c %s "$win_job") bytes)"

phase=linux-loads-windows
load_and_save_again linux "$win_job" "$jobs/windows-saved-by-linux.ptl"
pass "the Windows job file loads in Linux and saves again unchanged"

phase=windows-loads-linux
DISPLAY=:$(head -n 1 "$SMOKE_TMP/display-windows")
smoke_keymap_init
load_and_save_again windows "$linux_job" "$jobs/linux-saved-by-windows.ptl"
pass "the Linux job file loads in Windows and saves again unchanged"

phase=uninstall
uninstall_windows_program
[ -s "$win_job" ] || smoke_fail "the job file went with the uninstall: $win_job"
pass "the job file is still there"

if [ ${#problems[@]} -gt 0 ]; then
  printf 'smoke-windows: FAILED: %s\n' "${problems[@]}" >&2
  exit 1
fi
say "passed in $((SECONDS - started)) s; Windows start to the setup screen: $windows_first_start s (first start), Linux: $linux_first_start s; screenshots in $shots"
