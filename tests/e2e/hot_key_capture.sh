#!/usr/bin/env bash
# Ctrl+PrtSc over a translucent window saves "<title>.png" in the program
# folder, cropped to the window, with the window's known alpha.
source "$(dirname "$0")/../../tools/e2e/lib.sh"
e2e_begin "$1"
e2e_start_app

for mode in pattern constant opaque; do
  title="Sample $mode"
  e2e_start_sample --title "$title" --mode "$mode" --x 300 --y 200
  e2e_capture_checked "$mode" "$E2E_DIR/$title.png" e2e_hot_key_capture "$E2E_DIR/$title.png" ||
    e2e_fail "the capture of the $mode window does not match its pixels"
  kill "${e2e_pids[-1]}"
done
[ ! -e "$E2E_DIR/Lucidframe.ini" ] || e2e_fail "a capture wrote the settings file"
echo "PASS"
