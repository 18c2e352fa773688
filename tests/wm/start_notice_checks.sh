#!/usr/bin/env bash
# Settings that cannot be read are told at start in a notice that stays in front of the floating
# windows kept above that open after it, under openbox and under xfwm4, and has the keyboard: Return
# answers it, and the windows stay. Meanwhile the pages of those windows, which follow the
# application's network setting, wait: the page server sees no request until the notice is answered.
# A start that opens no window shows the launcher (there is no tray) after the notice: the notice
# stays in front of it with the keyboard, and once answered leaves the keyboard to the launcher. A
# websites file that cannot be read is told in a notice that stays in front of a restored browser
# window and of the launcher, with the keyboard.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
tool=$build/tests/programs/profiles_tool/profiles_tool
source "$here/lib.sh"
begin_checks start-notice-wm bus -- "$@"
need_programs "$app" "$tool" "$build/tests/programs/page_server/page_server" "$(command -v xfwm4)"
data=$XDG_DATA_HOME/com.quenlith.Quenlith settings=$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json
mkdir -p "$data" "$XDG_CONFIG_HOME/com.quenlith.Quenlith"
start_page_server "$work/server.log" /a /b
port=$(port_of "$work/server.log")

# The running instance's modal window: the notice.
notice_window() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    xprop -id "$id" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_MODAL && { echo "$id"; return 0; }
  done
  return 1
}
found_notice() { notice=$(notice_window); [ -n "$notice" ]; }
# The titles of the running instance's windows on the screen, for a failure's message.
shown_titles() { for id in $(app_windows); do printf '"%s" ' "$(xdotool getwindowname "$id")"; done; }
# A session holding one shown browser window of no saved website, its page Beta's.
browser_session() {
  "$tool" write "$1.website" --website Beta "http://127.0.0.1:$port/b" || return 1
  python3 - "$1" <<'PY'
import json, sys
path = sys.argv[1]
profile = json.load(open(path + ".website"))["profiles"][0]
window = {"id": profile["id"], "temporaryProfile": profile, "selected": 0, "visible": True,
          "minimized": False, "isMainBrowser": True, "frame": {"x": 40, "y": 40, "width": 600, "height": 500},
          "tabs": [{"address": profile["homeURL"], "title": "Beta", "startPage": False, "sleeping": False}]}
json.dump({"version": 1, "windows": [window]}, open(path, "w"))
PY
  local status=$?
  rm -f "$1.website"
  return $status
}
# Whether the page server was asked for the path since this window manager's round began.
requested() { tail -n +$((served + 1)) "$work/server.log" | grep -q "^request $1"; }

for wm in openbox xfwm4; do
  # Alpha and Beta open at start, kept above; the settings hold a preference of the wrong type.
  rm -f "$settings" "$settings".unreadable-*
  "$tool" write "$data/profiles.json" --website Alpha "http://alpha.localhost:$port/a" --launch 1 --above 1 \
    --frame 100,100,400,400 --website Beta "http://beta.localhost:$port/b" --launch 1 --above 1 \
    --frame 300,200,400,400 &&
    "$tool" restore-windows "$settings" 0 && sed -i 's/"theme": "Light"/"theme": 5/' "$settings" ||
    { fail "the websites and settings are written"; exit 1; }
  served=$(wc -l <"$work/server.log")
  start_wm $wm || { fail "$wm starts"; continue; }
  start_app
  alpha="" beta="" notice=""
  if ! wait_for 30 eval 'found alpha "^$(named Alpha)" && found beta "^$(named Beta)" && found_notice'; then
    fail "$wm: the notice and both windows come up"; stop_app; stop_wm; continue
  fi
  steady_focus
  check "$wm: the notice is in front of Alpha and Beta" eval 'stacked_above "$notice" "$alpha" && stacked_above "$notice" "$beta"'
  check "$wm: the notice has the keyboard" is_active "$notice"
  check "$wm: the file kept aside is there" eval 'ls "$settings".unreadable-* >/dev/null 2>&1'
  check "$wm: no page is asked for while the notice waits" eval '! requested /a && ! requested /b'
  xdotool key Return
  check "$wm: Return answers the notice" wait_for 5 eval '! notice_window >/dev/null'
  check "$wm: the pages are asked for once it is answered" wait_for 20 eval 'requested /a && requested /b'
  check "$wm: Alpha and Beta stay" eval 'found alpha "^$(named Alpha)" && found beta "^$(named Beta)"'
  stop_app

  # No website opens at start: the launcher comes up after the notice.
  rm -f "$settings" "$settings".unreadable-*
  "$tool" write "$data/profiles.json" --website Alpha "http://alpha.localhost:$port/a" --launch 0 &&
    "$tool" restore-windows "$settings" 0 && sed -i 's/"theme": "Light"/"theme": 5/' "$settings" ||
    { fail "the websites and settings are written"; exit 1; }
  start_app
  launcher="" notice=""
  if ! wait_for 30 eval 'found launcher "^Quenlith\$" && found_notice'; then
    fail "$wm: the notice and the launcher come up"; stop_app; stop_wm; continue
  fi
  steady_focus
  check "$wm: the notice is in front of the launcher" stacked_above "$notice" "$launcher"
  check "$wm: the notice has the keyboard, not the launcher (the active window is $(xdotool getwindowname \
"$(active)" 2>/dev/null || echo none))" is_active "$notice"
  xdotool key Return
  check "$wm: Return answers the notice" wait_for 5 eval '! notice_window >/dev/null'
  check "$wm: and the launcher has the keyboard" wait_for 10 is_active "$launcher"
  stop_app

  # The websites file cannot be read and a browser window is restored: the launcher comes up to say
  # so, and the notice that says it too stays in front of both with the keyboard.
  rm -f "$settings" "$settings".unreadable-* "$data/profiles.json".*
  "$tool" restore-windows "$settings" 1 && browser_session "$data/session-v1.json" &&
    printf '{"version": 1, "profiles": [' >"$data/profiles.json" ||
    { fail "the session and a damaged websites file are written"; exit 1; }
  start_app
  launcher="" browser="" notice=""
  if ! wait_for 30 eval 'found launcher "^Quenlith\$" && found browser "^$(named Beta) — " && found_notice'; then
    fail "$wm: the notice, the launcher and the browser window come up (shown: $(shown_titles))"
    stop_app; stop_wm; continue
  fi
  steady_focus
  check "$wm: the notice of the unreadable websites is in front of the browser window and the launcher" \
    eval 'stacked_above "$notice" "$browser" && stacked_above "$notice" "$launcher"'
  check "$wm: the notice has the keyboard (the active window is $(describe_focus))" is_active "$notice"
  xdotool key Return
  check "$wm: Return answers the notice" wait_for 5 eval '! notice_window >/dev/null'
  stop_app
  stop_wm
done
end_checks "start notice"
