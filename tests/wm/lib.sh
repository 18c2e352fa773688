# Shared helpers of the window-manager checks; sourced by tests/wm/*_checks.sh.
# Each check prints one PASS or FAIL line (and fails as a command when it failed); $failures counts
# the failures.

failures=0
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# The start of every check script: with "bus", runs the script again on a private session bus
# (once; configured by $checks_bus_config when set); then makes $work holding HOME and the XDG
# folders, removed at exit (kept when QUENLITH_KEEP_WORK is set) after the processes whose ids are
# in the variables named in $owned ($app_pid, $server_pid, $openbox_pid and what a script adds)
# have been killed.
begin_checks() {  # begin_checks name [bus] -- "$@"
  local name=$1
  shift
  if [ "${1:-}" = bus ] && [ -z "${QUENLITH_CHECKS_BUS:-}" ]; then
    export QUENLITH_CHECKS_BUS=1
    shift 2
    exec dbus-run-session --config-file="${checks_bus_config:-$root/tests/support/session-bus.conf}" -- "$0" "$@"
  fi
  work=$(mktemp -d "/tmp/quenlith-$name.XXXXXX")
  owned="app_pid server_pid openbox_pid"
  app_pid="" server_pid="" openbox_pid=""
  trap end_checks_processes EXIT
  export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
  export XDG_RUNTIME_DIR=$work/runtime GDK_BACKEND=x11 NO_AT_BRIDGE=1 GDK_CORE_DEVICE_EVENTS=1
  export WEBKIT_DISABLE_COMPOSITING_MODE=1
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}
end_checks_processes() {
  local variable pid
  for variable in $owned; do
    for pid in ${!variable}; do kill -KILL "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  done
  [ -n "${QUENLITH_KEEP_WORK:-}" ] || rm -rf "$work"
}
need_programs() {  # need_programs path...: stops the script unless each is built
  local program
  for program; do [ -x "$program" ] || { fail "not built: $program"; exit 1; }; done
}
# The last line of every check script: the summary and the exit status.
end_checks() {  # end_checks "what"
  no_criticals_logged
  if [ $failures -eq 0 ]; then echo "$1 checks: all passed"; else echo "$1 checks: $failures failed"; fi
  [ $failures -eq 0 ]
}

# Whatever the checks looked at, a critical message the application logged (the toolkit's, GLib's,
# the accessibility kit's or its own) is a fault: every log of the application under $work is read.
no_criticals_logged() {
  local found
  found=$(grep -rhI --include='*.log' -E '^(\*\* )?\(quenlith:[0-9]+\): ([A-Za-z-]+-)?CRITICAL' "$work" 2>/dev/null)
  if [ -z "$found" ]; then
    pass "the application logged no critical message"
  else
    fail "the application logged no critical message: $(printf '%s\n' "$found" | wc -l) logged"
    printf '%s\n' "$found" | sed -E 's/^\(quenlith:[0-9]+\): //; s/[0-9:.]{12}: //' | sort | uniq -c | sort -rn | head -10
  fi
}

pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() {  # check "what" command...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; return 1; fi
}

# Waits (polling) until the command given after the limit succeeds; the limit is in milliseconds.
wait_for_ms() {
  local limit=$1
  shift
  local deadline=$(($(date +%s%N) / 1000000 + limit))
  until "$@"; do
    [ $(($(date +%s%N) / 1000000)) -ge $deadline ] && return 1
    sleep 0.05
  done
}
wait_for() { wait_for_ms $(($1 * 1000)) "${@:2}"; }
# Whether the command holds at each poll for the given milliseconds: for what must not happen, as
# a window taking the focus back a moment after it was asked for.
holds_for_ms() {
  local deadline=$(($(date +%s%N) / 1000000 + $1))
  shift
  until [ $(($(date +%s%N) / 1000000)) -ge $deadline ]; do
    "$@" || return 1
    sleep 0.05
  done
}

# The application under test ($app): one instance at a time, its id in $app_pid, its output
# appended to $app_log ($work/app.log unless set).
gone() { [ ! -e "/proc/$1" ] || grep -q '^[0-9]* ([^)]*) Z' "/proc/$1/stat" 2>/dev/null; }
start_app() { "$app" "$@" >>"${app_log:=$work/app.log}" 2>&1 & app_pid=$!; }
# Sends the signal (TERM when none is given) and waits for the exit; its status is left in
# $app_status ("timeout" when it had to be killed after 20 s).
stop_app() {
  kill "-${1:-TERM}" "$app_pid" 2>/dev/null
  if wait_for 20 gone "$app_pid"; then
    wait "$app_pid"
    app_status=$?
  else
    kill -KILL "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_status=timeout
  fi
  app_pid=""
}
# No check waits for another process without a limit. end_process sends SIGTERM and kills what is
# still there after the grace (10 s unless given): xfwm4's handler of SIGTERM, for one, now and then
# deadlocks. await_process waits for a process to end by itself, and kills it after the limit; its
# status is the process's, or 124 when it had to be killed.
end_process() {  # end_process PID [SECONDS]
  kill "$1" 2>/dev/null || return 0
  wait_for "${2:-10}" gone "$1" || kill -KILL "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
await_process() {  # await_process PID SECONDS
  if wait_for "$2" gone "$1"; then
    wait "$1"
    return
  fi
  kill -KILL "$1" 2>/dev/null
  wait "$1" 2>/dev/null
  return 124
}
send() {  # a later start with these arguments; it must end at once
  "$app" "$@" >>"$work/send.log" 2>&1 &
  local pid=$!
  wait_for 10 gone $pid || kill -KILL $pid
  wait $pid
}
# A website's or page's name as a window title shows it, as in "^$(named Alpha) — ": as it is, with
# no invisible marks around it (scripts read titles as they are set).
named() { printf '%s' "$1"; }
# The visible windows of the running instance whose title matches (any title when none is given).
# xdotool matches titles whatever their case, and the toolkit names an untitled window after the
# program: a tooltip would pass for the launcher ("quenlith"). Tooltips are left out, and the case kept.
app_windows() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$app_pid" --name "${1:-.}" 2>/dev/null); do
    xdotool getwindowname "$id" 2>/dev/null | grep -qE -- "${1:-.}" || continue
    xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_TOOLTIP && continue
    echo "$id"
  done
}
app_window() { app_windows "$1" | head -1; }

# start_page_server LOG ARGS...: one more tests/programs/page_server (its id added to $server_pid)
# writing to LOG; returns once it listens. port_of LOG prints its port.
port_of() { grep -m1 '^port ' "$1" | awk '{print $2}'; }
start_page_server() {
  local log=$1
  shift
  "$build/tests/programs/page_server/page_server" "$@" >"$log" 2>&1 &
  server_pid="$server_pid $!"
  wait_for 10 eval '[ -n "$(port_of "$log")" ]' || { fail "the page server did not start"; exit 1; }
}

# Starts openbox with the given margins (top bottom left right) so that the work area is smaller
# than the screen, as panels and docks make it; sets openbox_pid and wa_x wa_y wa_w wa_h. Its
# configuration holds $openbox_config_extra (say, a <keyboard> section) when a script sets it.
start_openbox() {
  cat > "$work/rc.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>$1</top><bottom>$2</bottom><left>$3</left><right>$4</right></margins>
  ${openbox_config_extra:-}
</openbox_config>
XML
  openbox --sm-disable --config-file "$work/rc.xml" >"$work/openbox.log" 2>&1 &
  openbox_pid=$!
  workarea_known() { xprop -root _NET_WORKAREA 2>/dev/null | grep -q '='; }
  # A loaded machine (parallel builds) can take several seconds to bring openbox up.
  wait_for 30 workarea_known || { sed 's/^/openbox: /' "$work/openbox.log"; return 1; }
  read -r wa_x wa_y wa_w wa_h < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | awk '{print $1, $2, $3, $4}')
  echo "work area: $wa_x,$wa_y ${wa_w}x$wa_h"
}

# Starts xfwm4 (without its compositor) instead; its id, too, is kept in openbox_pid.
wm_ready() { xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW; }
start_xfwm4() {
  xfwm4 --compositor=off --sm-client-disable >"$work/xfwm4.log" 2>&1 &
  openbox_pid=$!
  wait_for 30 wm_ready || { sed 's/^/xfwm4: /' "$work/xfwm4.log"; return 1; }
}
start_wm() {  # start_wm openbox|xfwm4: openbox without margins
  if [ "$1" = openbox ]; then start_openbox 0 0 0 0; else start_xfwm4; fi
}
# Ends the window manager, so that another one can start on the display.
stop_wm() {
  end_process "$openbox_pid"
  openbox_pid=""
  # What it announced stays on the root window: the next one is known by announcing it again.
  xprop -root -remove _NET_SUPPORTED -remove _NET_SUPPORTING_WM_CHECK
}

# The window manager's active window, and whether it is the given one.
active() { xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //; s/,.*//'; }
is_active() { [ -n "$1" ] && [ $(($(active))) -eq $(($1)) ]; }
# The title of the active window, for a failure's message; "none" when no window is active.
describe_focus() { [ $(($(active))) -ne 0 ] && xdotool getwindowname "$(active)" 2>/dev/null || echo none; }
# After the focus moved, the window managers settle it in a few steps (a closed window's
# withdrawal, a repeated request): the next key goes once the active window has stayed for 0.3 s.
steady_focus() {
  local last="" now
  for _ in $(seq 30); do
    now=$(active)
    [ "$now" = "$last" ] && return 0
    last=$now
    sleep 0.3
  done
}
# found VARIABLE PATTERN: sets the variable to the running instance's visible window of that title.
found() { eval "$1=\$(app_window '$2')"; [ -n "${!1}" ]; }
gone_from_screen() { [ -z "$(app_window "$1")" ]; }
# The middle of the window on the screen, "X Y", where a person clicks it.
centre_of() { local x y w h; read -r x y w h < <(geometry_of "$1"); echo "$((x + w / 2)) $((y + h / 2))"; }
# Whether the first window is above the second in the window manager's stacking order.
stacked_above() {
  local position=0 upper=0 lower=0 id
  for id in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g'); do
    position=$((position + 1))
    [ $((id)) -eq $(($1)) ] && upper=$position
    [ $((id)) -eq $(($2)) ] && lower=$position
  done
  [ $upper -gt 0 ] && [ $lower -gt 0 ] && [ $upper -gt $lower ]
}

# A menu of the running instance is on the screen (menus are override-redirect windows).
menu_shown() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
  done
  return 1
}
# The windows of the menus on the screen, smallest first: the override-redirect windows of the
# instance but the tiny one the toolkit keeps off the screen (10 x 10) while a menu is open.
shown_menus() {
  local id w h
  for id in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
    read -r _ _ w h < <(geometry_of "$id")
    [ $((w * h)) -gt 100 ] && echo "$((w * h)) $id"
  done | sort -n | cut -d' ' -f2
}
# The window of the menu on the screen, the largest when a submenu is open too.
shown_menu() { shown_menus | tail -n 1 | grep .; }
# Whether the frame "X Y W H" lies on the screen (the root window), and whether it reaches out
# of the frame "X Y W H" given after it.
on_screen() {
  local x y w h sw sh
  read -r x y w h <<<"$1"
  read -r sw sh < <(xwininfo -root | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$sw" ] && [ $((y + h)) -le "$sh" ]
}
reaches_out_of() {
  local x y w h ox oy ow oh
  read -r x y w h <<<"$1"
  read -r ox oy ow oh <<<"$2"
  [ "$x" -lt "$ox" ] || [ "$y" -lt "$oy" ] || [ $((x + w)) -gt $((ox + ow)) ] || [ $((y + h)) -gt $((oy + oh)) ]
}
# From the keyboard, in the focused website window: to the address field, on to the More menu's
# button, Return; once the menu is on the screen, N times Down from its highlighted item and Return.
choose_in_more_menu() {  # choose_in_more_menu N
  xdotool key ctrl+l Tab Tab Return
  wait_for 5 menu_shown || return 1
  # shellcheck disable=SC2046
  xdotool key $(printf 'Down %.0s' $(seq "$1")) Return
}
# From the keyboard, in the focused window: F10 opens the main menu on File; Edit's item N is chosen
# (0 Undo, 1 Redo, 2 Cut, 3 Copy, 4 Paste, 5 Select All), and the menu is gone.
edit_with_f10() {  # edit_with_f10 N
  xdotool key F10
  wait_for 10 menu_shown || return 1
  xdotool key Down Right
  # shellcheck disable=SC2046
  [ "$1" -eq 0 ] || xdotool key $(printf 'Down %.0s' $(seq "$1"))
  xdotool key Return
  wait_for 10 eval '! menu_shown'
}

# The window's visible frame "X Y W H": its X window without any declared client-side shadow.
geometry_of() {
  local id=$1 x y w h
  read -r x y w h < <(xdotool getwindowgeometry "$id" |
    awk '/Position:/ {split($2, p, ",")} /Geometry:/ {split($2, s, "x")} END {print p[1], p[2], s[1], s[2]}')
  local shadow
  shadow=$(xprop -id "$id" _GTK_FRAME_EXTENTS 2>/dev/null | grep '=' | sed 's/.*= //; s/,//g')
  if [ -n "$shadow" ]; then
    read -r l r t b <<<"$shadow"
    x=$((x + l)); y=$((y + t)); w=$((w - l - r)); h=$((h - t - b))
  fi
  echo "$x $y $w $h"
}
geometry_is() { [ "$(geometry_of "$1")" = "$2" ]; }
check_frame() {  # check_frame what id "X Y W H": within 5 s
  if wait_for 5 geometry_is "$2" "$3"; then
    pass "$1 is at $3"
  else
    fail "$1 is at $3: got $(geometry_of "$2")"
  fi
}
has_state() { xprop -id "$1" _NET_WM_STATE | grep -q "$2"; }
on_all_desktops() { xprop -id "$1" _NET_WM_DESKTOP | grep -q '= 4294967295$' || has_state "$1" _NET_WM_STATE_STICKY; }
opacity_of() { xprop -id "$1" _NET_WM_WINDOW_OPACITY | sed -n 's/.*= //p'; }
check_opacity() {  # name id expected-fraction: within one step of 2^32 - 1
  local actual expected
  actual=$(opacity_of "$2")
  expected=$(awk -v f="$3" 'BEGIN { printf "%.0f", int(f * 4294967295) }')
  check "$1 has opacity $3 (expected $expected, got ${actual:-unset})" \
    [ "${actual:-0}" -ge $((expected - 1)) -a "${actual:-0}" -le $((expected + 1)) ]
}
