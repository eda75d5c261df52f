# Shared steps of the end-to-end tests: sourced by tests/e2e/*.sh, which run
# inside tools/test-display (DISPLAY and WINEPREFIX are set).
#   e2e_begin BIN_DIR   sets up a private program folder holding Lucidframe.exe
# Every process a test starts is ended when the test exits.
#
# Wine has been seen to end a program before it ran (see tools/wine-run): the
# helper runs through wine-run, and a program started in the background that
# ends with a failure before it is up is started again, at most twice.

set -eEuo pipefail
# A step that fails outside a check still says which one it was.
trap 'echo "FAIL: \"$BASH_COMMAND\" exited with $? (${BASH_SOURCE[0]}:$LINENO)" >&2' ERR

e2e_pids=()
E2E_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

e2e_fail() {
  echo "FAIL: $*" >&2
  [ -d "${E2E_DIR:-}" ] && ls -la "$E2E_DIR" >&2
  [ -s "${E2E_OUT:-}" ] && { echo "output of the programs started in the background:"; cat "$E2E_OUT"; } >&2
  exit 1
}

e2e_cleanup() {
  local pid
  for pid in "${e2e_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${e2e_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$E2E_DIR" "$E2E_XDOTOOL_ERRORS" "$E2E_OUT"
}

e2e_begin() {
  E2E_BIN=$(cd "$1" && pwd)
  E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/lucidframe-e2e.XXXXXX")
  E2E_XDOTOOL_ERRORS=$(mktemp "${TMPDIR:-/tmp}/lucidframe-e2e-xdotool.XXXXXX")
  E2E_OUT=$(mktemp "${TMPDIR:-/tmp}/lucidframe-e2e-out.XXXXXX")
  cp "$E2E_BIN/Lucidframe.exe" "$E2E_DIR/"
  trap e2e_cleanup EXIT
  # The pointer stays over the empty desktop, out of every capture.
  xdotool mousemove 1270 1010
}

# The Windows path of a file on the Unix side (wine maps / to Z:).
e2e_winpath() {
  printf 'Z:%s' "${1//\//\\}"
}

e2e_helper() {
  "$E2E_TOOLS/wine-run" "$E2E_BIN/lucidframe-e2e-helper.exe" "$@"
}

# e2e_launch PROGRAM ARGS... -- PROBE...
# Starts a Windows program in the background (its output goes to $E2E_OUT)
# and polls the command PROBE until it says the program is up, for at most
# 20 s. The program is started again when it ended with a failure status
# before that. E2E_LAUNCHED is its process.
e2e_launch() {
  local program=() attempt deadline status
  while [ "$1" != -- ]; do
    program+=("$1")
    shift
  done
  shift
  for attempt in 1 2 3; do
    wine "${program[@]}" >>"$E2E_OUT" &
    E2E_LAUNCHED=$!
    e2e_pids+=("$E2E_LAUNCHED")
    deadline=$((SECONDS + 20))
    while kill -0 "$E2E_LAUNCHED" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do
      "$@" >/dev/null && return 0
      sleep 0.1
    done
    kill -0 "$E2E_LAUNCHED" 2>/dev/null && return 1
    status=0
    wait "$E2E_LAUNCHED" || status=$?
    [ "$status" -ne 0 ] && [ "$attempt" -lt 3 ] || return 1
    echo "e2e: wine ended ${program[0]##*/} with status $status before it was up; starting it again" >&2
  done
}

# Starts Lucidframe.exe from the program folder; waits for its host window.
# APP_PID is the process to wait on for its exit code.
e2e_start_app() {
  e2e_launch "$E2E_DIR/Lucidframe.exe" -- e2e_helper wait-window '#32770' Lucidframe 0 ||
    e2e_fail "the host window did not appear"
  APP_PID=$E2E_LAUNCHED
}

# Waits until APP_PID ends, at most $1 seconds; APP_EXIT gets its exit code.
e2e_wait_app_exit() {
  local tries=$(($1 * 10))
  while kill -0 "$APP_PID" 2>/dev/null && [ "$tries" -gt 0 ]; do
    sleep 0.1
    tries=$((tries - 1))
  done
  kill -0 "$APP_PID" 2>/dev/null && e2e_fail "Lucidframe.exe is still running"
  APP_EXIT=0
  wait "$APP_PID" || APP_EXIT=$?
}

# Starts the sample window with the given options; SAMPLE_XID is its X window.
e2e_start_sample() {
  E2E_SAMPLE_TITLE="Lucidframe Sample"
  local args=("$@")
  while [ $# -gt 0 ]; do
    [ "$1" = --title ] && E2E_SAMPLE_TITLE=$2
    shift
  done
  e2e_launch "$E2E_BIN/lucidframe-sample-window.exe" "${args[@]}" -- e2e_sample_shown ||
    e2e_fail "the sample window '$E2E_SAMPLE_TITLE' did not appear"
  # Mapped is not yet painted: give the layered window its first frame.
  sleep 0.5
}

e2e_sample_shown() {
  SAMPLE_XID=$(e2e_find_windows "^$E2E_SAMPLE_TITLE\$") || return 1
  SAMPLE_XID=${SAMPLE_XID%%$'\n'*}
}

# Prints the visible X windows whose name matches the regular expression $1,
# waiting up to $2 whole seconds for one to show (by default looking once).
# xdotool dies with BadWindow when a window vanishes in the middle of its
# search; such a search is repeated rather than taken for "no window".
e2e_find_windows() {
  local name=$1 tries=$((${2:-0} * 10)) crashes=0 found
  while :; do
    if found=$(xdotool search --onlyvisible --name "$name" 2>"$E2E_XDOTOOL_ERRORS"); then
      printf '%s\n' "$found"
      return 0
    fi
    if grep -q '^X Error' "$E2E_XDOTOOL_ERRORS" && [ "$crashes" -lt 50 ]; then
      crashes=$((crashes + 1))
    elif [ "$tries" -gt 0 ]; then
      tries=$((tries - 1))
    else
      return 1
    fi
    sleep 0.1
  done
}

e2e_visible_windows() {
  e2e_find_windows '' | sort
}

# Opens the tray menu through the tray callback, as the shell does on a right
# click, and waits for the popup to show.
e2e_open_menu() {
  local before after tries=50
  before=$(e2e_visible_windows)
  e2e_helper tray 516 || e2e_fail "cannot post the tray callback"
  while [ "$tries" -gt 0 ]; do
    sleep 0.1
    after=$(e2e_visible_windows)
    [ -n "$(comm -13 <(echo "$before") <(echo "$after"))" ] && return 0
    tries=$((tries - 1))
  done
  e2e_fail "the tray menu did not open"
}

# Keys for the open menu. The helper posts them to the menu's thread: the X
# keyboard focus, and with it wine's foreground, need not be on the popup.
e2e_menu_keys() {
  e2e_helper keys "$@" || e2e_fail "cannot type into the menu"
  sleep 0.3
}

# Chooses a tray menu item by keys, e.g. e2e_choose Down Down Down Right Return.
e2e_choose() {
  e2e_open_menu
  e2e_menu_keys "$@"
}

# Makes the sample window the foreground window the way a user does, with a
# click into it, then takes the pointer back out of the capture. With no
# window manager wine does not follow X focus changes alone, and the tray
# menu leaves the host window in the foreground.
e2e_focus_sample() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$SAMPLE_XID")"
  xdotool mousemove $((X + WIDTH * 3 / 4)) $((Y + HEIGHT * 3 / 4)) click 1 mousemove 1270 1010
  xdotool windowfocus --sync "$SAMPLE_XID"
  sleep 0.2
}

e2e_mtime() {
  stat -c %Y.%y "$1" 2>/dev/null || echo none
}

# Presses Ctrl+PrtSc over the sample window until $1 is (re)written. A wine
# hot key fires only while a wine window has the X focus, and an unmanaged
# window can lose it after a capture or a menu, so the focus is set each time.
e2e_hot_key_capture() {
  local file=$1 before attempt tries
  before=$(e2e_mtime "$file")
  for attempt in 1 2 3; do
    e2e_focus_sample
    xdotool key ctrl+Print
    for tries in $(seq 40); do
      [ "$(e2e_mtime "$file")" != "$before" ] && { sleep 0.3; return 0; }
      sleep 0.1
    done
  done
  e2e_fail "no capture was written to $file"
}

# e2e_capture_checked MODE FILE COMMAND...
# Runs COMMAND, which captures the sample window into FILE, and checks the
# capture against the sample's pixels in MODE. A pass copies the screen
# straight after its z-order calls, while xcompmgr repaints on its own
# schedule: now and then a pass copies a frame from before the backdrop moved.
# Such a capture is reported and taken again, at most twice; a capture that is
# wrong for any other reason is wrong every time.
e2e_capture_checked() {
  local mode=$1 file=$2 attempt
  shift 2
  for attempt in 1 2 3; do
    [ "$attempt" -eq 1 ] || rm -f "$file"
    "$@"
    e2e_helper check-png "$(e2e_winpath "$file")" "$mode" && return 0
    echo "e2e: capture $attempt of ${file##*/} does not match the window" >&2
  done
  return 1
}

# The INI file as UTF-8, failing unless it is UTF-16LE with a byte-order mark.
e2e_read_ini() {
  [ "$(head -c 2 "$E2E_DIR/Lucidframe.ini" | od -An -tx1 | tr -d ' ')" = fffe ] ||
    e2e_fail "Lucidframe.ini does not start with a UTF-16LE byte-order mark"
  iconv -f UTF-16 -t UTF-8 "$E2E_DIR/Lucidframe.ini" | tr -d '\r'
}
