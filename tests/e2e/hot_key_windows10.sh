#!/usr/bin/env bash
# On Windows versions other than 6.1 the hot key is registered without
# MOD_NOREPEAT; it must capture all the same. Wine is told to report
# Windows 10 to Lucidframe.exe alone, for the length of this test.
source "$(dirname "$0")/../../tools/e2e/lib.sh"
e2e_begin "$1"
app_defaults='HKCU\Software\Wine\AppDefaults\Lucidframe.exe'
"$E2E_TOOLS/wine-run" reg add "$app_defaults" /v Version /d win10 /f >/dev/null 2>&1 || e2e_fail "cannot set the reported version"
trap '"$E2E_TOOLS/wine-run" reg delete "$app_defaults" /f >/dev/null 2>&1; e2e_cleanup' EXIT

e2e_start_app
e2e_start_sample
capture="$E2E_DIR/Lucidframe Sample.png"
e2e_capture_checked pattern "$capture" e2e_hot_key_capture "$capture" ||
  e2e_fail "the capture does not match the window"
echo "PASS"
