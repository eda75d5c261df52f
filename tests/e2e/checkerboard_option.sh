#!/usr/bin/env bash
# "方格透明" chosen from the tray menu is written to the INI file at once,
# flattens the next capture (alpha 254 everywhere), survives a restart, and a
# second choice turns it off again.
source "$(dirname "$0")/../../tools/e2e/lib.sh"
e2e_begin "$1"
capture="$E2E_DIR/Lucidframe Sample.png"
other_settings=(Down Down Down Right)

e2e_start_app
e2e_start_sample
e2e_choose "${other_settings[@]}" Down Down Return
[ "$(e2e_read_ini)" = $'[程序设置]\n方格透明=1' ] || e2e_fail "unexpected INI file: $(e2e_read_ini)"
e2e_hot_key_capture "$capture"
read -r width height low high <<<"$(e2e_helper png-summary "$(e2e_winpath "$capture")" | tr -d '\r')"
[ "$width x $height, alpha $low..$high" = "320 x 200, alpha 254..254" ] ||
  e2e_fail "checkerboard capture is $width x $height, alpha $low..$high"

e2e_choose Up Return
e2e_wait_app_exit 10
e2e_start_app
rm "$capture"
e2e_hot_key_capture "$capture"
read -r width height low high <<<"$(e2e_helper png-summary "$(e2e_winpath "$capture")" | tr -d '\r')"
[ "$low..$high" = "254..254" ] || e2e_fail "after a restart the checkerboard is off (alpha $low..$high)"

e2e_choose "${other_settings[@]}" Down Down Return
[ "$(e2e_read_ini)" = $'[程序设置]\n方格透明=0' ] || e2e_fail "unexpected INI file: $(e2e_read_ini)"
e2e_capture_checked pattern "$capture" e2e_hot_key_capture "$capture" || e2e_fail "with the option off the capture lost its alpha"
echo "PASS"
