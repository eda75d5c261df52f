#!/usr/bin/env bash
# One instance at a time; only a right-button press opens the tray menu;
# Escape dismisses it without effect; a restarted shell gets the icon back;
# "退出程序" removes the icon and ends the program with exit code 0. The open
# menus are kept as screenshots.
source "$(dirname "$0")/../../tools/e2e/lib.sh"
e2e_begin "$1"
artefacts="$1/../e2e-artefacts"
mkdir -p "$artefacts"

e2e_start_app
start=$(date +%s%N)
second=0
timeout 20 "$E2E_TOOLS/wine-run" "$E2E_DIR/Lucidframe.exe" || second=$?
[ "$second" -eq 0 ] || e2e_fail "a second start exited with $second"
[ $(( ($(date +%s%N) - start) / 1000000 )) -lt 5000 ] || e2e_fail "a second start took over 5 s"
e2e_helper wait-window '#32770' Lucidframe 0 || e2e_fail "the first instance ended"
kill -0 "$APP_PID" || e2e_fail "the first instance ended"

before=$(e2e_visible_windows)
for mouse_message in 512 513 514 515 517; do   # move, left down/up/double, right up
  e2e_helper tray "$mouse_message"
done
sleep 1
[ "$(e2e_visible_windows)" = "$before" ] || e2e_fail "a tray message other than a right-button press opened a window"

e2e_open_menu
e2e_menu_keys Down Down Right
import -window root "$artefacts/tray-menu-save-method.png"
e2e_menu_keys Left Down Right
import -window root "$artefacts/tray-menu-other-settings.png"
e2e_menu_keys Escape Escape Escape
[ "$(e2e_visible_windows)" = "$before" ] || e2e_fail "Escape left the menu open"
[ ! -e "$E2E_DIR/Lucidframe.ini" ] || e2e_fail "a dismissed menu wrote the settings file"

tray_shown() {
  sleep 0.5
  e2e_find_windows '^Wine System Tray$' >/dev/null
}
tray_shown || e2e_fail "no tray icon is shown"
e2e_helper forget-icon || e2e_fail "cannot remove the tray icon"
! tray_shown || e2e_fail "the tray still shows after its icon was removed"
e2e_helper taskbar-created || e2e_fail "cannot announce a restarted shell"
tray_shown || e2e_fail "the icon did not come back for a restarted shell"

e2e_choose Up Return
e2e_wait_app_exit 10
[ "$APP_EXIT" -eq 0 ] || e2e_fail "the exit command ended the program with $APP_EXIT"
! tray_shown || e2e_fail "the tray icon outlived the program"
echo "PASS (menu screenshots in $artefacts)"
