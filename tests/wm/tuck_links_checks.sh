#!/usr/bin/env bash
# Edge tucking and application links under openbox. A window dragged to 18 px from the work area's
# left edge tucks behind its handle (at 19 px it does not); hovering the handle shows it without
# taking the focus, leaving it tucks it again, a click untucks and focuses; a tucked window comes
# back tucked after a restart. With application links on, activating a test client whose desktop
# entry a website is linked to shows that website's window while the client stays active; another
# client puts it away; switching through the linked client within 0.3 s never shows it.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
server=$build/tests/programs/page_server/page_server
tool=$build/tests/programs/profiles_tool/profiles_tool
source "$here/lib.sh"
begin_checks tuck-wm bus -- "$@"
owned="app_pid client_pids server_pid openbox_pid"
server_pid="" app_pid="" client_pids=""
for program in "$app" "$server" "$tool" "$(command -v xmessage)"; do
  [ -x "$program" ] || { fail "not available: $program"; exit 1; }
done
data=$XDG_DATA_HOME/com.quenlith.Quenlith settings=$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json
mkdir -p "$data" "$XDG_CONFIG_HOME/com.quenlith.Quenlith" "$XDG_DATA_HOME/applications"
start_openbox 40 0 30 0 || { fail "openbox did not start"; exit 1; }

# Two hosts: websites on one host would count as shown in one window.
"$server" --address 127.0.0.1 /alpha >"$work/server.1.log" 2>&1 &
server_pid=$!
"$server" --address 127.0.0.2 /linked >"$work/server.2.log" 2>&1 &
server_pid="$server_pid $!"
port() { grep -m1 '^port ' "$work/server.$1.log" | awk '{print $2}'; }
wait_for 10 eval '[ -n "$(port 1)" ] && [ -n "$(port 2)" ]' || { fail "the page servers did not start"; exit 1; }
for name in linked other; do
  printf '[Desktop Entry]\nType=Application\nName=Test %s\nExec=xmessage %s\n' "$name" "$name" \
    >"$XDG_DATA_HOME/applications/quenlith-test-$name.desktop"
done
"$tool" write "$data/profiles.json" \
  --website Alpha "http://127.0.0.1:$(port 1)/alpha" --launch 1 --tuck 1 --frame 300,200,500,400 \
  --website Linked "http://127.0.0.2:$(port 2)/linked" --link quenlith-test-linked.desktop &&
  "$tool" restore-windows "$settings" 1 && "$tool" application-links "$settings" 1 ||
  { fail "the websites and settings are written"; exit 1; }

start_app() { "$app" >>"$work/app.log" 2>&1 & app_pid=$!; }
find_visible() { xdotool search --all --onlyvisible --pid "$app_pid" --name "$1" 2>/dev/null | head -1; }
mapped() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
active() { xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //'; }
is_active() { [ $(($(active))) -eq $(($1)) ]; }
handle_at() {  # handle_at X: the handle is on screen with its left side at X, 16 x 72
  local handle
  handle=$(find_visible '^Expand Alpha$')
  [ -n "$handle" ] && [ "$(xdotool getwindowgeometry "$handle" | awk '/Position:/ {split($2, p, ","); print p[1]} /Geometry:/ {print $2}' | tr '\n' ' ')" = "$1 16x72 " ]
}
tucked() { ! mapped "$alpha" && handle_at "$wa_x"; }
point_at_handle() {  # moves the pointer onto the middle of the handle
  local handle x y
  handle=$(xdotool search --all --pid "$app_pid" --name '^Expand Alpha$' | head -1)
  read -r x y < <(xdotool getwindowgeometry "$handle" | awk -F'[ ,]+' '/Position:/ {print $3, $4}')
  xdotool mousemove $((x + 8)) $((y + 36))
}
drag_to() {  # drag_to X: drags Alpha by its title bar so that its left side ends at X
  local x y w h
  read -r x y w h < <(geometry_of "$alpha")
  xdotool mousemove $((x + w / 2)) $((y + 12)) mousedown 1 mousemove_relative -- 20 0 sleep 0.1 \
    mousemove $((x + w / 2 + $1 - x)) $((y + 12)) sleep 0.1 mouseup 1
}

# Test clients whose desktop entries are found by their window's instance name.
xmessage -name quenlith-test-linked -geometry +700+500 linked >/dev/null 2>&1 &
client_pids=$!
xmessage -name quenlith-test-other -geometry +900+500 other >/dev/null 2>&1 &
client_pids="$client_pids $!"
client() { xdotool search --all --classname "^quenlith-test-$1\$" 2>/dev/null | head -1; }
wait_for 10 eval '[ -n "$(client linked)" ] && [ -n "$(client other)" ]' || { fail "the test clients start"; exit 1; }
linked=$(client linked) other=$(client other)

start_app
alpha=""
wait_for 20 eval 'alpha=$(find_visible "^Alpha"); [ -n "$alpha" ]' || { fail "Alpha opens"; cat "$work/app.log"; exit 1; }

# --- Tucking by dragging ------------------------------------------------------------------------
xdotool windowactivate --sync "$alpha"
drag_to $((wa_x + 18))
check "dragged to 18 px from the work area's left, Alpha tucks behind its handle" wait_for 5 tucked
xdotool windowactivate --sync "$other"
point_at_handle
check "hovering the handle shows Alpha" wait_for 5 mapped "$alpha"
check "and does not take the focus" is_active "$other"
xdotool mousemove 1100 700
check "the pointer kept away tucks it again" wait_for 5 tucked
point_at_handle
xdotool click 1
check "a click on the handle untucks Alpha and focuses it" wait_for 5 eval 'mapped "$alpha" && is_active "$alpha"'
xdotool mousemove 1100 700
check "and it stays" eval '! wait_for 2 eval "! mapped $alpha"'
drag_to $((wa_x + 19))
check "dragged to 19 px, it does not tuck" eval '! wait_for 2 eval "! mapped $alpha"'

# --- Application links --------------------------------------------------------------------------
linked_shown() { [ -n "$(find_visible '^Linked')" ]; }
xdotool windowactivate --sync "$other" windowactivate --sync "$linked"
check "activating the linked client shows the linked website" wait_for 10 linked_shown
check "while the client stays active" eval '! wait_for 1 eval "! is_active $linked"'
xdotool windowactivate --sync "$other"
check "activating another client puts it away" wait_for 5 eval '! linked_shown'
xdotool windowactivate "$linked" windowactivate "$other"
check "the linked client and another within 0.3 s never show it" eval '! wait_for 2 linked_shown'

# --- Session recovery ---------------------------------------------------------------------------
xdotool windowactivate --sync "$alpha"
drag_to $((wa_x + 18))
wait_for 5 tucked || fail "Alpha tucks again"
kill -TERM "$app_pid"; wait "$app_pid"; app_pid=""
start_app
check "after a restart Alpha comes back tucked" wait_for 20 eval 'handle_at $wa_x'
check "its window stays off the screen" eval '[ -z "$(find_visible "^Alpha")" ]'
point_at_handle
check "until the handle is hovered" wait_for 10 eval '[ -n "$(find_visible "^Alpha")" ]'

end_checks tuck-links
