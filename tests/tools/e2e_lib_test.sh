#!/usr/bin/env bash
# The restarts of tools/e2e/lib.sh, against a stand-in for wine that follows a
# script of starts: e2e_launch starts again a program that wine ended before it
# was up, and nothing else; e2e_capture_checked captures again after a
# mismatch, at most twice.
set -euo pipefail
lib=$(cd "$(dirname "$0")/../.." && pwd)/tools/e2e/lib.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/wine" <<'STANDIN'
#!/usr/bin/env bash
# One line of $WINE_SCRIPT per start: "up" says so and stays running;
# "STATUS [TEXT]" writes TEXT and ends with STATUS.
n=$(( $(cat "$WINE_STARTS" 2>/dev/null || echo 0) + 1 ))
echo "$n" > "$WINE_STARTS"
read -r status text < <(sed -n "${n}p" "$WINE_SCRIPT")
if [ "$status" = up ]; then
  echo up
  exec sleep 30
fi
[ -z "$text" ] || echo "$text"
exit "$status"
STANDIN
chmod +x "$work/wine"

# One step of the library in a test script of its own: "launch" or "capture".
cat > "$work/step.sh" <<'STEP'
source "$LIB"
E2E_DIR=$(mktemp -d) E2E_XDOTOOL_ERRORS=$(mktemp) E2E_OUT=$(mktemp) E2E_BIN=$WORK
trap e2e_cleanup EXIT
capture() {
  echo "captured, file there before: $([ -e "$WORK/capture.png" ] && echo yes || echo no)"
  touch "$WORK/capture.png"
}
touch "$WORK/capture.png"
case $1 in
  launch) e2e_launch program.exe -- grep -q up "$E2E_OUT" ;;
  capture) e2e_capture_checked pattern "$WORK/capture.png" capture ;;
esac
STEP

# Prints the step's status; its output goes to $work/err.
run_step() {
  PATH="$work:$PATH" WINE_SCRIPT="$work/script" WINE_STARTS="$work/starts" LIB="$lib" WORK="$work" \
    bash "$work/step.sh" "$1" >"$work/err" 2>&1 && echo 0 || echo 1
}

failures=0
# name | step | starts script (";" between starts) | status | starts | output holds (empty: no retry)
while IFS='|' read -r name step script status starts stderr_holds; do
  rm -f "$work/starts"
  tr ';' '\n' <<<"$script" > "$work/script"
  got_status=$(run_step "$step")
  got_starts=$(cat "$work/starts")
  if [ "$got_status" != "$status" ] || [ "$got_starts" != "$starts" ] ||
     { [ -z "$stderr_holds" ] && grep -q 'again\|does not match' "$work/err"; } ||
     { [ -n "$stderr_holds" ] && ! grep -q -- "$stderr_holds" "$work/err"; }; then
    echo "FAIL $name: status $got_status, starts $got_starts, output:"
    sed 's/^/  /' "$work/err"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
done <<'CASES'
launch_up_at_once|launch|up|0|1|
launch_ended_by_wine_is_restarted|launch|3;up|0|2|with status 3 before it was up; starting it again
launch_gives_up_after_three|launch|3;3;3|1|3|starting it again
launch_ending_cleanly_is_not_restarted|launch|0|1|1|
capture_matching_at_once|capture|0|0|1|captured, file there before: yes
capture_mismatch_is_taken_again|capture|1 pixel (3, 0) differs;0|0|2|captured, file there before: no
capture_wrong_three_times_fails|capture|1 a;1 b;1 c|1|3|capture 3 of capture.png does not match
CASES
exit $((failures > 0))
