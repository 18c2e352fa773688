#!/usr/bin/env bash
# quenlith:// links under openbox: a link on the command line of the first start opens once launch
# has finished; a link sent by a later start reaches the running instance and loads its page once;
# the same address written another way reuses that tab; malformed links open nothing; one hand-off
# of 25 links opens 20; after cmake --install into a prefix, `gio open` finds the application
# through its desktop entry and hands the link to the running instance.
# Runs on the display xvfb-run gives it, with a private session bus; starts and stops its own
# openbox and page server.
set -uo pipefail
build=$(cd "$1" && pwd)
app=$build/quenlith
source "$(dirname "$0")/lib.sh"
begin_checks routing-wm bus -- "$@"
need_programs "$app" "$build/tests/programs/page_server/page_server"
start_openbox 0 0 0 0 || { fail "openbox did not start"; exit 1; }

start_page_server "$work/server.log" /first /a /same /m /n /g
port() { port_of "$work/server.log"; }
base="http%3A%2F%2F127.0.0.1%3A$(port)"
requests() { grep -c "^request $1\$" "$work/server.log"; }
requested_once() { [ "$(requests "$1")" -eq 1 ]; }
windows() { app_windows | wc -l; }

# --- First start with a link, then links from later starts --------------------------------------
start_app "quenlith://open?url=$base%2Ffirst"
check "a link of the first start opens once launched" wait_for 20 requested_once /first
check "it opens in one browser window" wait_for 5 eval '[ $(windows) -eq 1 ]'
window=$(app_window .)
check "the window's class is the desktop entry's StartupWMClass" \
  eval 'xprop -id "$window" WM_CLASS | grep -q "\"$(sed -n "s/^StartupWMClass=//p" "$root/resources/desktop/com.quenlith.Quenlith.desktop")\"$"'

send "QUENLITH://open/?url=$base%2Fa%3Fq%3D1"
check "a link sent to the running instance loads /a?q=1" wait_for 10 requested_once '/a?q=1'
send "quenlith://open?url=$base%2Fsame" "quenlith://open?url=HTTP%3A%2F%2F127.0.0.1%3A$(port)%2Fsame"
check "the page of the second hand-off is loaded" wait_for 10 requested_once /same
check "the same address written in capitals reuses its tab" eval '! wait_for 2 eval "[ \$(requests /same) -gt 1 ]"'

# Malformed links, then one good link as a marker: once the marker is loaded, the others are done.
bad=(
  "quenlith://Open?url=$base%2Fm" "quenlith://open?URL=$base%2Fm" "quenlith:open?url=$base%2Fm"
  "quenlith://open?url=ftp%3A%2F%2F127.0.0.1%3A$(port)%2Fm" "quenlith://open?url=$base%2Fm&x=1"
  "quenlith://open/path?url=$base%2Fm" "quenlith://user@open?url=$base%2Fm"
  "quenlith://workspace?id=E621E1F8-C36C-495A-93FC-0C247A3E6E5F" "http://127.0.0.1:$(port)/m"
)
send "${bad[@]}" "quenlith://open?url=$base%2Fg%3Fmarker"
check "the marker after the malformed links is loaded" wait_for 10 requested_once '/g?marker'
check "malformed links request nothing" [ "$(grep -c '^request /m' "$work/server.log")" -eq 0 ]
check "malformed links open no window" [ "$(windows)" -eq 1 ]
check "an argument that is no link is refused on standard error" grep -q "http://127.0.0.1:$(port)/m" "$work/send.log"

links=()
for i in $(seq 1 25); do links+=("quenlith://open?url=$base%2Fn%3Fi%3D$i"); done
send "${links[@]}"
n_requests() { grep -c '^request /n?i=' "$work/server.log"; }
check "a hand-off of 25 links opens 20" wait_for 30 eval '[ $(n_requests) -eq 20 ]'
check "the last 5 are dropped" eval '! wait_for 2 eval "[ \$(n_requests) -gt 20 ]" && ! grep -q "^request /n?i=2[1-5]\$" "$work/server.log"'

# --- Installed: gio open finds the application by its desktop entry ----------------------------
prefix=$work/prefix
if cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  XDG_DATA_DIRS="$prefix/share:/usr/share" PATH="$prefix/bin:$PATH" \
    gio open "quenlith://open?url=$base%2Fg%3Finstalled" >>"$work/send.log" 2>&1
  check "gio open hands the link to the running instance" wait_for 15 requested_once '/g?installed'
  check "still one browser window" [ "$(windows)" -eq 1 ]
else
  fail "cmake --install"; cat "$work/install.log"
fi

end_checks routing
