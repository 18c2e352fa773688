#!/usr/bin/env bash
# A window of the application closed with the keyboard in it leaves the keyboard to the window used
# before it, under openbox and under xfwm4, while the windows stay out of the taskbar ("Show Dock
# icon" off), where openbox hands the focus on to no window of ours by itself: a private window,
# the main browser window and the library, opened from a website's window and closed with Ctrl+W
# or Alt+F4, leave it to that window, and the next key types into its page.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
tool=$build/tests/programs/profiles_tool/profiles_tool
source "$here/lib.sh"
begin_checks closing-focus-wm bus -- "$@"
need_programs "$app" "$tool" "$build/tests/programs/page_server/page_server" "$(command -v xfwm4)"
data=$XDG_DATA_HOME/com.quenlith.Quenlith settings=$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json
mkdir -p "$data" "$XDG_CONFIG_HOME/com.quenlith.Quenlith"
start_page_server "$work/server.log" /a+field
port=$(port_of "$work/server.log")
# Openbox closes the active window with Alt+F4; xfwm4 reads its key bindings (Alt+F4 among them)
# from the settings service, started on the private bus with the desktop's defaults.
openbox_config_extra='<keyboard><keybind key="A-F4"><action name="Close"/></keybind></keyboard>'
xfconfd=$(ls /usr/lib/*/xfce4/xfconf/xfconfd 2>/dev/null | head -1)
need_programs "$xfconfd"
owned="$owned xfconf_pid"
"$xfconfd" >"$work/xfconfd.log" 2>&1 & xfconf_pid=$!
settings_service() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.xfce.Xfconf 2>/dev/null | grep -q 'boolean true'
}
wait_for 10 settings_service || { fail "the settings service starts"; exit 1; }

# Alpha, whose page's field has the focus, opens at start.
"$tool" write "$data/profiles.json" --website Alpha "http://alpha.localhost:$port/a" --launch 1 --above 0 &&
  "$tool" restore-windows "$settings" 0 || { fail "the websites and settings are written"; exit 1; }
alpha_title() { printf '^%s — %s$' "$(named Alpha)" "$(named "$1")"; }
# The active window, 0 also before the window manager has named one (the helper's would not be a
# number then).
active() {
  local id
  id=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*# \(0x[0-9a-fA-F]*\).*/\1/p')
  echo "${id:-0}"
}
shown_and_active() { found "$1" "$2" && is_active "${!1}"; }
in_taskbar() { ! has_state "$1" _NET_WM_STATE_SKIP_TASKBAR; }

for wm in openbox xfwm4; do
  start_wm $wm || { fail "$wm starts"; continue; }
  start_app
  alpha="" titled="" typed=""
  if ! wait_for 30 found alpha "$(alpha_title 'Page /a')"; then
    fail "$wm: Alpha opens"; stop_app; stop_wm; continue
  fi
  wait_for 5 is_active "$alpha" || xdotool windowactivate --sync "$alpha"
  check "$wm: Alpha has the focus" wait_for 10 is_active "$alpha"
  check "$wm: Alpha stays out of the taskbar" eval '! in_taskbar "$alpha"'
  # What is typed into Alpha now goes to its page; one more letter after each window closed.
  letters=(b c d e f g)
  xdotool type --delay 30 a && typed=a
  check "$wm: typing reaches Alpha's page" wait_for 10 found titled "$(alpha_title "typed $typed")"
  round=0
  for closing in "private window:ctrl+alt+shift+n:^Private Window — :ctrl+w" \
    "private window:ctrl+alt+shift+n:^Private Window — :alt+F4" \
    "main browser window:ctrl+n:^$(named Quenlith) — :ctrl+w" \
    "main browser window:ctrl+n:^$(named Quenlith) — :alt+F4" \
    "library:ctrl+shift+h:^Saved Pages & Groups\$:ctrl+w" \
    "library:ctrl+shift+h:^Saved Pages & Groups\$:alt+F4"; do
    IFS=: read -r name opening title closing_key <<<"$closing"
    opened=""
    steady_focus
    xdotool key --clearmodifiers "$opening"
    if ! wait_for 15 shown_and_active opened "$title"; then
      fail "$wm: $opening opens the $name with the focus (the active window is $(describe_focus))"
      continue
    fi
    steady_focus
    xdotool key --clearmodifiers "$closing_key"
    check "$wm: $closing_key closes the $name" wait_for 10 gone_from_screen "$title" || continue
    focused=1
    if wait_for 10 is_active "$alpha"; then
      pass "$wm: and leaves the keyboard to Alpha"
    else
      fail "$wm: and leaves the keyboard to Alpha (the active window is $(describe_focus))"
      focused=0
    fi
    steady_focus
    letter=${letters[$round]}
    round=$((round + 1))
    xdotool type --delay 30 "$letter"
    typed=$typed$letter
    check "$wm: the next key types into Alpha's page" wait_for 10 found titled "$(alpha_title "typed $typed")" ||
      focused=0
    # The next round starts from Alpha with the focus, whatever this one left.
    if [ $focused -eq 0 ]; then
      xdotool windowactivate --sync "$alpha"
      typed=$(xdotool getwindowname "$alpha" | sed -n 's/.*typed \([a-z]*\).*/\1/p')
    fi
  done
  stop_app
  stop_wm
done

end_checks "closing focus"
