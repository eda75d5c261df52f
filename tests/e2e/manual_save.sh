#!/usr/bin/env bash
# Manual saving: the hot key opens the Save dialog; a name typed without
# extension is saved as "<name>.png" in the chosen folder; Escape writes
# nothing and leaves the next hot key working.
source "$(dirname "$0")/../../tools/e2e/lib.sh"
e2e_begin "$1"
chosen="$E2E_DIR/chosen"
mkdir "$chosen"
save_method=(Down Down Right)

# Opens the Save dialog with the hot key; E2E_DIALOG is its X window.
open_save_dialog() {
  local attempt
  for attempt in 1 2 3; do
    e2e_focus_sample
    xdotool key ctrl+Print
    if E2E_DIALOG=$(e2e_find_windows '^Save As$' 5); then
      xdotool windowfocus --sync "${E2E_DIALOG%%$'\n'*}"
      sleep 0.3
      return 0
    fi
  done
  e2e_fail "the Save dialog did not open"
}

wait_dialog_closed() {
  for _ in $(seq 50); do
    e2e_find_windows '^Save As$' >/dev/null || return 0
    sleep 0.1
  done
  e2e_fail "the Save dialog stayed open"
}

e2e_start_app
e2e_start_sample
e2e_choose "${save_method[@]}" Down Return
[ "$(e2e_read_ini)" = $'[程序设置]\n保存方式=1' ] || e2e_fail "unexpected INI file: $(e2e_read_ini)"
e2e_choose "${save_method[@]}" Down Return
[ "$(e2e_read_ini)" = $'[程序设置]\n保存方式=1' ] || e2e_fail "choosing the checked save method changed it"

open_save_dialog
xdotool key Escape
wait_dialog_closed
sleep 0.5
[ -z "$(find "$E2E_DIR" -name '*.png')" ] || e2e_fail "a cancelled Save dialog wrote a file"

save_picked() {
  open_save_dialog
  xdotool type "$(e2e_winpath "$chosen")\\picked"
  xdotool key Return
  wait_dialog_closed
  for _ in $(seq 50); do
    [ -e "$chosen/picked.png" ] && return 0
    sleep 0.1
  done
  e2e_fail "no picked.png in the chosen folder: $(find "$E2E_DIR" -name '*.png')"
}
e2e_capture_checked pattern "$chosen/picked.png" save_picked || e2e_fail "the saved capture does not match the window"
[ ! -e "$E2E_DIR/Lucidframe Sample.png" ] || e2e_fail "manual mode also saved automatically"
echo "PASS"
