#!/usr/bin/env bash
# Minimising, hiding, showing and arranging browser windows under openbox: runs the window-state tests of
# windows_tests, which skip without a window manager. Runs on the display xvfb-run gives it, with a
# private session bus; starts and stops its own openbox.
set -uo pipefail
build=$1
tests=$build/tests/windows_tests
source "$(dirname "$0")/lib.sh"
begin_checks state-wm bus -- "$@"
need_programs "$tests"

start_openbox 40 60 30 0 || { fail "openbox did not start"; exit 1; }

"$tests" --gtest_filter='WindowStateUnderWindowManager.*' --gtest_brief=1 >"$work/tests.log" 2>&1
status=$?
# Every test must have run: a skip here means the window manager was not seen.
ran=$(grep -o '^\[==========\] [0-9]* tests\? from' "$work/tests.log" | awk '{print $2}' | head -1)
skipped=$(grep -c '^\[  SKIPPED \]' "$work/tests.log")
check "window-state tests under openbox (status $status, ${ran:-0} run, $skipped skipped)" \
  eval '[ $status -eq 0 ] && [ "${ran:-0}" -gt 0 ] && [ "$skipped" -eq 0 ]' || cat "$work/tests.log"

end_checks window-state
