#!/usr/bin/env bash
# With Ctrl+PrtSc held by another program the warning box shows its exact
# text, and the tray menu's delayed capture still captures.
source "$(dirname "$0")/../../tools/e2e/lib.sh"
e2e_begin "$1"

e2e_launch "$E2E_BIN/lucidframe-e2e-helper.exe" hold-hotkey 60 -- grep -q holding "$E2E_OUT" ||
  e2e_fail "the helper could not take Ctrl+PrtSc"

e2e_start_app
text=$(e2e_helper message-box 提示 10 | tr -d '\r') || e2e_fail "no warning box appeared"
[ "$text" = "注册热键 Ctrl+PrtSc 失败，程序无法正常工作！" ] || e2e_fail "warning text: $text"

capture="$E2E_DIR/Lucidframe Sample.png"
delayed_capture() {
  e2e_choose Down Return
  sleep 0.5
  e2e_focus_sample
  for _ in $(seq 80); do
    [ -e "$capture" ] && return 0
    sleep 0.1
  done
  e2e_fail "the delayed capture wrote nothing"
}

e2e_start_sample
e2e_capture_checked pattern "$capture" delayed_capture || e2e_fail "the delayed capture does not match the window"
echo "PASS"
