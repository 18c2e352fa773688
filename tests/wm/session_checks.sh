#!/usr/bin/env bash
# Session recovery under openbox: SIGTERM right after a tab opened keeps the tab and the last frame;
# a crash loop of SIGKILLs at random moments while tabs open and windows minimise leaves parseable
# files, and each checked start restores the last snapshot written, as its first snapshot shows.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
tool=$build/tests/programs/profiles_tool/profiles_tool
source "$here/lib.sh"
begin_checks session-wm bus -- "$@"
need_programs "$app" "$build/tests/programs/page_server/page_server" "$tool"
kills=${QUENLITH_CRASH_RUNS:-50}
data=$XDG_DATA_HOME/com.quenlith.Quenlith
mkdir -p "$XDG_CONFIG_HOME/com.quenlith.Quenlith" "$data"
session=$data/session-v1.json profiles=$data/profiles.json settings=$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json
start_openbox 0 0 0 0 || { fail "openbox did not start"; exit 1; }

start_page_server "$work/server.log" /alpha /first $(seq -f /t%g 1 "$kills")
address="http://127.0.0.1:$(port_of "$work/server.log")"
"$tool" write "$profiles" --website Alpha "$address/alpha" --launch 1 --frame 100,80,500,400 &&
  "$tool" restore-windows "$settings" 1 || { fail "the websites and settings are written"; exit 1; }

# The restorable part of a session file, one line per window and tab; fails when it does not parse.
restorable() {
  jq -er '.windows[] | "\(.id) \(.selected) \(.visible) \(.minimized) \(.frame | [.x, .y, .width, .height])",
    (.tabs[] | "  \(.address // "start page")")' "$1"
}
requested() { grep -q "^request $1\$" "$work/server.log"; }
# A later start handing over a link; run in the background, its id is the instance's own.
open_link() { exec "$app" "quenlith://open?url=${address//:/%3A}$1" >>"$work/send.log" 2>&1; }
browser_window() { app_window "^$(named Quenlith) — "; }

# --- SIGTERM right after a tab opened ------------------------------------------------------------
start_app
alpha=""
# Found by its page's title: the window is in place by then, as the move below needs.
wait_for 20 eval 'alpha=$(app_window "^$(named Alpha) — Page "); [ -n "$alpha" ]' ||
  { fail "Alpha opens"; cat "$work/app.log"; exit 1; }
xdotool windowmove "$alpha" 200 150
wait_for 5 geometry_is "$alpha" "200 150 500 400" || fail "Alpha moves"
open_link /first &
wait_for 20 requested /first || fail "the link opens a tab"
stop_app
check "SIGTERM right after a tab opened ends cleanly (status $app_status)" [ "$app_status" = 0 ]
check "the tab is in session-v1.json" eval 'restorable "$session" | grep -q "/first$"'
check "profiles.json holds Alpha's last frame" eval '"$tool" frames "$profiles" | grep -q "^Alpha 200 150 500 400 "'

# --- Crash loop ----------------------------------------------------------------------------------
files_parse() {
  jq -e . "$settings" >/dev/null && "$tool" frames "$profiles" >/dev/null && restorable "$session" >/dev/null &&
    { [ ! -e "$session.backup" ] || restorable "$session.backup" >/dev/null; }
}
touch "$work/mark"
written_since_start() { [ "$session" -nt "$work/mark" ]; }
mismatches=0 unparsable=0 verified=0 sender=""
begin=$(date +%s)
for run in $(seq 1 "$kills"); do
  expected=$(restorable "$session")
  touch -d '-1 second' "$work/mark"
  start_app
  # Every other start is killed during its start and restore.
  if [ $((run % 2)) -eq 0 ] && wait_for 20 written_since_start; then
    verified=$((verified + 1))
    if [ "$(restorable "$session")" != "$expected" ]; then
      mismatches=$((mismatches + 1))
      echo "run $run restored differently:"; diff <(echo "$expected") <(restorable "$session")
    fi
    case $((run % 6)) in
      0) xdotool windowminimize "$(browser_window)" 2>/dev/null ;;
      # Within the work area (800 high, the window 720): a frame off it is brought back on restore.
      [24]) xdotool windowmove "$(browser_window)" $((RANDOM % 400)) $((RANDOM % 80)) 2>/dev/null ;;
      *) open_link "/t$run" & sender=$! ;;
    esac
  fi
  sleep "0.$((RANDOM % 9))$((RANDOM % 10))"  # a random moment, not a wait for something
  kill -KILL "$app_pid" 2>/dev/null || { wait "$app_pid"; echo "run $run: the application had ended by itself (status $?)"; }
  wait "$app_pid" 2>/dev/null; app_pid=""
  # A link sent as the application died starts an instance of its own: it dies too.
  [ -n "$sender" ] && { kill -KILL "$sender"; wait "$sender"; } 2>/dev/null; sender=""
  files_parse || { unparsable=$((unparsable + 1)); echo "run $run left a file that does not parse"; }
done
check "$kills SIGKILLs leave every file parseable" [ "$unparsable" -eq 0 ]
check "each of $verified checked starts restores the last snapshot written" eval '[ "$mismatches" -eq 0 ] && [ "$verified" -gt 0 ]'
echo "crash loop: $kills kills in $(($(date +%s) - begin)) s"

end_checks session
