#!/usr/bin/env bash
# Minimising, hiding, showing and arranging browser windows under openbox: runs the window-state tests of
# windows_tests, which skip without a window manager. Runs on the display xvfb-run gives it, with a
# private session bus; starts and stops its own openbox.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$1
if [ -z "${QUENLITH_CHECKS_BUS:-}" ]; then
  export QUENLITH_CHECKS_BUS=1
  exec dbus-run-session --config-file="$root/tests/support/session-bus.conf" -- "$0" "$@"
fi
tests=$build/tests/windows_tests
source "$here/lib.sh"

work=$(mktemp -d /tmp/quenlith-state-wm.XXXXXX)
openbox_pid=""
cleanup() {
  [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null && wait "$openbox_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

[ -x "$tests" ] || { fail "not built: $tests"; exit 1; }

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export XDG_RUNTIME_DIR=$work/runtime GDK_BACKEND=x11 NO_AT_BRIDGE=1 GDK_CORE_DEVICE_EVENTS=1
export WEBKIT_DISABLE_COMPOSITING_MODE=1
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

start_openbox 40 60 30 0 || { fail "openbox did not start"; exit 1; }

"$tests" --gtest_filter='WindowStateUnderWindowManager.*' --gtest_brief=1 >"$work/tests.log" 2>&1
status=$?
# Every test must have run: a skip here means the window manager was not seen.
ran=$(grep -o '^\[==========\] [0-9]* tests\? from' "$work/tests.log" | awk '{print $2}' | head -1)
skipped=$(grep -c '^\[  SKIPPED \]' "$work/tests.log")
if [ $status -eq 0 ] && [ "${ran:-0}" -gt 0 ] && [ "$skipped" -eq 0 ]; then
  pass "window-state tests under openbox"
else
  fail "window-state tests under openbox (status $status, ${ran:-0} run, $skipped skipped)"
  cat "$work/tests.log"
fi

if [ $failures -eq 0 ]; then
  echo "window-state checks: all passed"
else
  echo "window-state checks: $failures failed"
fi
[ $failures -eq 0 ]
