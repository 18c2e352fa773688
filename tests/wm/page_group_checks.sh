#!/usr/bin/env bash
# Page groups under openbox: a group link given to the first start opens the windows (at their
# frames, with their pages and opacity, without a deleted website's); sent again, it loads nothing;
# a zoom in a saved website's group window leaves profiles.json as it was, unlike one in its own.
# Runs on xvfb-run's display with a private session bus, its own openbox and page server.
set -uo pipefail
build=$(cd "$1" && pwd)
app=$build/quenlith
profiles_tool=$build/tests/programs/profiles_tool/profiles_tool
source "$(dirname "$0")/lib.sh"
begin_checks page-group-wm bus -- "$@"
need_programs "$app" "$build/tests/programs/page_server/page_server" "$profiles_tool"
start_openbox 0 0 0 0 || { fail "openbox did not start"; exit 1; }

start_page_server "$work/server.log" /own /a /b /c /d
base="http://127.0.0.1:$(port_of "$work/server.log")"
requests() { grep -c "^request $1\$" "$work/server.log"; }
all_requests() { grep -c '^request /[a-z]*$' "$work/server.log"; }

data=$XDG_DATA_HOME/com.quenlith.Quenlith
mkdir -p "$data"
website=8D3C4D0E-1F4B-4C55-9E55-2B8E5A7D6C01
group=5A1E0C3B-7D2F-4E8A-9B6C-0D4F3E2A1B09
"$profiles_tool" write "$data/profiles.json" --website Site "$base/own" --id $website --launch 1 \
  --opacity 1 --above 1 --frame 700,450,500,300 || { fail "profiles.json written"; exit 1; }
frame() { echo "{\"x\":$1,\"y\":$2,\"width\":$3,\"height\":$4}"; }
cat >"$data/library.json" <<JSON
{"version":1,"clips":[],"history":[],"scenes":[{"id":"$group","name":"Work","modified":0,"windows":[
 {"id":"11111111-1111-4111-8111-111111111111","name":"Site","urls":["$base/a","$base/b"],"selected":1,
  "frame":$(frame 100 100 500 400),"opacity":0.6,"onTop":false,"compact":false,"profileID":"$website"},
 {"id":"22222222-2222-4222-8222-222222222222","name":"Notes","urls":["$base/c"],"selected":0,
  "frame":$(frame 650 60 520 300),"opacity":1,"onTop":true,"compact":false},
 {"id":"33333333-3333-4333-8333-333333333333","name":"Gone","urls":["$base/d"],"selected":0,
  "frame":$(frame 200 200 400 300),"opacity":1,"onTop":true,"compact":false,
  "profileID":"44444444-4444-4444-8444-444444444444"}]}]}
JSON

link="quenlith://workspace?id=$group"
window_at() { local id; for id in $(app_windows); do geometry_is "$id" "$1" && echo "$id" && return; done; }

start_app "$link"
check "the group's pages and the website's own page are loaded once" \
  wait_for 20 eval '[ "$(requests /a)$(requests /b)$(requests /c)$(requests /own)" = 1111 ]'
check "the window of a deleted website is skipped" eval '[ "$(requests /d)" -eq 0 ]'
check "the group window of the website is at its saved frame" wait_for 5 eval '[ -n "$(window_at "100 100 500 400")" ]'
grouped=$(window_at "100 100 500 400")
[ -n "$grouped" ] && check_opacity "the group window of the website" "$grouped" 0.6
wait_for 5 eval '[ -n "$(window_at "700 450 500 300")" ]'; own=$(window_at "700 450 500 300")

requested=$(all_requests)
send "$link"
check "the group link again brings the windows forward and loads nothing" \
  eval '! wait_for 2 eval "[ \$(all_requests) -ne $requested ] || [ \$(app_windows | wc -l) -ne 3 ]"'

saved=$(cat "$data/profiles.json")
zoom() { xdotool windowactivate --sync "$1" && xdotool key --clearmodifiers ctrl+plus; }
zoom "$grouped"
check "zooming in the group window changes nothing in profiles.json" \
  eval '! wait_for 2 eval "[ \"\$(cat \"$data/profiles.json\")\" != \"\$saved\" ]"'
zoom "$own"
check "zooming in the website's own window is saved" \
  wait_for 5 eval '[ "$(cat "$data/profiles.json")" != "$saved" ]'

end_checks "page group"
