#!/usr/bin/env bash
# Windows brought forward by a global shortcut or by Quick Open take the keyboard focus, under
# openbox and under xfwm4: a new window, a window hidden after it had the focus (its user time is
# older than the key press) and a window chosen in Quick Open become the active window. A website
# that an application link showed stays minimised when minimised, until its client comes again; put
# away with its shortcut, it stays away while the focus moves to another window of that client.
# Windows asked for from a website window kept above (settings, library, downloads, the editor, a
# sheet, the print dialog) come above it with the focus, and closed with Escape give the focus back
# to it; once another application's window is in use, they go back among the other windows. "Add &
# Open" in the editor focuses the website it opens.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
tool=$build/tests/programs/profiles_tool/profiles_tool
windows=$build/tests/programs/client_windows/client_windows
source "$here/lib.sh"
begin_checks focus-links-wm bus -- "$@"
owned="$owned client_pids refused_pid" client_pids="" refused_pid=""
need_programs "$app" "$tool" "$windows" "$(command -v xmessage)" "$(command -v xfwm4)"
data=$XDG_DATA_HOME/com.quenlith.Quenlith settings=$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json
mkdir -p "$data" "$XDG_CONFIG_HOME/com.quenlith.Quenlith" "$XDG_DATA_HOME/applications"
printf '[Desktop Entry]\nType=Application\nName=Linked\nExec=xmessage\n' >"$XDG_DATA_HOME/applications/quenlith-test-linked.desktop"
start_page_server "$work/server.log" /a /b


# Test clients: the linked one's desktop entry is found by its windows' instance name; it has two
# windows in one client.
xmessage -name quenlith-test-other -geometry +900+600 other >/dev/null 2>&1 & client_pids="$client_pids $!"
"$windows" quenlith-test-linked 2 & client_pids="$client_pids $!"
client() { xdotool search --all --name "^$1\$" 2>/dev/null | head -1; }
wait_for 10 eval 'other=$(xdotool search --all --classname "^quenlith-test-other\$" 2>/dev/null | head -1)
  linked=$(client "quenlith-test-linked 1") linked2=$(client "quenlith-test-linked 2")
  [ -n "$other" ] && [ -n "$linked" ] && [ -n "$linked2" ]' || { fail "the test clients start"; exit 1; }
iconic() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'Iconic'; }

for wm in openbox xfwm4; do
  start_wm $wm || { fail "$wm starts"; continue; }
  # Alpha comes with Ctrl+Alt+1, Beta with Ctrl+Alt+2, Linked with Ctrl+Alt+3.
  "$tool" write "$data/profiles.json" --website Alpha "http://alpha.localhost:$(port_of "$work/server.log")/a" \
    --shortcut 18,2304 --above 1 --website Beta "http://beta.localhost:$(port_of "$work/server.log")/b" --shortcut 19,2304 \
    --website Linked "http://linked.localhost:$(port_of "$work/server.log")/a" --link quenlith-test-linked.desktop \
    --shortcut 20,2304 &&
    "$tool" restore-windows "$settings" 0 && sed -i 's/"restoreWindows": false/&, "applicationLinksEnabled": true/' "$settings" ||
    { fail "the websites and settings are written"; exit 1; }
  start_app
  alpha="" beta="" quick=""
  # The shortcuts are taken on an idle turn after start: pressed again until one is seen, each
  # press given time enough on a loaded machine.
  press_until() { xdotool key "$1" && wait_for 8 found "$2" "$3"; }
  xdotool windowactivate --sync "$other" key a
  check "$wm: Ctrl+Alt+2 opens Beta" wait_for 30 press_until ctrl+alt+2 beta "^$(named Beta)"
  check "$wm: and gives it the focus" wait_for 5 is_active "$beta"
  xdotool windowactivate --sync "$other" key a
  check "$wm: Ctrl+Alt+1 opens Alpha" press_until ctrl+alt+1 alpha "^$(named Alpha)"
  check "$wm: and gives it the focus" wait_for 5 is_active "$alpha"

  # Typed into, Alpha carries the user time of that key; the other client is used after it.
  xdotool windowactivate --sync "$alpha" key x
  xdotool windowactivate --sync "$other" key a
  xdotool key ctrl+alt+1
  wait_for 5 gone_from_screen "^$(named Alpha)" || fail "$wm: a second press hides Alpha"
  xdotool key ctrl+alt+1
  check "$wm: a third press shows Alpha again" wait_for 10 found alpha "^$(named Alpha)"
  check "$wm: with the focus" wait_for 5 is_active "$alpha"

  xdotool windowactivate --sync "$beta" key ctrl+k
  if wait_for 10 found quick '^Quick Open$' && wait_for 5 is_active "$quick"; then
    xdotool type Alpha
    xdotool key Return
    check "$wm: Alpha chosen in Quick Open takes the focus" \
      wait_for 5 eval 'gone_from_screen "^Quick Open$" && is_active "$alpha"'
  else
    fail "$wm: Ctrl+K opens Quick Open with the focus"
  fi

  # Each window asked for from Alpha (kept above) comes above it with the focus; Escape closes it
  # and gives the focus back to Alpha.
  # The More menu (narrow window: its main menu's item, then the highlighted Start Page, Save
  # Website…, Show in Tray, off without a tray and passed over, Website Settings…, User-Agent…,
  # Proxy…; at its end Downloads…, Close Window) is walked with the arrows.
  for asked in "settings:ctrl+comma:^Quenlith Settings$" "library:ctrl+shift+h:^Saved Pages & Groups$" \
    "downloads:ctrl+alt+j:^Downloads$" "guide:ctrl+question:^Quenlith Guide$" "editor:ctrl+shift+n:^Add Website$" \
    "save-page window:ctrl+alt+s:^Save Page / Selection$" "website's editor:Website Settings…:^Edit Website$" \
    "user-agent sheet:User-Agent…:^User agent$" "proxy sheet:Proxy…:^Proxy$" \
    "downloads from the More menu:Downloads…:^Downloads$" "print dialog:ctrl+p:^Print$"; do
    IFS=: read -r what key title <<<"$asked"
    opened=""
    xdotool windowactivate --sync "$alpha"
    wait_for 5 is_active "$alpha" || { fail "$wm: Alpha takes the focus before the $what"; continue; }
    case $key in
      "Website Settings…") choose_in_more_menu 2 ;;
      "User-Agent…") choose_in_more_menu 3 ;;
      "Proxy…") choose_in_more_menu 4 ;;
      "Downloads…") xdotool key ctrl+l Tab Tab Return && wait_for 5 menu_shown && xdotool key End Up Return ;;
      *) xdotool key "$key" ;;
    esac
    if ! check "$wm: $key in Alpha opens the $what" wait_for 10 found opened "$title"; then continue; fi
    check "$wm: the $what is above Alpha" wait_for 5 stacked_above "$opened" "$alpha"
    check "$wm: the $what has the focus" wait_for 5 is_active "$opened"
    xdotool key Escape
    # A failure says which side lost: the window staying, the focus going elsewhere, or it coming late.
    if wait_for 5 eval 'gone_from_screen "$title" && is_active "$alpha"'; then
      pass "$wm: Escape closes the $what and gives the focus back to Alpha"
    else
      fail "$wm: Escape closes the $what and gives the focus back to Alpha (the $what is \
$(gone_from_screen "$title" && echo gone || echo shown), the active window is \
$(describe_focus)$(wait_for 10 is_active "$alpha" && echo ", Alpha within 15 s"))"
    fi
  done

  # With the settings asked from Alpha still open beside it, a window asked from Alpha afterwards
  # gives the focus back to Alpha as it closes: a window manager may pass it to the settings, kept
  # above, instead.
  beside="" opened=""
  xdotool windowactivate --sync "$alpha" key ctrl+comma
  if wait_for 10 eval 'found beside "^Quenlith Settings$" && is_active "$beside"'; then
    # Alpha activated from outside (as by a taskbar) right after the settings took the focus keeps
    # it: the settings ask again only when they never had it.
    xdotool windowactivate --sync "$alpha"
    check "$wm: Alpha, activated at once after the settings took the focus, keeps it" \
      eval 'wait_for 5 is_active "$alpha" && holds_for_ms 1500 is_active "$alpha"'
    xdotool key ctrl+alt+j
    if wait_for 10 eval 'found opened "^Downloads$" && is_active "$opened"'; then
      xdotool key Escape
      wait_for 5 gone_from_screen "^Downloads$" && steady_focus
      if wait_for 10 eval 'is_active "$alpha" && steady_focus && is_active "$alpha"'; then
        pass "$wm: with the settings open beside Alpha, Escape in the downloads gives the focus back to Alpha"
      else
        fail "$wm: with the settings open beside Alpha, Escape in the downloads gives the focus back to Alpha \
(the downloads is $(gone_from_screen "^Downloads\$" && echo gone || echo shown), the active window is \
$(describe_focus))"
      fi
    else
      fail "$wm: Ctrl+Alt+J in Alpha opens the downloads with the focus beside the settings"
    fi
    # The editor asked from the launcher, which puts itself away, keeps the focus the window manager
    # hands to the settings, kept above, as the launcher goes.
    launcher="" opened=""
    xdotool windowactivate --sync "$alpha" key ctrl+o
    if wait_for 10 eval 'found launcher "^Quenlith$" && is_active "$launcher"'; then
      xdotool key ctrl+shift+n
      what="$wm: Ctrl+Shift+N in the launcher beside the settings opens the editor with the focus"
      if ! wait_for 10 eval 'found opened "^Add Website$" && is_active "$opened"'; then
        fail "$what (the editor is ${opened:-not shown}, the active window is $(describe_focus))"
      elif ! holds_for_ms 1000 is_active "$opened"; then
        fail "$what (the editor had it, then $(describe_focus) took it)"
      else
        pass "$what"
      fi
      # The window manager may restack a moment after it hands over the focus.
      if [ -n "$opened" ] && wait_for 10 stacked_above "$opened" "$beside"; then
        pass "$wm: the editor is above the settings"
      else
        fail "$wm: the editor is above the settings (stacking, lowest first: $(xprop -root _NET_CLIENT_LIST_STACKING \
| sed 's/.*# //'); editor ${opened:-none}, settings $beside; editor's state: $(xprop -id "${opened:-0}" _NET_WM_STATE \
2>/dev/null | sed 's/.*= //'); settings' state: $(xprop -id "$beside" _NET_WM_STATE 2>/dev/null | sed 's/.*= //'))"
      fi
      [ -n "$opened" ] && xdotool windowactivate --sync "$opened" key Escape
      wait_for 5 eval 'found launcher "^Quenlith$" && is_active "$launcher"' && xdotool key Escape
      wait_for 5 gone_from_screen '^Quenlith$' || fail "$wm: Escape puts the launcher away beside the settings"
    else
      fail "$wm: Ctrl+O in Alpha opens the launcher with the focus beside the settings (the active window is $(describe_focus))"
    fi
    # The focus goes back to Alpha as the launcher goes; the settings are taken once it has settled
    # there, as a person's next click comes.
    wait_for 10 eval 'is_active "$alpha" && steady_focus && is_active "$alpha"'
    xdotool windowactivate --sync "$beside"
    wait_for 10 eval 'is_active "$beside" && steady_focus && is_active "$beside"' && xdotool key Escape
    wait_for 10 gone_from_screen "^Quenlith Settings$" ||
      fail "$wm: Escape closes the settings beside Alpha (the active window is $(describe_focus))"
  else
    fail "$wm: Ctrl+, in Alpha opens the settings to stay open beside it"
  fi

  # A window asked for from Alpha, kept above, or from the launcher stays in front while this
  # application's windows are in use, and goes back among the others once another application's
  # window is active: that window then covers it, while Alpha, kept above, stays above that window.
  # (Alpha's own dialogs stay with Alpha.)
  for asked in "alpha:settings:ctrl+comma:^Quenlith Settings$" "alpha:library:ctrl+shift+h:^Saved Pages & Groups$" \
    "alpha:downloads:ctrl+alt+j:^Downloads$" "launcher:editor:ctrl+shift+n:^Add Website$" \
    "launcher:settings:ctrl+comma:^Quenlith Settings$" "launcher:library:ctrl+shift+h:^Saved Pages & Groups$"; do
    IFS=: read -r from what key title <<<"$asked"
    opened="" launcher=""
    xdotool windowactivate --sync "$alpha"
    wait_for 5 is_active "$alpha" || { fail "$wm: Alpha takes the focus before the $what from the $from"; continue; }
    if [ "$from" = launcher ]; then
      xdotool key ctrl+o
      wait_for 10 eval 'found launcher "^Quenlith$" && is_active "$launcher"' ||
        { fail "$wm: Ctrl+O in Alpha opens the launcher before the $what (the launcher is \
$(found launcher "^Quenlith$" && echo shown || echo not shown), the active window is \
$(describe_focus))"; continue; }
    fi
    xdotool key "$key"
    if ! wait_for 10 eval 'found opened "$title" && is_active "$opened"'; then
      fail "$wm: $key in the $from opens the $what with the focus"
      continue
    fi
    steady_focus
    check "$wm: the $what from the $from is kept in front of Alpha" eval 'stacked_above "$opened" "$alpha"'
    xdotool windowactivate --sync "$other"
    check "$wm: once another application is active, the $what from the $from is no longer kept above" \
      wait_for 5 eval '! has_state "$opened" _NET_WM_STATE_ABOVE'
    check "$wm: and that application's window covers it" wait_for 5 stacked_above "$other" "$opened"
    check "$wm: while Alpha, kept above, stays above that window" stacked_above "$alpha" "$other"
    xdotool windowactivate --sync "$opened" key Escape
    wait_for 5 gone_from_screen "$title" || fail "$wm: Escape closes the $what from the $from"
    # The launcher comes back with the focus; Escape puts it away.
    if [ "$from" = launcher ] && wait_for 5 eval 'found launcher "^Quenlith$" && is_active "$launcher"'; then
      xdotool key Escape
      wait_for 5 gone_from_screen '^Quenlith$' || fail "$wm: Escape puts the launcher away after the $what"
    fi
  done

  # Each window opened by keyboard from the launcher (Ctrl+O in Alpha) hides it; Escape closes the
  # window and brings the launcher back with the focus.
  for asked in "editor:ctrl+shift+n:^Add Website$" "settings:ctrl+comma:^Quenlith Settings$" \
    "library:ctrl+shift+h:^Saved Pages & Groups$" "Quick Open:ctrl+k:^Quick Open$"; do
    IFS=: read -r what key title <<<"$asked"
    launcher="" opened=""
    xdotool windowactivate --sync "$alpha" key ctrl+o
    if ! wait_for 10 eval 'found launcher "^Quenlith$" && is_active "$launcher"'; then
      fail "$wm: Ctrl+O in Alpha opens the launcher with the focus before the $what"
      continue
    fi
    xdotool key "$key"
    if wait_for 10 eval 'found opened "$title" && is_active "$opened"'; then
      pass "$wm: $key in the launcher opens the $what with the focus"
      check "$wm: the $what is above Alpha, which is kept above" wait_for 5 stacked_above "$opened" "$alpha"
    else
      fail "$wm: $key in the launcher opens the $what with the focus (the $what is \
$(found opened "$title" && echo shown || echo not shown), the launcher is \
$(found launcher "^Quenlith$" && echo shown || echo not shown), the active window is \
$(describe_focus))"
      continue
    fi
    xdotool key Escape
    if wait_for 5 eval 'gone_from_screen "$title" && found launcher "^Quenlith$" && is_active "$launcher"'; then
      pass "$wm: Escape closes the $what and gives the focus back to the launcher"
    else
      fail "$wm: Escape closes the $what and gives the focus back to the launcher (the $what is \
$(gone_from_screen "$title" && echo gone || echo shown), the launcher is \
$(found launcher "^Quenlith$" && echo shown || echo not shown), the active window is \
$(describe_focus))"
    fi
    xdotool key Escape
    wait_for 5 gone_from_screen '^Quenlith$' || fail "$wm: Escape puts the launcher away after the $what"
  done

  added=""

  # "Add & Open" in the editor: the website it opens has the focus.
  xdotool windowactivate --sync "$alpha" key ctrl+shift+n
  if wait_for 10 found opened '^Add Website$' && wait_for 5 is_active "$opened"; then
    xdotool type --delay 20 Gamma
    xdotool key Tab
    xdotool type --delay 20 "http://gamma.localhost:$(port_of "$work/server.log")/a"
    xdotool key Return
    if wait_for 15 eval 'gone_from_screen "^Add Website$" && found added "^$(named Gamma)" && is_active "$added"'; then
      pass "$wm: Add & Open focuses the website it opens"
    else
      fail "$wm: Add & Open focuses the website it opens (the editor is \
$(gone_from_screen "^Add Website$" && echo gone || echo shown), Gamma is \
$(found added "^$(named Gamma)" && echo shown || echo not shown), the active window is \
$(describe_focus))"
    fi
  else
    fail "$wm: the editor opens with the focus for Add & Open"
  fi

  # The same with the mouse, from the launcher: the click acts on its release, later than the press
  # the window manager and GDK take as the input's time, and the launcher the editor came from must
  # not take the focus back from the website opened.
  xdotool windowactivate --sync "$alpha" key ctrl+o
  launcher="" opened="" added=""
  if wait_for 10 eval 'found launcher "^Quenlith$" && is_active "$launcher"' && xdotool key ctrl+shift+n &&
    wait_for 10 eval 'found opened "^Add Website$" && is_active "$opened"'; then
    xdotool type --delay 20 Delta
    xdotool key Tab
    xdotool type --delay 20 "http://delta.localhost:$(port_of "$work/server.log")/a"
    # "Add & Open" is the last button, at the editor's lower right corner (xwininfo: xdotool counts
    # xfwm4's frame twice).
    read -r x y width height < <(xwininfo -id "$opened" |
      awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4} /Width:/ {w=$2} /Height:/ {h=$2}
           END {print x, y, w, h}')
    xdotool mousemove $((x + width - 70)) $((y + height - 36)) mousedown 1 sleep 0.15 mouseup 1
    if wait_for 15 eval 'gone_from_screen "^Add Website$" && found added "^$(named Delta)" && is_active "$added"' &&
      ! wait_for 2 eval '! is_active "$added"'; then
      pass "$wm: Add & Open clicked in the editor from the launcher focuses the website it opens"
    else
      fail "$wm: Add & Open clicked in the editor from the launcher focuses the website it opens (the editor \
is $(gone_from_screen "^Add Website$" && echo gone || echo shown), Delta is \
$(found added "^$(named Delta)" && echo shown || echo not shown), the active window is \
$(describe_focus))"
    fi
  else
    fail "$wm: the launcher from Alpha opens the editor with the focus for a click on Add & Open"
  fi

  # Gamma asks once more for the focus it asked for if it has not got it a moment later: were the
  # clients activated before that, it would take the focus back from the linked one.
  steady_focus
  shown=""
  xdotool windowactivate --sync "$other" windowactivate --sync "$linked"
  check "$wm: activating the linked client shows the linked website" wait_for 10 found shown "^$(named Linked)"
  xdotool windowminimize "$shown"
  check "$wm: minimised, it stays minimised" eval 'wait_for 5 iconic "$shown" && ! wait_for 2 eval "! iconic $shown"'
  xdotool windowactivate --sync "$other" windowactivate --sync "$linked"
  check "$wm: until the linked client comes to the front again" wait_for 10 found shown "^$(named Linked)"
  # Put away with its shortcut, it stays away as the focus moves to the client's other window, which
  # under openbox passes through no active window; another client in between brings it back.
  steady_focus
  xdotool key ctrl+alt+3
  if check "$wm: its shortcut puts the linked website away" wait_for 10 gone_from_screen "^$(named Linked)"; then
    xdotool windowactivate --sync "$linked2"
    check "$wm: another window of the linked client leaves it away" \
      eval '! wait_for 3 found shown "^$(named Linked)"'
    xdotool windowactivate --sync "$other" windowactivate --sync "$linked2"
    check "$wm: until another client has come to the front" wait_for 10 found shown "^$(named Linked)"
  fi

  # A start on a bus of its own becomes a second instance, refused by the data folder's lock: its
  # alert comes above Alpha, which is kept above, with the focus, so the person sees why.
  xdotool windowactivate --sync "$alpha"
  DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus "$app" >>"$work/refused.log" 2>&1 &
  refused_pid=$!
  refusal=""
  refusal_shown() { refusal=$(xdotool search --onlyvisible --pid "$refused_pid" 2>/dev/null | head -1); [ -n "$refusal" ]; }
  if check "$wm: a second instance on the same data folder shows why it ends" wait_for 20 refusal_shown; then
    check "$wm: its alert is above Alpha, which is kept above" wait_for 5 stacked_above "$refusal" "$alpha"
    check "$wm: its alert has the focus" wait_for 5 is_active "$refusal"
  fi
  kill -TERM "$refused_pid"
  wait_for 10 gone "$refused_pid" || { fail "$wm: SIGTERM ends the refused instance"; kill -KILL "$refused_pid"; }
  wait "$refused_pid" 2>/dev/null
  refused_pid=""

  stop_app
  stop_wm
done

end_checks "focus and links"
