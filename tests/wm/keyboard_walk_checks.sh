#!/usr/bin/env bash
# The application from a first start with the keyboard alone, under openbox and under xfwm4: the
# launcher, adding a website and opening it, typing into its page and editing there from F10's
# menu, tabs, the More menu and its sheets with F10's menu and the application's keys in them, the
# settings and F10's menu there. After each key a window of ours has the focus, and the key did
# what it says.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
source "$here/lib.sh"
begin_checks keyboard-walk-wm bus -- "$@"
need_programs "$app" "$build/tests/programs/page_server/page_server" "$(command -v xfwm4)"
start_page_server "$work/server.log" /walk+field
address="http://127.0.0.1:$(port_of "$work/server.log")/walk"
settings=$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json

# Whether the active window is one of ours (any of them, shown or not, so that a stale one counts).
ours_active() { xdotool search --all --pid "$app_pid" 2>/dev/null | grep -qx "$(($(active)))"; }
shown_and_active() { found "$1" "$2" && is_active "${!1}"; }
# step "what" VARIABLE TITLE: the window of that title is shown and has the focus (within 10 s).
step() {
  if wait_for 10 shown_and_active "$2" "$3"; then
    pass "$wm: $1"
  else
    fail "$wm: $1 (the window is $(found "$2" "$3" && echo shown || echo not shown); the active window is \
$(describe_focus); ours: $(ours_active && echo yes || echo no))"
    return 1
  fi
}
website_title() { printf '^%s — %s$' "$(named Walk)" "$(named "$1")"; }
in_taskbar() { ! has_state "$1" _NET_WM_STATE_SKIP_TASKBAR; }

for wm in openbox xfwm4; do
  start_wm $wm || { fail "$wm starts"; continue; }
  rm -rf "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" && mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
  start_app
  launcher="" editor="" walk="" sheet="" settings_window=""

  # A first start with no tray shows the launcher, with the focus in its search field.
  step "a first start shows the launcher with the focus" launcher '^Quenlith$' || { stop_app; stop_wm; continue; }
  xdotool key ctrl+shift+n
  step "Ctrl+Shift+N opens the website editor with the focus" editor '^Add Website$'
  # The editor opens in its Name field; Tab leads to the address, Return is "Add & Open".
  xdotool type --delay 20 Walk
  xdotool key Tab
  xdotool type --delay 20 "$address"
  xdotool key Return
  step "Return adds the website and opens it with the focus" walk "$(website_title 'Page /walk')" &&
    check "$wm: the editor is gone" wait_for 5 gone_from_screen '^Add Website$'

  # Its page's field has the focus: what is typed reaches the page, whose script titles itself.
  xdotool type --delay 30 hello
  step "typing reaches the page" walk "$(website_title 'typed hello')"
  # F10 opens the main menu; its Edit items act in the page's field, which keeps the focus.
  edit_with_f10 5 && edit_with_f10 2
  step "Select All and Cut from F10's menu empty the page's field" walk "$(website_title typed)"
  edit_with_f10 4
  step "Paste from F10's menu puts the text back" walk "$(website_title 'typed hello')"
  xdotool key ctrl+t
  step "Ctrl+T opens a new tab" walk "$(website_title 'Start Page')"
  xdotool key ctrl+Tab
  step "Ctrl+Tab goes to the next tab" walk "$(website_title 'typed hello')"
  xdotool key ctrl+shift+Tab
  step "Ctrl+Shift+Tab goes back to the new tab" walk "$(website_title 'Start Page')"
  xdotool key ctrl+Page_Up
  step "Ctrl+Page Up goes back to the page" walk "$(website_title 'typed hello')"

  # The More menu from its button (highlighted: Start Page; then Save Website…, Show in Tray, off
  # without a tray and passed over, Website Settings…, User-Agent…, Proxy…, Ad Filtering…). Each
  # sheet takes the main menu and the application's keys: F10 shows the menu, whose Escape closes
  # it alone; Ctrl+, brings the settings, which take their own Escape while the sheet waits, and
  # give the focus back to it; Escape then closes the sheet.
  for item in "3 User agent" "4 Proxy" "5 Ad Filtering"; do
    title=${item#* }
    check "$wm: Return on the More button opens the More menu" choose_in_more_menu "${item%% *}"
    step "${title} opens its sheet with the focus" sheet "^$title\$" || continue
    check "$wm: the sheet is above its window" stacked_above "$sheet" "$walk"
    steady_focus
    xdotool key F10
    if check "$wm: F10 in ${title} shows the main menu" wait_for 10 menu_shown; then
      xdotool key Escape
      check "$wm: Escape closes it" wait_for 10 eval '! menu_shown'
    fi
    step "and ${title} keeps the focus" sheet "^$title\$" && steady_focus
    xdotool key ctrl+comma
    if step "Ctrl+, in ${title} opens the settings with the focus" settings_window '^Quenlith Settings$'; then
      steady_focus
      xdotool key Escape
      check "$wm: Escape closes the settings" wait_for 5 gone_from_screen '^Quenlith Settings$'
      step "and gives the focus back to ${title}" sheet "^$title\$" && steady_focus
    fi
    xdotool key Escape
    check "$wm: Escape closes ${title}" wait_for 5 gone_from_screen "^$title\$"
    step "and gives the focus back to its window" walk "$(website_title 'typed hello')"
    steady_focus
  done

  # The settings: six Tabs lead to "Show Website Windows in the Taskbar" (past the opacity slider,
  # Reset, the language, Isolate and Launch at login); Space switches it.
  xdotool key ctrl+comma
  if step "Ctrl+, opens the settings with the focus" settings_window '^Quenlith Settings$'; then
    check "$wm: the settings are above the website's window" stacked_above "$settings_window" "$walk"
    xdotool key Tab Tab Tab Tab Tab Tab space
    check "$wm: Space switches \"Show Website Windows in the Taskbar\" on" \
      wait_for 5 eval 'grep -q "\"showDockIcon\": true" "$settings" && in_taskbar "$walk"'
    step "the settings keep the focus" settings_window '^Quenlith Settings$'
    xdotool key F10
    check "$wm: F10 in the settings shows the main menu" wait_for 10 menu_shown
    xdotool key Escape
    check "$wm: Escape closes it" wait_for 10 eval '! menu_shown'
    step "and the settings have the focus back" settings_window '^Quenlith Settings$'
    xdotool key Escape
    check "$wm: Escape closes the settings" wait_for 5 gone_from_screen '^Quenlith Settings$'
    step "and gives the focus back to the website" walk "$(website_title 'typed hello')"
  fi
  steady_focus
  xdotool key ctrl+comma
  if step "Ctrl+, opens them again" settings_window '^Quenlith Settings$'; then
    xdotool key ctrl+w
    check "$wm: Ctrl+W closes the settings" wait_for 5 gone_from_screen '^Quenlith Settings$'
    step "and gives the focus back to the website" walk "$(website_title 'typed hello')"
  fi
  steady_focus

  # The launcher again, from the website's window; Escape puts it away and the website has the focus.
  xdotool key ctrl+o
  step "Ctrl+O opens the launcher with the focus" launcher '^Quenlith$'
  xdotool key Escape
  check "$wm: Escape puts the launcher away" wait_for 5 gone_from_screen '^Quenlith$'
  step "and the website has the focus again" walk "$(website_title 'typed hello')"

  stop_app
  stop_wm
done

end_checks "keyboard walk"
