#!/usr/bin/env bash
# A website that an application link showed, closed by the person, stays away while the person
# clicks between the linked client's two windows, under openbox and under xfwm4, when it was the only
# window of the application on the screen: nothing was open at the start (no tray, so the launcher
# opened as a window and was put away), a second saved website is not open, and the clients stay
# where the window manager placed them (moved apart only where they came on top of one another). It
# is closed with the close button of its header bar, clicked with the mouse, and through the window
# manager's close request (as a window list's "Close"); after each, the linked client keeps the
# focus and nothing of the application comes up over it, and the link shows the website again once
# another client has been in front.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
tool=$build/tests/programs/profiles_tool/profiles_tool
windows=$build/tests/programs/client_windows/client_windows
close_request=$build/tests/programs/close_request/close_request
source "$here/lib.sh"
begin_checks link-closing-wm bus -- "$@"
owned="$owned client_pids" client_pids=""
need_programs "$app" "$tool" "$windows" "$close_request" "$(command -v xfwm4)"
data=$XDG_DATA_HOME/com.quenlith.Quenlith settings=$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json
mkdir -p "$data" "$XDG_CONFIG_HOME/com.quenlith.Quenlith" "$XDG_DATA_HOME/applications"
printf '[Desktop Entry]\nType=Application\nName=Linked\nExec=true\n' >"$XDG_DATA_HOME/applications/quenlith-test-linked.desktop"
start_page_server "$work/server.log" /a /b
port=$(port_of "$work/server.log")

# The active window, 0 also while the window manager names none.
active() {
  local id
  id=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*# \(0x[0-9a-fA-F]*\).*/\1/p')
  echo "${id:-0}"
}
name_of() { [ $(($1)) -ne 0 ] && xdotool getwindowname "$1" 2>/dev/null || echo none; }
# Test clients, each known by its window's title: the linked one with two windows (L1, L2), started
# first, and the other one with one (O). Each window manager places them as it likes (both put the
# first window, L1, in the middle of the screen), and L1 stays there. Where they came on top of one
# another (xfwm4 centres each), the person moves L2 to the left of L1 and O to its right, so that
# each can be clicked.
client() { xdotool search --all --name "^quenlith-test-$1\$" 2>/dev/null | head -1; }
overlap() {
  local ax ay aw ah bx by bw bh
  read -r ax ay aw ah < <(geometry_of "$1")
  read -r bx by bw bh < <(geometry_of "$2")
  [ "$ax" -lt $((bx + bw)) ] && [ "$bx" -lt $((ax + aw)) ] && [ "$ay" -lt $((by + bh)) ] && [ "$by" -lt $((ay + ah)) ]
}
apart() {
  local x y w
  read -r x y w _ < <(geometry_of "$l1")
  if overlap "$l2" "$l1"; then xdotool windowmove "$l2" $((x - w - 40)) "$y"; fi
  if overlap "$o" "$l1" || overlap "$o" "$l2"; then xdotool windowmove "$o" $((x + w + 40)) "$y"; fi
  ! overlap "$l2" "$l1" && ! overlap "$o" "$l1" && ! overlap "$o" "$l2"
}
start_clients() {
  "$windows" quenlith-test-linked 2 & client_pids="$client_pids $!"
  wait_for 10 eval 'l1=$(client "linked 1") l2=$(client "linked 2"); [ -n "$l1" ] && [ -n "$l2" ]' || return 1
  "$windows" quenlith-test-other 1 & client_pids="$client_pids $!"
  wait_for 10 eval 'o=$(client "other 1"); [ -n "$o" ]' && wait_for 10 apart
}
stop_clients() {
  local pid
  for pid in $client_pids; do end_process "$pid"; done
  client_pids=""
}
# Brought to the front by request (as a taskbar does), whatever covers it; done once it is active.
ask_to_activate() { xdotool windowactivate "$1" 2>/dev/null; wait_for_ms 500 is_active "$1"; }
activate() {
  wait_for 5 ask_to_activate "$1" && return
  fail "$wm: $(name_of "$1") comes to the front (the active window is $(name_of "$(active)"))"
  return 1
}
# A click in the middle of where the window is, as a person gives it the focus: whatever is on top
# there takes the click.
click_at() {
  local x y w h
  read -r x y w h < <(geometry_of "$1")
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}
# Each click gives the client's window the focus, and the website stays away.
clicks_leave_it_away() {
  local target
  for target in "$l2" "$l1"; do
    click_at "$target"
    wait_for 5 is_active "$target" || { echo "  the active window is $(name_of "$(active)")"; return 1; }
    stays_away || { echo "  back after a click on $(name_of "$target")"; return 1; }
  done
}
shown=""
linked_shown() { found shown "^$(named Linked)"; }
launcher_shown() { [ -n "$(app_window '^Quenlith$')" ]; }
# After the links' 0.3 s, with room for a loaded machine: the website did not come back.
stays_away() { ! wait_for 2 linked_shown; }
# The linked client comes to the front after another one, in front for a moment as a person's
# (a busy main loop hears only of the last of two changes that come together): the link shows the
# website beside it.
show_by_link() {
  activate "$o" && wait_for 10 eval '! linked_shown' && steady_focus && activate "$l1" && wait_for 10 linked_shown
}
close_linked() {  # close_linked button|request
  if [ "$1" = button ]; then
    # The × at the right end of its header bar.
    local x y w
    read -r x y w _ < <(geometry_of "$shown")
    xdotool mousemove $((x + w - 28)) $((y + 26)) click 1
  else
    "$close_request" "$shown"
  fi
}

for wm in openbox xfwm4; do
  start_wm $wm || { fail "$wm starts"; continue; }
  start_clients || { fail "$wm: the test clients start"; stop_wm; continue; }
  echo "$wm: L1 at $(geometry_of "$l1"), L2 at $(geometry_of "$l2"), O at $(geometry_of "$o")"
  # Linked, shown by its link to the linked client, and Beta; neither opens at the start.
  "$tool" write "$data/profiles.json" \
    --website Linked "http://linked.localhost:$port/a" --launch 0 --link quenlith-test-linked.desktop \
    --website Beta "http://beta.localhost:$port/b" --launch 0 &&
    "$tool" restore-windows "$settings" 0 && sed -i 's/"restoreWindows": false/&, "applicationLinksEnabled": true/' "$settings" ||
    { fail "$wm: the websites and settings are written"; exit 1; }
  start_app
  # With nothing to open and no tray, the launcher opens as a window; the person puts it away.
  if wait_for 30 eval 'launcher_shown && is_active "$(app_window "^Quenlith\$")"'; then
    xdotool key Escape
    check "$wm: Escape puts away the launcher opened at the start" wait_for 10 eval '! launcher_shown'
  else
    fail "$wm: the launcher opens as a window at the start"
  fi

  # The links as a person meets them first: shown with L1, put away with O.
  check "$wm: O then L1 shows the linked website" show_by_link
  check "$wm: L1 then O puts it away" eval 'activate "$o" && wait_for 10 eval "! linked_shown"'

  for way in button request button request; do
    case $way in button) how="its close button" ;; request) how="the window manager's close request" ;; esac
    check "$wm: O then L1 shows it (before $how)" show_by_link || continue
    check "$wm: without taking the focus from L1" eval 'steady_focus && is_active "$l1"'
    close_linked $way
    check "$wm: $how puts it away" wait_for 10 eval '! linked_shown' || continue
    # The person looks up before clicking on: wherever the window manager left the focus.
    steady_focus
    check "$wm: after $how, the linked client keeps the focus and nothing of the application comes up over it" \
      eval '! wait_for 1 launcher_shown && [ -z "$(app_windows)" ] && { is_active "$l1" || is_active "$l2"; }'
    for round in 1 2 3; do
      check "$wm: after $how, clicks on L2 then L1 take the focus and leave it away ($round of 3)" \
        clicks_leave_it_away || break
    done
    # Left hidden, the window comes with its link again; a launcher left open closes for the next.
    launcher_shown && { xdotool windowactivate "$(app_window '^Quenlith$')" key Escape 2>/dev/null; }
  done

  stop_app
  stop_clients
  stop_wm
done

end_checks "link closing"
