#!/usr/bin/env bash
# Global shortcuts and click-through under openbox, with the application's object graph
# (hot_key_probe) and another X client (key_holder): a website's shortcut shows its hidden window,
# hides it on a second press and brings a minimised one back; of two websites with one shortcut the
# first id keeps it; refusals are explained; with Ctrl+Alt+P held by another client click-through
# is refused, otherwise clicks reach the window below until Ctrl+Alt+P or "Restore Mouse Control";
# deleting a website lets its shortcut go.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
if [ -z "${QUENLITH_CHECKS_BUS:-}" ]; then
  export QUENLITH_CHECKS_BUS=1
  exec dbus-run-session --config-file="$root/tests/support/session-bus.conf" -- "$0" "$@"
fi
probe=$build/tests/programs/hot_key_probe/hot_key_probe
holder=$build/tests/programs/key_holder/key_holder
profiles_tool=$build/tests/programs/profiles_tool/profiles_tool
source "$here/lib.sh"

work=$(mktemp -d /tmp/quenlith-hotkeys-wm.XXXXXX)
openbox_pid="" probe_pid="" holders=""
stop_probe() { [ -n "$probe_pid" ] && { exec 3>&-; kill $probe_pid; wait $probe_pid; } 2>/dev/null; probe_pid=""; }
trap 'stop_probe; for pid in $holders $openbox_pid; do kill $pid && wait $pid; done 2>/dev/null; rm -rf "$work"' EXIT
for program in "$probe" "$holder" "$profiles_tool"; do [ -x "$program" ] || { fail "not built: $program"; exit 1; }; done

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export XDG_RUNTIME_DIR=$work/runtime GDK_BACKEND=x11 NO_AT_BRIDGE=1 WEBKIT_DISABLE_COMPOSITING_MODE=1
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/com.quenlith.Quenlith" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
profiles=$XDG_DATA_HOME/com.quenlith.Quenlith/profiles.json
start_openbox 0 0 0 0 || { fail "openbox did not start"; exit 1; }

ctrl_alt=2304 first=0A4E2C2B-2A36-4F4F-8D6B-3F1F6D0C5E11 second=F7C0B4E1-8B0B-4E4C-9E0F-2D6C1A5B7E22
hold() {  # hold NAME COMBINATION [X Y W H]: another client takes the combination
  "$holder" "${@:2}" >"$work/$1.log" 2>&1 &
  holders="$holders $!"
  wait_for 5 grep -q -e held -e refused "$work/$1.log"
}
start_probe() {
  rm -f "$work/in"; mkfifo "$work/in"
  "$probe" <"$work/in" >"$work/probe.log" 2>"$work/probe.err" &
  probe_pid=$!
  exec 3>"$work/in"
  wait_for 30 grep -q '^ready$' "$work/probe.log"
}
ask() { : >"$work/probe.log"; echo "$1" >&3; wait_for 10 grep -q "^$2" "$work/probe.log"; }
windows() { xdotool search --onlyvisible --pid "$probe_pid" 2>/dev/null | wc -l; }
count_is() { [ "$(windows)" -eq "$1" ]; }
clicks() { grep -c '^click$' "$work/below.log"; }

# --- Ctrl+Alt+P held by another client before the start: click-through is refused ---------------
hold rescue ctrl+alt+p
"$profiles_tool" write "$profiles" --website Alpha http://127.0.0.1:9/a --id $first --launch 1 \
  || { fail "profiles.json written"; exit 1; }
check "the application starts with Ctrl+Alt+P taken" start_probe
check "its website's window opens" wait_for 20 count_is 1
check "click-through is refused" ask "clickthrough Alpha" "clickthrough off"
check "with the alert \"Click-through unavailable\"" wait_for 5 count_is 2
stop_probe
for pid in $holders; do kill $pid; wait $pid; done 2>/dev/null
holders=""

# --- Website shortcuts ---------------------------------------------------------------------------
hold other ctrl+alt+9
"$profiles_tool" write "$profiles" \
  --website Alpha http://127.0.0.1:9/a --id $first --shortcut 18,$ctrl_alt \
  --website Beta http://127.0.0.1:9/b --id $second --shortcut 18,$ctrl_alt \
  --website Gamma http://127.0.0.1:9/c --shortcut 25,$ctrl_alt || { fail "profiles.json written"; exit 1; }
check "the application starts with Ctrl+Alt+9 taken" start_probe
ask errors end
check "the second website with Ctrl+Alt+1 is told it is used in Quenlith" \
  grep -qx "error $second: Shortcut is invalid or already used in Quenlith." "$work/probe.log"
check "the website with Ctrl+Alt+9 is told another application uses it" \
  grep -qx "error .*: Ctrl+Alt+9 is in use by another application or not on this keyboard (X error 10)." "$work/probe.log"
check "no window at first" count_is 0
xdotool key ctrl+alt+1
check "Ctrl+Alt+1 shows the first website's window only" wait_for 20 count_is 1
window=$(xdotool search --onlyvisible --pid "$probe_pid" | head -1)
check "it is the first website's" eval 'xdotool getwindowname $window | grep -q Alpha'
xdotool key ctrl+alt+1
check "a second press hides it" wait_for 5 count_is 0
xdotool key ctrl+alt+1
check "a third press shows it again" wait_for 5 count_is 1
xdotool windowminimize "$window"
wait_for 5 count_is 0
xdotool key ctrl+alt+1
check "a press brings the minimised window back" wait_for 5 count_is 1
check "and does not hide it" eval '! wait_for 1 count_is 0'

# --- Click-through -------------------------------------------------------------------------------
read -r x y w h < <(geometry_of "$window")
hold below ctrl+alt+8 "$x" "$y" "$w" "$h"
wait_for 5 eval 'xdotool search --name "key_holder below" >/dev/null'
click() { xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1; }
click
check "without click-through the window takes the click" eval '! wait_for 1 eval "[ \$(clicks) -gt 0 ]"'
check "click-through switches on" ask "clickthrough Alpha" "clickthrough on"
click
check "with click-through the click reaches the window below" wait_for 5 eval '[ $(clicks) -eq 1 ]'
xdotool key ctrl+alt+p
check "Ctrl+Alt+P ends click-through" wait_for 5 ask count "count 0"
click
check "after Ctrl+Alt+P the window takes clicks again" eval '! wait_for 1 eval "[ \$(clicks) -gt 1 ]"'
ask "clickthrough Alpha" "clickthrough on"
check "Restore Mouse Control ends it too" ask restore restored
click
check "and the window takes clicks again" eval '! wait_for 1 eval "[ \$(clicks) -gt 1 ]"'

# --- Deleting a website lets its shortcut go -----------------------------------------------------
hold before ctrl+alt+1
check "another client cannot take a website's shortcut" grep -q refused "$work/before.log"
ask "delete Alpha" deleted
xdotool key ctrl+alt+1
check "once the first website is deleted the second one's shortcut works" \
  wait_for 20 eval 'count_is 1 && xdotool getwindowname $(xdotool search --onlyvisible --pid $probe_pid) | grep -q Beta'
ask "delete Beta" deleted
check "after deleting that website another client can take its shortcut" eval 'hold after ctrl+alt+1 && wait_for 5 grep -q held "$work/after.log"'
xdotool key ctrl+alt+1
check "and the press reaches it" wait_for 5 grep -q press "$work/after.log"

[ $failures -eq 0 ] && echo "hot key checks: all passed" || echo "hot key checks: $failures failed"
[ $failures -eq 0 ]
