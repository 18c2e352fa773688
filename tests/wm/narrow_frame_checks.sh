#!/usr/bin/env bash
# A saved frame narrower than the chrome's natural width, under openbox and under xfwm4: the window
# opens at exactly that frame (the title bar gives way, it does not widen the window) and its saved
# frame is never rewritten, since nobody moved or resized the window: after the first start has
# recorded the page and the visibility it keeps, later starts and clean exits leave profiles.json
# byte for byte as it was. Runs on xvfb-run's display with a private session bus.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
tool=$build/tests/programs/profiles_tool/profiles_tool
source "$here/lib.sh"
begin_checks narrow-frame-wm bus -- "$@"
need_programs "$app" "$build/tests/programs/page_server/page_server" "$tool" "$build/tests/windows_tests"
data=$XDG_DATA_HOME/com.quenlith.Quenlith
profiles=$data/profiles.json
mkdir -p "$data"
owned="$owned xfwm4_pid"
xfwm4_pid=""

# xfwm4 without its settings daemon (the private bus has none): its defaults, no compositor.
start_xfwm4() {
  xfwm4 --compositor=off --sm-client-disable >"$work/xfwm4.log" 2>&1 &
  xfwm4_pid=$!
  managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  wait_for 30 managed || { sed 's/^/xfwm4: /' "$work/xfwm4.log"; return 1; }
}
stop_window_manager() {
  local pid
  for pid in $openbox_pid $xfwm4_pid; do end_process "$pid"; done
  openbox_pid="" xfwm4_pid=""
  wait_for 10 eval '! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'
}

start_page_server "$work/server.log" /narrow
"$tool" write "$profiles" --website Narrow "http://127.0.0.1:$(port_of "$work/server.log")/narrow" --launch 1 \
  --frame 100,80,400,300 || { fail "profiles.json written"; exit 1; }
written=""

for wm in openbox openbox xfwm4; do
  if [ "$wm" = openbox ]; then start_openbox 0 0 0 0; else start_xfwm4; fi || { fail "$wm starts"; continue; }
  start_app
  # Found by its page's title: the window is in place and the page loaded by then.
  window=""
  if wait_for 20 eval 'window=$(app_window "Page /narrow"); [ -n "$window" ]'; then
    check_frame "under $wm the 400 x 300 window" "$window" "100 80 400 300"
  else
    fail "under $wm the window opens"; cat "$work/app.log"
  fi
  stop_app
  check "under $wm the window ends cleanly (status $app_status)" [ "$app_status" = 0 ]
  if [ -z "$written" ]; then
    check "under $wm the saved frame is unchanged" eval '[ "$("$tool" frames "$profiles")" = "Narrow 100 80 400 300 -" ]' ||
      "$tool" frames "$profiles"
    written=$(sha256sum <"$profiles")
  else
    check "under $wm profiles.json is unchanged byte for byte" eval '[ "$(sha256sum <"$profiles")" = "$written" ]' ||
      "$tool" frames "$profiles"
  fi
  if [ "$wm" != "${tested_wm:-}" ]; then
    tested_wm=$wm
    # The title bar without a maximise button: a double click beside the title maximises.
    "$build/tests/windows_tests" --gtest_filter='WindowChromeUnderWindowManager.*' --gtest_brief=1 >"$work/tests.log" 2>&1
    status=$?
    skipped=$(grep -c '^\[  SKIPPED \]' "$work/tests.log")
    check "under $wm the title bar tests (status $status, $skipped skipped)" eval '[ $status -eq 0 ] && [ "$skipped" -eq 0 ]' ||
      cat "$work/tests.log"
  fi
  stop_window_manager
done

end_checks "narrow frame"
