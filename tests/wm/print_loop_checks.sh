#!/usr/bin/env bash
# A website whose page asks to print every 200 ms, under openbox: one print dialog at a time, none
# right after it is dismissed with Escape, and the website's window closes through the window
# manager (its close key) at the first try while a print dialog is open, taking the dialog along.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
tool=$build/tests/programs/profiles_tool/profiles_tool
source "$here/lib.sh"
begin_checks print-loop-wm bus -- "$@"
need_programs "$app" "$tool" "$build/tests/programs/page_server/page_server"
data=$XDG_DATA_HOME/com.quenlith.Quenlith
mkdir -p "$data"

# openbox with the close key a desktop gives it.
cat >"$work/rc.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard><keybind key="A-F4"><action name="Close"/></keybind></keyboard>
</openbox_config>
XML
openbox --sm-disable --config-file "$work/rc.xml" >"$work/openbox.log" 2>&1 &
openbox_pid=$!
wait_for 30 wm_ready || { fail "openbox starts"; sed 's/^/openbox: /' "$work/openbox.log"; exit 1; }

start_page_server "$work/server.log" /p+print
"$tool" write "$data/profiles.json" --website Printer "http://127.0.0.1:$(port_of "$work/server.log")/p" --launch 1 ||
  { fail "the website is written"; exit 1; }
start_app
printer=""
wait_for 30 found printer "^$(named Printer)" || { fail "Printer opens"; cat "$work/app.log"; exit 1; }

dialogs() { app_windows "^Print$" | wc -l; }
check "the page's print() opens a print dialog" wait_for 20 found print "^Print$"
more=0
wait_for_ms 1500 eval '[ "$(dialogs)" -le 1 ] || more=1; [ $more -eq 1 ]'
check "only one print dialog while the page goes on asking" [ $more -eq 0 ]
xdotool windowactivate --sync "$print" key Escape 2>/dev/null
check "Escape closes it" wait_for 10 gone_from_screen "^Print$"
check "no print dialog comes right after the dismissal" eval '! wait_for_ms 2000 found print "^Print$"'

# Past the guard's pause the page's request opens one again; the window closes with it open.
check "a later request opens the dialog again" wait_for 20 found print "^Print$"
# The close key goes to the active window: Printer is activated until it has the focus (on a busy
# machine the window manager may still be placing the dialog).
activate_printer() { xdotool windowactivate "$printer" 2>/dev/null; wait_for 2 is_active "$printer"; }
check "Printer takes the focus with its print dialog open" wait_for 20 activate_printer
xdotool key alt+F4
check "the window closes at the first try through the window manager" \
  wait_for 10 gone_from_screen "^$(named Printer)"
check "and its print dialog goes with it" wait_for 10 gone_from_screen "^Print$"
check "the application still runs" eval '! gone "$app_pid"'
stop_app
check "the application ends at TERM" [ "$app_status" = 0 ]

end_checks "print loop"
