#!/usr/bin/env bash
# Windows asked for while another application's window is in use, from a tray icon's menu (its
# items run over the bus, as a tray host sends them) or by a command sent over the bus, come above
# a website window kept above, with the focus, under openbox and under xfwm4: nothing of this
# application had the input, so there is no window of ours they were asked from.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
tool=$build/tests/programs/profiles_tool/profiles_tool
watcher=$build/tests/programs/status_watcher/status_watcher
source "$here/lib.sh"
begin_checks tray-menu-wm bus -- "$@"
owned="$owned client_pid watcher_pid" client_pid="" watcher_pid=""
need_programs "$app" "$tool" "$watcher" "$build/tests/programs/page_server/page_server" \
  "$(command -v xmessage)" "$(command -v xfwm4)" "$(command -v gdbus)"
data=$XDG_DATA_HOME/com.quenlith.Quenlith settings=$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json
mkdir -p "$data" "$XDG_CONFIG_HOME/com.quenlith.Quenlith"
start_page_server "$work/server.log" /a

# A stand-in tray, and another application's window.
"$watcher" >"$work/watcher.log" 2>&1 & watcher_pid=$!
xmessage -name quenlith-test-other -geometry +900+600 other >/dev/null 2>&1 & client_pid=$!
wait_for 10 eval 'other=$(xdotool search --all --classname "^quenlith-test-other\$" 2>/dev/null | head -1); [ -n "$other" ]' ||
  { fail "the other client starts"; exit 1; }

# Alpha opens at start, kept above, with an icon in the tray.
"$tool" write "$data/profiles.json" --website Alpha "http://alpha.localhost:$(port_of "$work/server.log")/a" \
  --launch 1 --above 1 --tray 1 && "$tool" restore-windows "$settings" 0 ||
  { fail "the websites and settings are written"; exit 1; }

bus_call() { gdbus call --session --dest com.quenlith.Quenlith "$@"; }
# The menu of a tray item: the application's own, or a website's (the one item of that kind here).
menu_of() {  # menu_of main|website
  if [ "$1" = main ]; then
    echo /StatusNotifierItem/Menu
  else
    bus_call --object-path /StatusNotifierItem --method org.freedesktop.DBus.Introspectable.Introspect 2>/dev/null |
      grep -o '<node name="website_[0-9A-F]*"' | head -1 | sed 's/.*"\(.*\)"/\/StatusNotifierItem\/\1\/Menu/'
  fi
}
# Clicks the item of that label in the menu, as a tray host does: it reads the menu's layout for
# the item's id, then sends the click (the time it gives is not used).
click_menu_item() {  # click_menu_item MENU-PATH LABEL
  local id
  id=$(bus_call --object-path "$1" --method com.canonical.dbusmenu.GetLayout 0 -- -1 '[]' 2>/dev/null |
    grep -o "<([0-9]*, {[^}]*'label': <'$2'>" | head -1 | sed 's/^<(\([0-9]*\),.*/\1/')
  [ -n "$id" ] && bus_call --object-path "$1" --method com.canonical.dbusmenu.Event "$id" clicked '<int32 0>' 0 >/dev/null
}
command_over_bus() {
  bus_call --object-path /com/quenlith/Quenlith --method org.gtk.Actions.Activate "$1" "[]" "{}" >/dev/null
}
focus_moved_on() {  # focus_moved_on CLOSED: a window other than the closed one has the focus
  local now
  now=$(active)
  [ -n "$now" ] && [ $((now)) -ne 0 ] && [ $((now)) -ne $(($1)) ]
}

for wm in openbox xfwm4; do
  start_wm $wm || { fail "$wm starts"; continue; }
  start_app
  alpha=""
  if ! wait_for 30 found alpha "^$(named Alpha)" || ! wait_for 10 eval '[ -n "$(menu_of website)" ]'; then
    fail "$wm: Alpha opens with its tray icon"; stop_app; stop_wm; continue
  fi
  # Each round starts as the one before ends, with Alpha in use and its focus settled.
  xdotool windowactivate --sync "$alpha" 2>/dev/null
  wait_for 10 is_active "$alpha" && steady_focus || fail "$wm: Alpha takes the focus"
  for asked in "tray:website:Edit Website…:editor:^Edit Website$" "tray:main:Show Launcher:launcher:^Quenlith$" \
    "bus:-:settings:settings:^Quenlith Settings$" "bus:-:library:library:^Saved Pages & Groups$" \
    "bus:-:add:editor of a new website:^Add Website$" "bus:-:downloads:downloads:^Downloads$"; do
    IFS=: read -r road item command what title <<<"$asked"
    opened=""
    # Taken after the last close has handed the focus on: a request of ours still on its way would
    # take it back. A client that lost it meanwhile fails here, not as the asked window's focus.
    xdotool windowactivate --sync "$other"
    wait_for 5 is_active "$other" && steady_focus && is_active "$other" ||
      { fail "$wm: the other client takes the focus before the $what"; continue; }
    if [ "$road" = tray ]; then
      click_menu_item "$(menu_of "$item")" "$command"
      how="\"$command\" in the tray icon's menu"
    else
      command_over_bus "$command"
      how="\"$command\" over the bus"
    fi
    if ! check "$wm: $how opens the $what" wait_for 10 found opened "$title"; then continue; fi
    check "$wm: the $what is above Alpha, which is kept above" wait_for 5 stacked_above "$opened" "$alpha"
    check "$wm: the $what has the focus" wait_for 5 is_active "$opened" ||
      echo "  the active window is $(describe_focus)"
    xdotool windowactivate --sync "$opened" key Escape 2>/dev/null
    wait_for 5 gone_from_screen "$title" || fail "$wm: Escape closes the $what"
    # The application hands the keyboard on to its window used last, and asks once more a moment
    # later while the window manager leaves it with none (or with the closed window): the next
    # round starts once a window has it.
    wait_for 10 focus_moved_on "$opened" && steady_focus
  done
  stop_app
  stop_wm
done

end_checks "tray menu"
