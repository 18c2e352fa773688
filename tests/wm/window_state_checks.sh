#!/usr/bin/env bash
# Minimising, hiding, showing and arranging browser windows under openbox, and minimising under
# xfwm4 (a minimised floating window is in the taskbar until restored): runs the window-state tests
# of windows_tests, which skip without a window manager. Runs on the display xvfb-run gives it, with
# a private session bus; starts and stops its own window managers.
set -uo pipefail
build=$1
tests=$build/tests/windows_tests
source "$(dirname "$0")/lib.sh"
begin_checks state-wm bus -- "$@"
need_programs "$tests" "$(command -v xfwm4)"

# run_tests WM FILTER: every test the filter names must have run (a skip means the window manager
# was not seen).
run_tests() {
  "$tests" --gtest_filter="$2" --gtest_brief=1 >"$work/tests.$1.log" 2>&1
  local status=$? ran skipped
  ran=$(grep -o '^\[==========\] [0-9]* tests\? from' "$work/tests.$1.log" | awk '{print $2}' | head -1)
  skipped=$(grep -c '^\[  SKIPPED \]' "$work/tests.$1.log")
  check "window-state tests under $1 (status $status, ${ran:-0} run, $skipped skipped)" \
    eval '[ $status -eq 0 ] && [ "${ran:-0}" -gt 0 ] && [ "$skipped" -eq 0 ]' || cat "$work/tests.$1.log"
}

start_openbox 40 60 30 0 || { fail "openbox did not start"; exit 1; }
run_tests openbox 'WindowStateUnderWindowManager.*'
stop_wm

# Arranging is measured against the work area openbox's margins leave.
start_xfwm4 || { fail "xfwm4 did not start"; exit 1; }
run_tests xfwm4 'WindowStateUnderWindowManager.*:-*Arranging*'

end_checks window-state
