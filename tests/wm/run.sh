#!/usr/bin/env bash
# Window-manager checks: runs every tests/wm/*_checks.sh on its own virtual display (a free display
# number) with openbox; checks of the whole application also start a private session bus. Usage: tests/wm/run.sh [build-dir]. Prints one PASS or FAIL line per check
# and exits non-zero when any check failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd) || { echo "FAIL: no build folder ${1:-build}"; exit 1; }

for tool in xvfb-run openbox xdotool xprop dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-deps.sh)"; exit 1; }
done

# The scripts run side by side, each on a virtual display of its own (numbers chosen here: xvfb-run
# -a races when several start at once); their reports are printed in order once all have ended.
# -noreset: a server resets when its last client leaves, and a client connecting meanwhile (openbox
# while a poll's xprop exits) is refused.
logs=$(mktemp -d /tmp/quenlith-wm.XXXXXX)
trap 'rm -rf "$logs"' EXIT
scripts=("$here"/*_checks.sh) pids=() display=99
for checks in "${scripts[@]}"; do
  display=$((display + 1))
  while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
  # A script still running after ten minutes (a few times its time on a busy machine) fails, and
  # everything it started goes with it: timeout signals its whole process group.
  (
    started=$SECONDS
    timeout -k 10 600 xvfb-run -n "$display" -s "-screen 0 1280x800x24 -noreset" "$checks" "$build"
    status=$?
    [ $status -eq 124 ] && echo "FAIL: $(basename "$checks") did not end within 600 s"
    echo "($((SECONDS - started)) s)"
    exit $status
  ) >"$logs/$(basename "$checks").log" 2>&1 &
  pids+=($!)
done
status=0
for i in "${!scripts[@]}"; do
  wait "${pids[$i]}" || status=1
  echo "-- $(basename "${scripts[$i]}")"
  cat "$logs/$(basename "${scripts[$i]}").log"
done
exit $status
