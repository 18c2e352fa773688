#!/usr/bin/env bash
# Every window of the running application read from another process over the accessibility bus, as
# a screen reader reads it: the browser window, its User-Agent and Proxy sheets (opened from its
# "more" menu by the keyboard, each heard by the control that has the focus as it opens), the
# launcher with each of its lists, the editor with every section open, the settings with each tab
# (a drop-down tabbed onto heard by its name), the library with its page-group sheet, the save-page
# window, downloads, the guide and Quick Open, and the library's backups followed through the file
# chooser: one exported, a broken one refused, the exported one imported after a question. Alerts are
# titled by what they say, the question deleting a website and the one renaming a page group among
# them. Quick Open's Down and Up are heard choosing each result, in a list with a name. No control
# that takes the focus is without a name (an excerpt pane neither), no two controls of a window (on
# any of its tabs) share a name without a description that tells them apart, no drop-down is named
# by the value it shows, no tab list is without a name, no label takes the focus, no name and no
# text shown (a label's, a list cell's, read in flat review) carries the invisible marks that isolate
# a name in displayed text, nor does a window's title. The
# "Always on Top" pin reads as a toggle button, pressed while its window stays above. The print
# dialog, followed as it comes and goes, gives the focus back and leaves nothing in the log. The
# browser window is read again with its find bar, with two tabs and in compact mode, the library
# with a page to read later, Open Multiple Links, and the alert of a page that could not be saved,
# which announces itself as an error. A deletion confirmed from a tile or from the settings leaves the
# keyboard on a neighbouring tile, a neighbouring row or "Add Website".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
tool=$build/tests/programs/profiles_tool/profiles_tool
walker=$build/tests/programs/atspi_walk/atspi_walk
source "$here/lib.sh"
# The bus starts the accessibility bus's launcher when the toolkit's bridge asks for it.
checks_bus_config=$root/tests/support/accessibility-bus.conf
begin_checks accessibility-wm bus -- "$@"
need_programs "$app" "$tool" "$walker" "$build/tests/programs/page_server/page_server" "$(command -v gdbus)"
# The application speaks to the accessibility bus, as it does on a desktop.
unset NO_AT_BRIDGE
data=$XDG_DATA_HOME/com.quenlith.Quenlith
mkdir -p "$data"
start_openbox 0 0 0 0 || { fail "openbox starts"; exit 1; }
start_page_server "$work/server.log" /a /b
port=$(port_of "$work/server.log")
"$tool" write "$data/profiles.json" --website Alpha "http://127.0.0.1:$port/a" --launch 1 \
  --website Beta "http://127.0.0.1:$port/b" || { fail "the websites are written"; exit 1; }
# Two page groups, rows of the library's Page Groups list with the same buttons and a menu of their
# own; a bookmark in a collection, which the save-page window offers to choose.
cat >"$data/library.json" <<JSON
{"version":1,"clips":[{"id":"3C1D2B4A-5E6F-4A7B-8C9D-0E1F2A3B4C5D","title":"Quote","address":"http://127.0.0.1:$port/b",
 "text":"","collection":"Quotes","modified":0}],"history":[],"scenes":[{"id":"5A1E0C3B-7D2F-4E8A-9B6C-0D4F3E2A1B09","name":"Work",
 "modified":0,"windows":[{"id":"11111111-1111-4111-8111-111111111111","name":"Beta",
 "urls":["http://127.0.0.1:$port/b"],"selected":0,"frame":{"x":100,"y":100,"width":500,"height":400},
 "opacity":1,"onTop":false,"compact":false}]},
 {"id":"6B2F1D4C-8E3A-4F9B-AC7D-1E5F4A3B2C10","name":"Home","modified":0,"windows":[
 {"id":"22222222-2222-4222-8222-222222222222","name":"Alpha","urls":["http://127.0.0.1:$port/a"],"selected":0,
 "frame":{"x":120,"y":120,"width":500,"height":400},"opacity":1,"onTop":false,"compact":false}]}]}
JSON

# The alert of a failed save needs a folder the application cannot write to: root writes anywhere,
# so the application runs without that override, as any user does.
if [ "$(id -u)" = 0 ]; then
  printf '#!/bin/sh\nexec setpriv --bounding-set -dac_override,-dac_read_search "%s" "$@"\n' "$app" >"$work/as-user"
  chmod +x "$work/as-user"
  app=$work/as-user
fi
start_app
alpha=""
wait_for 30 eval 'alpha=$(app_window "^$(named Alpha)"); [ -n "$alpha" ]' || { fail "Alpha opens"; cat "$work/app.log"; exit 1; }

# Runs the walker's steps; its report is kept in $work/walk.log and shown when a step failed.
walk() {
  local output status
  output=$("$walker" "$app_pid" "$@" 2>&1)
  status=$?
  printf '%s\n' "$output" >>"$work/walk.log"
  [ $status -eq 0 ] || printf '%s\n' "$output" | sed 's/^/  /'
  return $status
}
# Runs a command of the application's menu, as its menu item does.
command_of_menu() {
  gdbus call --session --dest com.quenlith.Quenlith --object-path /com/quenlith/Quenlith \
    --method org.gtk.Actions.Activate "$1" "[]" "{}" >/dev/null
}
# Runs a command of the menu on Alpha: the menu judges its commands on a key press of the key window.
# The window manager says Alpha is active before the toolkit has heard it: a command sent at once
# over the bus could arrive first and find no window in use.
# A window that closed just before hands the focus on a moment later: Alpha is activated once the
# focus has settled, and again should that hand-on have come after it.
command_on_alpha() {
  steady_focus
  xdotool windowactivate --sync "$alpha" 2>/dev/null
  steady_focus
  is_active "$alpha" || xdotool windowactivate --sync "$alpha" 2>/dev/null
  walk "active=Alpha*" >/dev/null
  xdotool key Shift_L
  command_of_menu "$1"
}
space=0x20 escape=0xff1b tab=0xff09

check "the browser window reads with a name for every control" walk "walk=Alpha*"
command_on_alpha find
check "the browser window reads with a name for every control, its find bar open" walk "walk=Alpha*"
xdotool key Escape
command_on_alpha newTab
check "the browser window reads with a name for every control, with two tabs" walk "walk=Alpha*"
xdotool key ctrl+w
command_on_alpha compact
check "the browser window reads with a name for every control in compact mode" walk "walk=Alpha*"
command_on_alpha compact
# A page to read later, a row of the library's first list.
command_on_alpha readLater
wait_for 10 grep -q '"readingState"' "$data/library.json" || fail "Alpha's page is kept to read later"

# The print dialog, followed by a screen reader as it comes and goes: Escape gives the focus back
# to Alpha, and nothing is logged about the dialog's parts as the toolkit takes it apart. Before
# the sheets: the reader asks about the parts of a closed sheet too, and the toolkit logs for those.
owned="$owned reader_pid" reader_pid=""
toolkit_warnings() { grep -c -E '(Gtk|Gdk|GLib|GLib-GObject|Atk)-(CRITICAL|WARNING)' "$work/app.log"; }
# Whether the application logged a toolkit warning since the count given.
quiet_since() { [ "$(toolkit_warnings)" -eq "$1" ] || { grep -E '(Gtk|Gdk|GLib|GLib-GObject|Atk)-(CRITICAL|WARNING)' "$work/app.log" | tail -n +$(($1 + 1)) | sed 's/^/  /' | head -5; false; }; }
warnings=$(toolkit_warnings)
"$walker" "$app_pid" "through=Print" >"$work/print-walk.log" 2>&1 &
reader_pid=$!
print=""
if wait_for 20 grep -q 'listening' "$work/print-walk.log"; then
  xdotool windowactivate --sync "$alpha" 2>/dev/null
  xdotool key ctrl+p
  if check "Ctrl+P in Alpha opens the print dialog with the focus" \
    wait_for 10 eval 'print=$(app_window "^Print$"); [ -n "$print" ] && is_active "$print"'; then
    # Closed once the reader has seen it, as a person closes it once it is heard.
    wait_for 20 grep -q 'Print: shown' "$work/print-walk.log"
    xdotool key Escape
    check "Escape closes the print dialog and gives the focus back to Alpha" \
      wait_for 10 eval 'gone_from_screen "^Print$" && is_active "$alpha"'
  fi
  await_process "$reader_pid" 60 || { fail "the screen reader followed the print dialog"; sed 's/^/  /' "$work/print-walk.log"; }
  reader_pid=""
  check "no toolkit warning is logged as the print dialog goes" [ "$(toolkit_warnings)" -eq "$warnings" ] ||
    grep -E "(Gtk|Gdk|GLib|GLib-GObject|Atk)-(CRITICAL|WARNING)" "$work/app.log" | sed "s/^/  /" | head -5
else
  fail "the screen reader listens"
fi

# The pin says whether the window stays above, whoever changed it.
pin="Always on Top"
check "the pin reads as pressed while Alpha stays above" eval 'has_state "$alpha" _NET_WM_STATE_ABOVE && walk "pressed=$pin"'
walk "press=$pin" >/dev/null
check "pressed, the pin reads as released and Alpha no longer stays above" \
  eval 'walk "released=$pin" && wait_for 10 eval "! has_state $alpha _NET_WM_STATE_ABOVE"'
command_on_alpha pin
check "the menu's command puts Alpha above again and the pin reads as pressed" \
  eval 'walk "pressed=$pin" && wait_for 10 has_state "$alpha" _NET_WM_STATE_ABOVE'

command_on_alpha clip
check "the Save Page / Selection window reads with a name for every control" walk "walk=Save Page / Selection"
# A screen reader lists the collections of the closed Choose menu and chooses one from there.
warnings=$(toolkit_warnings)
walk "item=Quotes" >/dev/null
check "a collection chosen from the closed Choose menu is taken, and nothing is logged" quiet_since "$warnings"
# Saved, the page is a row of the library's lists read below.
walk "press=Save" >/dev/null
check "the page is saved in the collection chosen" wait_for 10 eval '[ "$(grep -o Quotes "$data/library.json" | wc -l)" -eq 2 ]'
# With the page's text selected, the window shows it as the excerpt, a pane that takes the focus.
command_on_alpha selectAll
command_on_alpha clip
check "the Save Page / Selection window reads with a name for every control, with an excerpt" \
  walk "walk=Save Page / Selection"
walk "key=$escape" >/dev/null
wait_for 10 eval '[ -z "$(app_window "^Save Page / Selection$")" ]' || fail "Escape closes the Save Page / Selection window"
# Each sheet: the item of the more menu, its title, and the control the reader hears as it opens
# (the preset drop-down, which the toolkit focuses through a button of its own).
for sheet in "User-Agent…:User agent:User agent preset" "Proxy…:Proxy:Independent Session" \
  "Ad Filtering…:Ad Filtering:Block ads and trackers"; do
  IFS=: read -r item title first <<<"$sheet"
  xdotool windowactivate --sync "$alpha" 2>/dev/null
  check "the $title sheet, opened from the more menu by the keyboard, reads \"$first\" first and with a name for every control" \
    walk "focus=More options" "key=$space" "menu=$item" "focused=$first" "walk=$title"
  walk "key=$escape" >/dev/null
  wait_for 10 eval '[ -z "$(app_window "^$title\$")" ]' || fail "Escape closes the $title sheet"
done

# A second window, so that the launcher's running list shows two rows of the same controls.
command_of_menu openBrowser
wait_for 10 eval '[ "$(app_windows | wc -l)" -ge 2 ]' || fail "a browser window opens beside Alpha"
command_of_menu launcher
check "the launcher reads with a name for every control, on each of its lists" \
  walk "walk=Quenlith" "press=Running*" "walk=Quenlith"
# A tile's Delete…, from its menu on the menu key: the question is titled by what it asks. The key
# goes to the launcher once it is active with the tile's cell focused (the launcher's, not the one
# of the start page in the other window).
xdotool windowactivate --sync "$(app_window "^Quenlith$")" 2>/dev/null
check "the question deleting a website reads with a name for every control" \
  walk "press=Websites" "active=Quenlith" "in=Quenlith" "focus=Beta" "focused=Beta" "key=0xff67" "in=" \
  "menu=Delete…" "alert=Delete website?"
check "the question deleting a website is titled by what it says" eval '[ -n "$(app_window "^Delete website\?$")" ]'
walk "key=$escape" >/dev/null
check "Escape on the question gives the focus back to the launcher it was asked from" \
  wait_for 10 eval 'gone_from_screen "^Delete website\?$" && is_active "$(app_window "^Quenlith$")"'
# A drop-down tabbed onto is heard by its name: the settings open on their general section.
command_of_menu settings
check "Tab from the opacity's reset onto the interface language reads as that drop-down" \
  walk "focus=Reset to 100%" "key=$tab" "focused=Interface language"
# A website's delete button in the settings asks the launcher's question, titled by what it asks;
# Escape gives the keyboard back to the settings.
settings=$(app_window "^Quenlith Settings$")
xdotool windowactivate --sync "$settings" 2>/dev/null
check "the settings' question deleting a website reads with a name for every control" \
  walk "active=Quenlith Settings" "in=Quenlith Settings" "tab=Websites" "press=Delete website, Beta" "in=" \
  "alert=Delete website?"
check "the settings' question deleting a website is titled by what it says" \
  eval '[ -n "$(app_window "^Delete website\?$")" ]'
walk "key=$escape" >/dev/null
check "Escape on it gives the focus back to the settings" \
  wait_for 10 eval 'gone_from_screen "^Delete website\?$" && is_active "$settings"'
for window in "add:Add Website" "settings:Quenlith Settings" "downloads:Downloads" "guide:Quenlith Guide"; do
  IFS=: read -r action title <<<"$window"
  command_of_menu "$action"
  check "the $title window reads with a name for every control" walk "walk=$title"
done
# With text in its field, the field shows its clear button.
command_of_menu quickOpen
check "the Quick Open window reads with a name for every control, its field holding text" \
  walk "focus=Quick Open" "key=0x61" "walk=Quick Open"
# The field keeps the focus while Down and Up choose a result: a screen reader hears each one chosen,
# in a list with a name. "beta" finds Beta, and the row that opens or searches the text follows it.
down=0xff54 up=0xff52 backspace=0xff08
check "Down and Up in Quick Open are heard choosing each result, in a named list" \
  walk "focus=Quick Open" "key=$backspace" "key=0x62" "key=0x65" "key=0x74" "key=0x61" \
  "key=$down" "chosen=Open or search*" "key=$up" "chosen=Beta*"
command_of_menu library
library="walk=Saved Pages & Groups"
check "the library reads with a name for every control, on each of its lists" \
  walk "press=Read Later*" "$library" "press=Bookmarks" "$library" "press=Page Groups" "$library" \
  "press=History" "$library"
# A page's "…" in the Read Later list, activated as a screen reader activates a cell: its menu opens.
warnings=$(toolkit_warnings)
walk "press=Read Later*" "activate=More actions, *" >/dev/null
check "the more actions of a page to read later, activated by a screen reader, open its menu" wait_for 10 menu_shown
check "activating them logs nothing" quiet_since "$warnings"
xdotool key Escape
wait_for 10 eval '! menu_shown' || fail "Escape closes the menu of a page to read later"
check "the Save Page Group sheet reads with a name for every control" \
  walk "press=Page Groups" "press=Save Open Windows as Group…" "walk=Save Page Group"
walk "key=$escape" >/dev/null
# A bookmark chosen shows its excerpt, a pane that takes the focus.
check "the library reads with a name for every control, a bookmark's excerpt shown" \
  walk "press=Bookmarks" "row=Bookmark list" "$library"
# A page group renamed from its row's menu: the question is titled and its field named.
check "the question renaming a page group reads with a name for every control" \
  walk "press=Page Groups" "focus=More actions, Work" "key=$space" "menu=Rename…" "alert=Rename Page Group"
check "the question renaming a page group is titled by what it says" \
  eval '[ -n "$(app_window "^Rename Page Group$")" ]'
walk "key=$escape" >/dev/null
command_of_menu batchLinks
check "the Open Multiple Links window reads with a name for every control" walk "walk=Open Multiple Links"
walk "key=$escape" >/dev/null

# The library's backup commands, followed by a screen reader from the library's menu through the
# toolkit's file chooser (a path typed into its location) to what answers: a backup exported, a
# broken one refused in an alert, the exported one imported after a question and announced done.
printf 'not a backup' >"$work/broken-backup.json"
# through_chooser ITEM TITLE PATH [closed]: chooses PATH in the chooser that ITEM of the library's
# Backup & Restore menu opens (chosen from the menu opened by the keyboard, or from the closed menu
# as a screen reader lists it), while a reader follows the windows of that title as they come and
# go (an import's question has the chooser's title); reader_done waits until they have gone.
reader_done() {
  wait "$reader_pid" || { fail "the screen reader followed the $1 windows"; sed 's/^/  /' "$work/chooser-walk.log"; }
  reader_pid=""
}
through_chooser() {
  local item=$1 title=$2 path=$3 chooser="" choice
  command_of_menu library
  "$walker" "$app_pid" "through=$title" >"$work/chooser-walk.log" 2>&1 &
  reader_pid=$!
  choice=("focus=Backup & Restore" "key=$space" "menu=$item")
  [ "${4:-}" = closed ] && choice=("active=Saved Pages & Groups" "item=$item")
  if wait_for 20 grep -q 'listening' "$work/chooser-walk.log" && walk "${choice[@]}" >/dev/null &&
    check "$item in the library's menu opens the file chooser with the focus" \
      wait_for 10 eval 'chooser=$(app_window "^$title\$"); [ -n "$chooser" ] && is_active "$chooser"'; then
    wait_for 20 grep -q "$title: shown" "$work/chooser-walk.log"
    # The location (an import's) or the name (an export's), whole.
    xdotool key ctrl+l ctrl+a && xdotool type --delay 20 "$path"
    # The first Return may only complete the typed name.
    for _ in 1 2 3; do
      xdotool key Return
      wait_for 3 eval '[ -z "$(app_window "^$title\$")" ] || [ "$(app_window "^$title\$")" != "$chooser" ]' && break
    done
  fi
}
warnings=$(toolkit_warnings)
through_chooser "Export Backup…" "Export Backup" "$work/exported-backup.json" closed
reader_done "Export Backup"
check "Export Backup… chosen from the closed menu logs nothing" quiet_since "$warnings"
wait_for 10 test -s "$work/exported-backup.json" || fail "the backup is exported"
through_chooser "Import Backup…" "Import Backup" "$work/broken-backup.json"
reader_done "Import Backup"
check "the alert of a broken backup reads as an error, with a name for every control" walk "alert=Import failed"
check "the alert of a broken backup is titled by what it says" eval '[ -n "$(app_window "^Import failed$")" ]'
walk "press=OK" >/dev/null
through_chooser "Import Backup…" "Import Backup" "$work/exported-backup.json"
check "the import's question reads with a name for every control" walk "alert=Import Backup"
walk "press=Import" >/dev/null
reader_done "Import Backup"
check "the news of a finished import reads with a name for every control" walk "alert=Import Complete"
check "the news of a finished import is titled by what it says" eval '[ -n "$(app_window "^Import Complete$")" ]'
walk "press=OK" >/dev/null
wait_for 10 eval '[ -z "$(app_window "^Import Complete$")" ]'

# A page that cannot be saved: its folder is closed to writing while Alpha's page is kept to read later.
chmod a-w "$data"
command_on_alpha readLater
check "the alert of a page that could not be saved reads as an error, with a name for every control" \
  walk "alert=Could not save page"
check "the alert of a page that could not be saved is titled by what it says" \
  eval '[ -n "$(app_window "^Could not save page$")" ]'
walk "press=OK" >/dev/null
chmod u+w "$data"

# A deletion confirmed from a tile's menu leaves the keyboard on a neighbouring tile (the one before
# when the last went); one confirmed in the settings on a neighbouring row, or on "Add Website" when
# no website is left. Answered by the keyboard, as a person answers: the keyboard goes back to the
# window asked from on the key's time.
command_of_menu launcher
xdotool windowactivate --sync "$(app_window "^Quenlith$")" 2>/dev/null
check "Delete on the question of the last tile's Delete… gives the keyboard to the tile before it" \
  walk "press=Websites" "active=Quenlith" "in=Quenlith" "focus=Beta" "focused=Beta" "key=0xff67" "in=" \
  "menu=Delete…" "alert=Delete website?" "focus=Delete" "key=$space" "focused=Alpha"
command_of_menu settings
settings=$(app_window "^Quenlith Settings$")
xdotool windowactivate --sync "$settings" 2>/dev/null
check "Delete on the settings' question about the last website gives the keyboard to Add Website" \
  walk "active=Quenlith Settings" "in=Quenlith Settings" "tab=Websites" "focus=Delete website, Alpha" \
  "key=$space" "in=" "alert=Delete website?" "focus=Delete" "key=$space" "focused=Add Website"
stop_app

# Started again on settings it cannot read and with Beta repeating Alpha's id: the notices that
# tell it at start are heard by their headings, the one naming Beta without invisible marks around
# its name. The websites deleted above are written again first.
"$tool" write "$data/profiles.json" --website Alpha "http://127.0.0.1:$port/a" --website Beta "http://127.0.0.1:$port/b" ||
  fail "the websites are written again"
ids=$(grep -o '"id": "[0-9A-Fa-f-]*"' "$data/profiles.json" | head -2 | sed 's/.*: "//; s/"//')
sed -i "s/$(sed -n 2p <<<"$ids")/$(sed -n 1p <<<"$ids")/" "$data/profiles.json"
mkdir -p "$XDG_CONFIG_HOME/com.quenlith.Quenlith"
printf '{"preferences.v1": ' >"$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json"
start_app
check "the notice of settings that could not be read reads with a name for every control" \
  walk "alert=Quenlith could not read its settings"
walk "press=OK" >/dev/null
check "the notice of a website set aside reads with a name for every control" walk "alert=1 saved website was set aside"
walk "press=OK" >/dev/null
stop_app
end_checks "accessibility"
