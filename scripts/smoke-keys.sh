# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The keys of the smoke run, shared by the Windows program under Wine and the
# Linux program: a short day keyed through xdotool into the real windows of
# the program on the X display in $DISPLAY. Sourced by smoke-windows.sh, which
# provides smoke_fail (report and stop) and smoke_shot (a screenshot).
#
# Every step waits for the window it needs by its title and activates it
# before keying: Wine takes its time to map and focus a window.

# The job keyed: ranges and prices of the three sizes, and the job's texts.
SMOKE_CUSTOMER='さくら小学校'
SMOKE_EVENT='運動会'
SMOKE_DATE='2024-10-12'
SMOKE_PHOTOGRAPHER='山田'
SMOKE_RANGES=(1 100 101 200 201 400) # large, medium, small: start and end
SMOKE_PRICES=(500 300 100)           # large, medium, small
# The first line of the job file these keys give (CP932 in the file):
# texts, size modes and ranges, prices, the prints (all, large, medium,
# small), the pupils registered and the last pupil's slot.
SMOKE_HEADER='"さくら小学校","運動会","2024-10-12","山田",0,1,100,0,101,200,201,400,500,300,100,9,4,2,3,4,4'
SMOKE_PUPILS=4

# The windows, by their titles.
SMOKE_TITLE_SETUP='写真データの設定 － 学校写真番号集計ソフト ピクトル'
SMOKE_TITLE_INPUT='写真番号入力　　　　　　　　　学校写真番号集計ソフト　ピクトル'
SMOKE_TITLE_END='学校写真番号集計ソフト  ピクトルの終了確認'
SMOKE_TITLE_SAVE='データ保存'
SMOKE_TITLE_MESSAGE='ピクトル' # the program's message boxes
SMOKE_TITLE_PUPIL_REPORT='個人別印刷'

# Small pauses between keys: Wine handles a key in a few milliseconds, but
# a window it has just activated takes a moment to take the focus.
SMOKE_KEY_DELAY=${SMOKE_KEY_DELAY:-60}

# The id of a visible window whose title is exactly $1, waiting up to $2
# seconds (default 20); empty when none came. A message box of the program
# appearing instead stops the run.
smoke_find_window() {
  local title=$1 seconds=${2:-20} id deadline
  deadline=$((SECONDS + seconds))
  while [ "$SECONDS" -le "$deadline" ]; do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | tail -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    smoke_no_message_box
    sleep 0.2
  done
  return 1
}

# Fails when a message box of the program is up (an error the keys did not
# expect: a refused field, a failed save, a failed load).
smoke_no_message_box() {
  local box
  box=$(xdotool search --onlyvisible --name "^${SMOKE_TITLE_MESSAGE}\$" 2>/dev/null | tail -n 1 || true)
  if [ -n "$box" ]; then
    smoke_shot message-box "$box"
    smoke_fail "a message box of the program came up (see message-box.png)"
  fi
}

smoke_wait_window() {
  local id
  id=$(smoke_find_window "$1" "${2:-20}") || smoke_fail "no window titled \"$1\" within ${2:-20} s"
  echo "$id"
}

# Waits until no visible window is titled exactly $1 (up to $2 seconds).
smoke_wait_window_gone() {
  local title=$1 seconds=${2:-20} deadline
  deadline=$((SECONDS + seconds))
  while [ "$SECONDS" -le "$deadline" ]; do
    if [ -z "$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null || true)" ]; then
      return 0
    fi
    sleep 0.2
  done
  smoke_fail "the window \"$title\" did not go within $seconds s"
}

smoke_activate() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowactivate "$1" >/dev/null 2>&1 || true
  xdotool windowfocus --sync "$1" >/dev/null 2>&1 || true
  sleep 0.3
}

smoke_keys() {
  xdotool key --delay "$SMOKE_KEY_DELAY" "$@"
}

# Characters beyond ASCII have no key on the US keyboard of the X server.
# They are bound to spare key codes in the server's keymap, at most five at a
# time (Wine gives only a few spare key codes a virtual key, and picks up a
# new keymap a moment after it is loaded), and then typed as keys of their
# own. xdotool's own way (a key code bound for one key press and unbound
# right after) loses characters under Wine: Wine reads the keymap later than
# the key.
SMOKE_SPARE_KEYS=5

# Reads the X server's keymap once: the keymap file and its key names
# without symbols, lowest key code first.
smoke_keymap_init() {
  SMOKE_KEYMAP=$SMOKE_TMP/keymap-${DISPLAY#:}.xkb
  xkbcomp -w0 -xkb "$DISPLAY" "$SMOKE_KEYMAP" 2>/dev/null || smoke_fail "cannot read the keymap of $DISPLAY"
  local used
  used=$(sed -n '/xkb_symbols/,/^};/p' "$SMOKE_KEYMAP" | grep -o 'key  *<[^>]*>' | grep -o '<[^>]*>' | sort -u)
  mapfile -t SMOKE_FREE_KEYS < <(sed -n '/xkb_keycodes/,/^};/p' "$SMOKE_KEYMAP" |
    sed -n 's/^ *\(<[A-Z0-9]*>\) *= *\([0-9]*\);.*/\2 \1/p' | sort -n |
    while read -r _ name; do grep -qxF "$name" <<<"$used" || echo "$name"; done)
  [ "${#SMOKE_FREE_KEYS[@]}" -ge "$SMOKE_SPARE_KEYS" ] || smoke_fail "the keymap of $DISPLAY has too few spare key codes"
}

# Binds the characters given (at most SMOKE_SPARE_KEYS) to spare key codes.
smoke_bind_characters() {
  local lines="" i=0 c code
  for c in "$@"; do
    code=$(printf '%s' "$c" | iconv -f UTF-8 -t UTF-32BE | od -An -tx1 | tr -d ' \n')
    lines+=$(printf '    key %s { [ U%04X ] };' "${SMOKE_FREE_KEYS[i]}" "$((16#$code))")$'\n'
    i=$((i + 1))
  done
  awk -v add="$lines" '/xkb_symbols/ { s = 1 } s == 1 && /^};/ { printf "%s", add; s = 2 } { print }' \
    "$SMOKE_KEYMAP" >"$SMOKE_KEYMAP.bound"
  xkbcomp -w0 "$SMOKE_KEYMAP.bound" "$DISPLAY" 2>/dev/null || smoke_fail "cannot load a keymap into $DISPLAY"
  sleep 1
}

# Types a text into the focused control, ASCII and Japanese alike.
smoke_type() {
  local text=$1 chunk="" c i
  local -a bound=()
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    if [[ $c == [[:print:]] && $(printf '%s' "$c" | LC_ALL=C wc -c) -eq 1 ]] || [[ " ${bound[*]} " == *" $c "* ]]; then
      chunk+=$c
      continue
    fi
    if [ "${#bound[@]}" -eq "$SMOKE_SPARE_KEYS" ]; then
      smoke_bind_characters "${bound[@]}"
      xdotool type --delay "$SMOKE_KEY_DELAY" "$chunk"
      chunk="" bound=()
    fi
    bound+=("$c")
    chunk+=$c
  done
  if [ "${#bound[@]}" -gt 0 ]; then
    smoke_bind_characters "${bound[@]}"
  fi
  if [ -n "$chunk" ]; then
    xdotool type --delay "$SMOKE_KEY_DELAY" "$chunk"
  fi
}

# The setup screen, empty, as a run starts: the ranges, the prices and the
# texts, each box left with Enter as the operator does; Enter in the last
# box moves to the finish button, and Enter on it opens the input screen.
smoke_fill_setup() {
  local setup value
  setup=$(smoke_wait_window "$SMOKE_TITLE_SETUP" 60)
  smoke_activate "$setup"
  for value in "${SMOKE_RANGES[@]}" "${SMOKE_PRICES[@]}"; do
    smoke_type "$value"
    smoke_keys Return
  done
  for value in "$SMOKE_CUSTOMER" "$SMOKE_EVENT" "$SMOKE_DATE" "$SMOKE_PHOTOGRAPHER"; do
    smoke_type "$value"
    smoke_keys Return
  done
  smoke_no_message_box
  sleep 0.5
  smoke_shot setup-filled "$setup"
  smoke_keys Return
  smoke_wait_window "$SMOKE_TITLE_INPUT" >/dev/null
  smoke_wait_window_gone "$SMOKE_TITLE_SETUP"
}

# Four pupils on the input screen: the keypad as the operator uses it
# (numbers, Enter, a minus to take a print back, "/" and "*" to register a
# pupil), and one pupil on the main keys.
smoke_key_pupils() {
  local input
  input=$(smoke_wait_window "$SMOKE_TITLE_INPUT")
  smoke_activate "$input"
  # 1: two large prints and a medium one.
  smoke_keys KP_5 KP_Enter KP_7 KP_Enter KP_1 KP_5 KP_0 KP_Enter KP_Divide
  # 2: 250 twice and 300, then one 250 taken back.
  smoke_keys KP_2 KP_5 KP_0 KP_Enter KP_2 KP_5 KP_0 KP_Enter KP_3 KP_0 KP_0 KP_Enter \
    KP_Subtract KP_2 KP_5 KP_0 KP_Enter KP_Divide
  # 3: the main keys.
  smoke_keys 3 Return 1 2 0 Return slash
  # 4: a typing slip taken back with ".", and "*" to register.
  smoke_keys KP_8 KP_0 KP_Enter KP_3 KP_9 KP_9 KP_9 KP_Decimal KP_Enter KP_Multiply
  sleep 0.5
  smoke_no_message_box
}

# Ctrl+S on the input screen, the file name $1 typed into the save dialog
# (Wine's own dialog on Windows, Qt's on Linux) over the one it suggests,
# then waits for the file. With no $1 the suggested name is kept. $2 is the
# file as this shell sees it.
smoke_save() {
  local name=$1 file=$2 input dialog deadline
  input=$(smoke_wait_window "$SMOKE_TITLE_INPUT")
  smoke_activate "$input"
  smoke_keys ctrl+s
  dialog=$(smoke_wait_window "$SMOKE_TITLE_SAVE")
  smoke_activate "$dialog"
  if [ -n "$name" ]; then
    smoke_keys Home shift+End Delete
    xdotool type --delay "$SMOKE_KEY_DELAY" "$name"
    sleep 0.3
  fi
  smoke_shot "save-dialog" "$dialog"
  smoke_keys Return
  smoke_wait_window_gone "$SMOKE_TITLE_SAVE"
  deadline=$((SECONDS + 10))
  until [ -s "$file" ]; do
    [ "$SECONDS" -le "$deadline" ] || smoke_fail "the job was not saved as $file"
    smoke_no_message_box
    sleep 0.2
  done
  sleep 0.5
  smoke_no_message_box
}

# Quits from the input screen through the file menu's 終了 and the exit
# confirmation's OK (the dialog opens on キャンセル: Tab to OK, Space).
smoke_quit() {
  local input confirmation
  input=$(smoke_wait_window "$SMOKE_TITLE_INPUT")
  smoke_activate "$input"
  smoke_keys alt+f
  sleep 0.5
  smoke_keys Down Return
  confirmation=$(smoke_wait_window "$SMOKE_TITLE_END")
  smoke_activate "$confirmation"
  smoke_shot exit-confirmation "$confirmation"
  smoke_keys Tab space
}

# Started with a job file: the setup screen shows it loaded (locked, the
# finish button focused); Enter opens the input screen with the job.
smoke_open_loaded_job() {
  local setup
  setup=$(smoke_wait_window "$SMOKE_TITLE_SETUP" 60)
  smoke_activate "$setup"
  sleep 0.5
  smoke_no_message_box
  smoke_shot setup-loaded "$setup"
  smoke_keys Return
  smoke_wait_window "$SMOKE_TITLE_INPUT" >/dev/null
  sleep 0.5
  smoke_no_message_box
}
