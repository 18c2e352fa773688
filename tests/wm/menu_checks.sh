#!/usr/bin/env bash
# The main menu's accelerators typed at a browser window of the running application under openbox:
# Ctrl+Alt+Shift+N opens a private window, Ctrl+, the settings window.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
app=$build/quenlith
profiles_tool=$build/tests/programs/profiles_tool/profiles_tool
source "$here/lib.sh"
begin_checks menu-wm bus -- "$@"
need_programs "$app" "$build/tests/programs/page_server/page_server" "$profiles_tool"
mkdir -p "$XDG_DATA_HOME/com.quenlith.Quenlith"
start_openbox 0 0 0 0 || { fail "openbox did not start"; exit 1; }
start_page_server "$work/server.log" /page
port() { port_of "$work/server.log"; }
"$profiles_tool" write "$XDG_DATA_HOME/com.quenlith.Quenlith/profiles.json" \
  --website Alpha "http://127.0.0.1:$(port)/page" --launch 1 || { fail "profiles.json written"; exit 1; }

start_app
wait_for 20 eval '[ -n "$(app_window "^$(named Alpha)")" ]' || { fail "Alpha opens"; cat "$work/app.log"; exit 1; }
alpha=$(app_window "^$(named Alpha)")
xdotool windowactivate --sync "$alpha" 2>/dev/null
wait_for 5 eval '[ "$(xdotool getactivewindow)" = "$alpha" ]' || fail "Alpha becomes the active window"

before=$(app_windows | wc -l)
xdotool key --clearmodifiers ctrl+alt+shift+n
check "Ctrl+Alt+Shift+N opens a private window" wait_for 10 eval '[ "$(app_windows | wc -l)" -gt "$before" ]'

xdotool windowactivate --sync "$alpha" 2>/dev/null
xdotool key --clearmodifiers ctrl+comma
check "Ctrl+, opens the settings window" wait_for 10 eval '[ -n "$(app_window "Quenlith Settings")" ]'
end_checks "menu"
