#!/usr/bin/env bash
# wine-run with a stand-in for wine that follows a script of starts:
# each start's status and what it writes. Checks the status, the output on
# each stream, how many times the program was started, and that each restart
# left one line in retries.log beside the program.
set -euo pipefail
wine_run=$(cd "$(dirname "$0")" && pwd)/wine-run
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/wine" <<'STANDIN'
#!/usr/bin/env bash
# One line of $WINE_SCRIPT per start: STATUS STDOUT STDERR ("-" writes nothing).
n=$(( $(cat "$WINE_STARTS" 2>/dev/null || echo 0) + 1 ))
echo "$n" > "$WINE_STARTS"
read -r status out err < <(sed -n "${n}p" "$WINE_SCRIPT")
[ "$out" = - ] || echo "$out"
[ "$err" = - ] || echo "$err" >&2
exit "$status"
STANDIN
chmod +x "$work/wine"

stderr_matches() {  # PATTERN FILE; an empty pattern wants an empty file
  if [ -z "$1" ]; then [ ! -s "$2" ]; else grep -q -- "$1" "$2"; fi
}

failures=0
# name | starts script (";" between starts) | status | stdout | starts | stderr
# holds (empty: stderr stays empty)
while IFS='|' read -r name script status stdout starts stderr_holds; do
  rm -f "$work/starts" "$work/retries.log"
  tr ';' '\n' <<<"$script" > "$work/script"
  got_status=0
  PATH="$work:$PATH" WINE_SCRIPT="$work/script" WINE_STARTS="$work/starts" \
    "$wine_run" "$work/test.exe" >"$work/out" 2>"$work/err" || got_status=$?
  got_out=$(tr '\n' ' ' <"$work/out" | sed 's/ $//')
  got_starts=$(cat "$work/starts")
  got_retries=$(cat "$work/retries.log" 2>/dev/null | grep -c '^retry: wine ended test.exe' || true)
  if [ "$got_status" != "$status" ] || [ "$got_out" != "$stdout" ] || [ "$got_starts" != "$starts" ] ||
     [ "$got_retries" -ne $((starts - 1)) ] || ! stderr_matches "$stderr_holds" "$work/err"; then
    echo "FAIL $name: status $got_status, stdout '$got_out', starts $got_starts, logged retries $got_retries, stderr:"
    sed 's/^/  /' "$work/err"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
done <<'CASES'
passes|0 ran -|0|ran|1|
passes_silently|0 - -|0||1|
fails_with_output_once|1 failed -|1|failed|1|
fails_on_stderr_once|3 - crashed|3||1|crashed
silent_failure_restarted|5 - -;0 ran -|0|ran|2|before it wrote anything
two_silent_failures_restarted|5 - -;5 - -;0 ran -|0|ran|3|before it wrote anything
three_silent_failures_give_up|5 - -;6 - -;7 - -|7||3|starting it again
load_failure_restarted|53 - err:module:import_dll Library x.dll not found;0 ran -|0|ran|2|err:module:import_dll
crash_report_not_restarted|5 - wine: Unhandled page fault|5||1|wine: Unhandled
CASES
exit $((failures > 0))
