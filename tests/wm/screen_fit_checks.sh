#!/usr/bin/env bash
# Windows lie wholly on the screen, title bars included, under openbox: on a 300 x 500 display (an X
# server of the script's own) the launcher, Quick Open, the saved pages window, the guide and the
# multiple links window; at one and a half times the text size on xvfb-run's display, those and the
# settings, the website editor, the downloads and About windows, and the backup export chooser;
# under xfwm4, which leaves a window as large as it asks, the backup export and import choosers.
# Runs with a private session bus: there is no tray, and the launcher opens as a window at the
# start. With QUENLITH_SCREENSHOTS set to a folder, the screen is pictured there at each check.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
source "$here/lib.sh"
begin_checks screen-fit-wm bus -- "$@"
need_programs "$app" "$(command -v Xvfb)"
owned="$owned xvfb_pid"
xvfb_pid=""

command_of_menu() {
  gdbus call --session --dest com.quenlith.Quenlith --object-path /com/quenlith/Quenlith \
    --method org.gtk.Actions.Activate "$1" "[]" "{}" >/dev/null
}
# The window's frame "X Y W H": its X window with the decoration the window manager declares.
frame_of() {
  local x y w h l r t b
  read -r x y w h < <(xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x = $4}
    /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}')
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //; s/,//gp')
  echo "$((x - ${l:-0})) $((y - ${t:-0})) $((w + ${l:-0} + ${r:-0})) $((h + ${t:-0} + ${b:-0}))"
}
inside_screen() {
  local x y w h
  read -r x y w h <<<"$(frame_of "$1")"
  [ "$w" -gt 1 ] && [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$screen_w" ] && [ $((y + h)) -le "$screen_h" ]
}
# check_on_screen "what" TITLE-PATTERN: the window shows, then lies on the screen within 5 s.
check_on_screen() {
  local window="" title=$2
  if ! wait_for 10 eval 'window=$(app_window "$title"); [ -n "$window" ]'; then
    fail "$1 opens"
    return
  fi
  if wait_for 5 inside_screen "$window"; then
    pass "$1 lies on the ${screen_w} x $screen_h screen"
  else
    fail "$1 lies on the ${screen_w} x $screen_h screen: its frame is $(frame_of "$window")"
  fi
  [ -z "${QUENLITH_SCREENSHOTS:-}" ] || import -window root "$QUENLITH_SCREENSHOTS/${screen_w}x$screen_h $1.png"
}
close_window() {  # by its title, with Escape as a person closes it
  local window
  window=$(app_window "$1")
  [ -n "$window" ] && xdotool windowactivate --sync "$window" key Escape 2>/dev/null
  wait_for 5 gone_from_screen "$1" || fail "Escape closes $1"
}

# --- A 300 x 500 screen ------------------------------------------------------------------------
outer_display=$DISPLAY
Xvfb -displayfd 3 -screen 0 300x500x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 10 eval '[ -s "$work/display" ]' || { fail "a 300 x 500 display starts"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=:$(tr -dc 0-9 <"$work/display")
screen_w=300 screen_h=500
start_openbox 0 0 0 0 || { fail "openbox starts on the 300 x 500 display"; exit 1; }
start_app
check_on_screen "the launcher opened as a window at the start" "^Quenlith$"
close_window "^Quenlith$"
for window in "quickOpen:Quick Open:^Quick Open$" "library:the saved pages window:^Saved Pages & Groups$" \
  "guide:the guide:^Quenlith Guide$" "batchLinks:the multiple links window:^Open Multiple Links$"; do
  IFS=: read -r action what title <<<"$window"
  command_of_menu "$action"
  check_on_screen "$what" "$title"
  if [ "$action" = batchLinks ]; then
    # 100 px less than the work area's height: its form scrolls.
    height=$(xwininfo -id "$(app_window "$title")" 2>/dev/null | awk '/Height:/ {print $2}')
    check "the multiple links window is 400 px high on a 500 px screen (is $height)" [ "$height" = 400 ]
  fi
  close_window "$title"
done
command_of_menu launcher
check_on_screen "the launcher opened again" "^Quenlith$"
stop_app
stop_wm
end_process "$xvfb_pid"
xvfb_pid=""

# --- One and a half times the text size ----------------------------------------------------------
export DISPLAY=$outer_display GDK_DPI_SCALE=1.5
read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ {split($2, s, "x"); print s[1], s[2]}')
start_openbox 0 0 0 0 || { fail "openbox starts"; exit 1; }
start_app
check_on_screen "at a larger text the launcher" "^Quenlith$"
close_window "^Quenlith$"
for window in "settings:the settings:^Quenlith Settings$" "add:the website editor:^Add Website$" \
  "library:the saved pages window:^Saved Pages & Groups$" "downloads:the downloads:^Downloads$" \
  "guide:the guide:^Quenlith Guide$" "quickOpen:Quick Open:^Quick Open$" \
  "batchLinks:the multiple links window:^Open Multiple Links$" "about:the About window:^About Quenlith$"; do
  IFS=: read -r action what title <<<"$window"
  command_of_menu "$action"
  check_on_screen "at a larger text $what" "$title"
  [ "$action" = library ] || close_window "$title"
done
# A chooser of the saved pages window's backup menu (its first control), by the keyboard: the
# menu's item N (1: export, 2: import).
open_backup_chooser() {
  local library
  library=$(app_window "^Saved Pages & Groups$")
  xdotool windowactivate --sync "$library" 2>/dev/null
  wait_for 5 is_active "$library" || return
  xdotool key space
  wait_for 5 menu_shown || return
  local keys=() down
  for ((down = 1; down < $1; down++)); do keys+=(Down); done
  xdotool key "${keys[@]}" Return
}
open_backup_chooser 1
check_on_screen "at a larger text the backup export chooser" "^Export Backup$"
stop_app
stop_wm

# --- xfwm4 ---------------------------------------------------------------------------------------
unset GDK_DPI_SCALE
start_xfwm4 || { fail "xfwm4 starts"; exit 1; }
start_app
wait_for 20 eval '[ -n "$(app_window "^Quenlith$")" ]' || fail "the launcher opens at the start"
command_of_menu library
wait_for 10 eval '[ -n "$(app_window "^Saved Pages & Groups$")" ]' || fail "the saved pages window opens"
for chooser in "1:^Export Backup$:export" "2:^Import Backup$:import"; do
  IFS=: read -r item title what <<<"$chooser"
  open_backup_chooser "$item"
  check_on_screen "under xfwm4 the backup $what chooser" "$title"
  close_window "$title"
done
stop_app
end_checks "screen fit"
