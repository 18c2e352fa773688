#!/usr/bin/env bash
# Window-manager checks: runs every tests/wm/*_checks.sh on its own virtual display (a free display
# number) with openbox. Usage: tests/wm/run.sh [build-dir]. Prints one PASS or FAIL line per check
# and exits non-zero when any check failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd) || { echo "FAIL: no build folder ${1:-build}"; exit 1; }

for tool in xvfb-run openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-deps.sh)"; exit 1; }
done

status=0
for checks in "$here"/*_checks.sh; do
  echo "-- $(basename "$checks")"
  xvfb-run -a -s "-screen 0 1280x800x24" "$checks" "$build" || status=1
done
exit $status
