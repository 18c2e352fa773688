#!/usr/bin/env bash
# The application under openbox: started with websites marked to launch at start, it shows each in
# its own floating window (keep above, all workspaces, opacity as the websites say; out of the
# taskbar; no window-manager frame around a header bar or a compact window; at the remembered frame
# or the default size clamped to the work area) and loads their pages; a second start only
# activates the running one; a move is saved soon after; SIGTERM, SIGINT or SIGHUP saves the
# last frames, even of a move a moment before, and exits cleanly, also under stacked dialogs; a
# restart brings them back without drift; an unreadable websites file opens nothing and stays
# byte for byte as it was.
# Runs on xvfb-run's display with a private session bus, its own openbox and page servers.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
app=$build/quenlith
profiles_tool=$build/tests/programs/profiles_tool/profiles_tool
source "$here/lib.sh"
begin_checks app-wm bus -- "$@"
need_programs "$app" "$build/tests/programs/page_server/page_server" "$profiles_tool"
export G_MESSAGES_DEBUG=com.quenlith.Quenlith
mkdir -p "$XDG_DATA_HOME/com.quenlith.Quenlith"
profiles=$XDG_DATA_HOME/com.quenlith.Quenlith/profiles.json

# Margins make the work area smaller than the screen, and lower than the default window height.
start_openbox 40 60 30 0 || { fail "openbox did not start"; exit 1; }

# Each website on a host of its own: websites on one host would count as shown in one window.
# Names under "localhost" reach the servers on 127.0.0.1.
hosts=(127.0.0.1 beta.localhost gamma.localhost)
for site in 1 2 3; do start_page_server "$work/server.$site.log" "/site$site"; done
address_of() { echo "http://${hosts[$1 - 1]}:$(port_of "$work/server.$1.log")/site$1"; }

# Alpha: above, all workspaces, 0.8, remembered frame. Beta: neither, 0.6, compact, no frame.
# Gamma: not at start.
"$profiles_tool" write "$profiles" \
  --website Alpha "$(address_of 1)" --launch 1 --above 1 --all-workspaces 1 --opacity 0.8 --frame 150,120,520,430 \
  --website Beta "$(address_of 2)" --launch 1 --above 0 --all-workspaces 0 --opacity 0.6 \
  --compact 1 \
  --website Gamma "$(address_of 3)" --launch 0 || { fail "profiles.json written"; exit 1; }

run=0
next_log() { run=$((run + 1)) && app_log=$work/app.$run.log; }
window_of() { app_window "^$(named "$1")"; }
window_count() { app_windows | wc -l; }
has_window() { [ -n "$(window_of "$1")" ]; }
launcher_shown() { [ -n "$(app_window '^Quenlith$')" ]; }  # titled by the application, not a website
saved_frame() { "$profiles_tool" frames "$profiles" | awk -v n="$1" '$1 == n {print $2, $3, $4, $5}'; }
saved_frame_is() { [ "$(saved_frame "$1")" = "$2" ]; }
requested() { grep -q "^request /site$1\$" "$work/server.$1.log"; }
undecorated() { xprop -id "$1" _NET_FRAME_EXTENTS | grep -q '= 0, 0, 0, 0$'; }

# --- First start --------------------------------------------------------------------------------
next_log && start_app
if ! wait_for 20 eval 'has_window Alpha && has_window Beta'; then
  fail "both websites open in windows"; cat "$app_log"; exit 1
fi
pass "both websites open in windows"
alpha=$(window_of Alpha)
beta=$(window_of Beta)

check "Alpha is kept above" has_state "$alpha" _NET_WM_STATE_ABOVE
check "Alpha is on all workspaces" on_all_desktops "$alpha"
check "Beta is not kept above" eval '! has_state "$beta" _NET_WM_STATE_ABOVE'
check "Beta is on one workspace only" eval '! on_all_desktops "$beta"'
check "Alpha and Beta stay out of the taskbar" \
  eval 'has_state $alpha _NET_WM_STATE_SKIP_TASKBAR && has_state $beta _NET_WM_STATE_SKIP_TASKBAR'
check "Alpha (header bar) and Beta (compact) have no window-manager frame" \
  eval 'undecorated $alpha && undecorated $beta'
check_opacity Alpha "$alpha" 0.8
check_opacity Beta "$beta" 0.6
check_frame "Alpha (remembered frame)" "$alpha" "150 120 520 430"
# The default 480 x 720 centred on the work area, cut to its height and pushed inside it.
beta_h=$((720 < wa_h ? 720 : wa_h))
beta_expected="$((wa_x + (wa_w - 480) / 2)) $wa_y 480 $beta_h"
check_frame "Beta (default size clamped to the work area)" "$beta" "$beta_expected"
check "the Alpha page is requested" wait_for 10 requested 1
check "the Beta page is requested" wait_for 10 requested 2
check "Gamma, not marked to launch at start, is not requested" eval '! requested 3'
check "Gamma has no window" eval '! has_window Gamma'

# A second start finds the running application and ends; with no tray on the bus it opens the
# launcher as a window, and the next start closes it, as the tray icon does.
send
check "a second start ends at once, successfully" [ $? -eq 0 ]
check "a second start without a tray opens the launcher" wait_for 10 eval 'launcher_shown && [ "$(window_count)" -eq 3 ]'
check "and it comes in front of Alpha, which is kept above" \
  wait_for 5 eval 'stacked_above "$(app_window "^Quenlith\$")" "$alpha"'
# Every window carries the application's icon for title bars and taskbars, also run from the build
# tree: the website windows and the launcher here, the settings below.
# Openbox puts an icon of its own on a window that has none: ours comes in sizes from 16 to 64 px.
has_icon() {
  local sizes
  sizes=$(xprop -id "$1" _NET_WM_ICON 2>/dev/null | grep -o 'Icon ([0-9]* x [0-9]*)')
  grep -q '(16 x 16)' <<<"$sizes" && grep -q '(64 x 64)' <<<"$sizes"
}
for shown in "Alpha:$alpha" "Beta:$beta" "the launcher:$(app_window '^Quenlith$')"; do
  check "${shown%%:*} carries the application's icon" has_icon "${shown#*:}"
done
# The person uses the launcher, then turns to Alpha.
xdotool windowactivate "$(app_window "^Quenlith\$")" 2>/dev/null
check "the launcher has the focus" wait_for 5 eval 'is_active "$(app_window "^Quenlith\$")"' || {
  # What the window manager and the application saw, to tell a refused request from a window gone.
  echo "  active: $(active); the application's windows:"
  for shown in $(xdotool search --all --pid "$app_pid" --name . 2>/dev/null); do
    echo "  $shown $(xwininfo -id "$shown" 2>/dev/null | awk '/Map State/ {print $3}') \"$(xdotool getwindowname "$shown" 2>/dev/null)\""
  done
  tail -n 20 "$app_log" | sed 's/^/  /'
}
steady_focus
# Asked once more when the window manager has not given it the focus yet, as a second click would.
xdotool windowactivate "$alpha" 2>/dev/null
wait_for 3 is_active "$alpha" || xdotool windowactivate "$alpha" 2>/dev/null
check "Alpha is then in use" wait_for 5 is_active "$alpha"
check "once Alpha is in use, the launcher is no longer kept above" \
  wait_for 5 eval '! has_state "$(app_window "^Quenlith\$")" _NET_WM_STATE_ABOVE' ||
  echo "  active: $(active); the launcher: $(app_window "^Quenlith\$") $(xprop -id "$(app_window "^Quenlith\$")" _NET_WM_STATE 2>&1)"
send
check "a third start closes it again" wait_for 10 eval '! launcher_shown && [ "$(window_count)" -eq 2 ]'
gdbus call --session --dest com.quenlith.Quenlith --object-path /com/quenlith/Quenlith \
  --method org.gtk.Actions.Activate settings "[]" "{}" >/dev/null
settings=""
if wait_for 10 found settings '^Quenlith Settings$'; then
  check "the settings carry the application's icon" has_icon "$settings"
  xdotool windowactivate --sync "$settings" key Escape 2>/dev/null
  wait_for 10 gone_from_screen '^Quenlith Settings$' || fail "Escape closes the settings"
else
  fail "the settings open from the application's menu"
fi

# --- A move by the user is saved soon after ----------------------------------------------------
xdotool windowmove "$alpha" 400 300
moved="400 300 520 430"
check_frame "Alpha (moved)" "$alpha" "$moved"
# The store hands the save over a moment after the move; the writer's fsync on a machine busy
# building the sanitizer tree beside the checks may take a while longer. What is saved, and when,
# is shown when it is not the moved frame, so a late save can be told from a missed one.
moved_at=$SECONDS
if wait_for 30 saved_frame_is Alpha "$moved"; then
  pass "the moved frame is saved soon after the move ($moved, after $((SECONDS - moved_at)) s)"
else
  fail "the moved frame is saved soon after the move ($moved; saved: $(saved_frame Alpha))"
  tail -n 40 "$app_log"
fi
beta_shown=$(geometry_of "$beta")

stop_app
check "SIGTERM ends the application cleanly (status $app_status)" [ "$app_status" = 0 ]
check "profiles.json holds Alpha's last frame" saved_frame_is Alpha "$moved"
check "profiles.json holds Beta's last frame ($beta_shown)" saved_frame_is Beta "$beta_shown"

# --- Restarts: the same frames, without drift. A move just before SIGINT or SIGHUP, within the
# store's quiet period, is still saved: the signal ends the application as quitting does.
round=0
for signal in INT HUP; do
  round=$((round + 1))
  next_log && start_app
  if ! wait_for 20 eval 'has_window Alpha && has_window Beta'; then
    fail "restart $round: windows appear"; break
  fi
  alpha=$(window_of Alpha)
  check_frame "restart $round: Alpha" "$alpha" "$moved"
  check_frame "restart $round: Beta" "$(window_of Beta)" "$beta_shown"
  moved="$((400 + 20 * round)) $((300 + 10 * round)) 520 430"
  xdotool windowmove "$alpha" $((400 + 20 * round)) $((300 + 10 * round))
  wait_for 5 geometry_is "$alpha" "$moved" || fail "restart $round: Alpha moves to $moved"
  stop_app "$signal"
  check "restart $round: SIG$signal ends the application cleanly (status $app_status)" [ "$app_status" = 0 ]
  check "restart $round: the move just before SIG$signal is saved ($moved)" saved_frame_is Alpha "$moved"
  check "restart $round: Beta's frame is saved unchanged" saved_frame_is Beta "$beta_shown"
done

# --- SIGTERM with dialogs stacked ----------------------------------------------------------------
# An import's alert on the library, then the import's file chooser with an error of the toolkit's
# own over it, which the toolkit waits for in a loop of its own: SIGTERM still ends the
# application with its final save, a move just before included.
printf 'not a backup' >"$work/broken-backup.json"
all_windows() { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null; }
# The shown window that holds the given one as its parent (WM_TRANSIENT_FOR).
sheet_of() {
  local id parent
  parent=$(printf '0x%x' $(($1)))
  for id in $(all_windows); do
    xprop -id "$id" WM_TRANSIENT_FOR 2>/dev/null | grep -q "# $parent\$" && { echo "$id"; return 0; }
  done
  return 1
}
has_sheet() { sheet_of "$1" >/dev/null; }
# From the library's first control (Backup & Restore): Import Backup…, the path typed into the
# chooser's location, and Return until the chooser takes it or answers with a dialog of its own
# (the first Return may only complete the typed name).
import_path() {
  chooser=""
  xdotool key space && wait_for 5 menu_shown && xdotool key Down Return &&
    wait_for 10 found chooser '^Import Backup$' && wait_for 5 is_active "$chooser" &&
    xdotool key ctrl+l && xdotool type --delay 20 "$1" || return 1
  local attempt
  for attempt in 1 2 3; do
    xdotool key Return
    wait_for 3 eval 'gone_from_screen "^Import Backup\$" || has_sheet "$chooser"' && return 0
  done
  return 1
}
next_log && start_app
if wait_for 20 has_window Alpha; then
  alpha=$(window_of Alpha) library=""
  xdotool windowactivate --sync "$alpha" key ctrl+shift+h
  if wait_for 10 eval 'found library "^Saved Pages & Groups\$" && is_active "$library"'; then
    check "a broken backup chosen in the library is refused in an alert on it" \
      eval 'import_path "$work/broken-backup.json" && wait_for 10 has_sheet "$library"'
    # Return once the alert has the keyboard: on a loaded machine it shows before it is given it.
    alert=""
    wait_for 10 eval 'alert=$(sheet_of "$library") && is_active "$alert"' && steady_focus
    xdotool key Return
    wait_for 10 eval '! has_sheet "$library" && is_active "$library"' || fail "Return answers the import's alert"
    check "a backup in a missing folder: the chooser answers with an error dialog of its own" \
      eval 'import_path "$work/missing/backup.json" && has_sheet "$chooser"'
  else
    fail "Ctrl+Shift+H in Alpha opens the library with the focus (the library is $(found library "^Saved Pages & Groups\$" &&
      echo shown || echo not shown), the active window is $(describe_focus)$(
      wait_for 15 eval 'found library "^Saved Pages & Groups\$" && is_active "$library"' && echo "; both within 25 s"))"
  fi
  moved="420 330 520 430"
  xdotool windowmove "$alpha" 420 330
  wait_for 5 geometry_is "$alpha" "$moved" || fail "Alpha moves to $moved under the dialogs"
  stop_app
  check "SIGTERM under the stacked dialogs ends the application cleanly (status $app_status)" [ "$app_status" = 0 ]
  check "the move just before is saved ($moved)" saved_frame_is Alpha "$moved"
else
  fail "Alpha opens for the stacked dialogs"
fi

# --- An unreadable websites file ----------------------------------------------------------------
printf '{"version": 1, "profiles": [' >"$profiles"
printf 'an earlier copy\n' >"$profiles.backup"
before=$(sha256sum "$profiles" "$profiles.backup")
next_log && start_app
check "the application starts with an unreadable profiles.json" \
  wait_for 20 grep -q 'Quenlith started' "$app_log" || cat "$app_log"
check "the store's message is logged" grep -q 'Your saved websites could not be read' "$app_log"
# No website opens; with no tray to click, the launcher opens as a window instead of nothing, and
# the notice that tells it in front of it.
check "only the launcher and the notice open" wait_for 10 eval 'launcher_shown && [ -n "$(app_window "^Quenlith could not read your saved websites$")" ] && [ "$(window_count)" -eq 2 ]'
stop_app
check "clean exit (status $app_status)" [ "$app_status" = 0 ]
check "profiles.json and its backup are byte for byte as before" [ "$(sha256sum "$profiles" "$profiles.backup")" = "$before" ]

end_checks application
