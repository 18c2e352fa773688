#!/usr/bin/env bash
# The launcher's main menu and each of its submenus (File, Edit, View, Window, Help) lie whole on the
# screen, without scrolling, read over the accessibility bus as a screen reader reads them: each
# menu opened by the keyboard from the launcher's menu button and every item's place on the screen
# read, on the 1280 x 800 screen and on a work area of 300 x 500 (openbox keeping the rest for
# docks), there in Chinese too; so does the menu F10 opens in the settings window, which has no
# menu button. Runs with a private session bus: there is no tray, and the launcher opens as a window at
# the start. With QUENLITH_SCREENSHOTS set to a folder, the screen is pictured there with each menu.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
app=$build/quenlith
walker=$build/tests/programs/atspi_walk/atspi_walk
source "$here/lib.sh"
# The bus starts the accessibility bus's launcher when the toolkit's bridge asks for it.
checks_bus_config=$root/tests/support/accessibility-bus.conf
begin_checks menu-fit-wm bus -- "$@"
need_programs "$app" "$walker"
unset NO_AT_BRIDGE
space=0x20 down=0xff54 right=0xff53 f10=0xffc7

# Each menu: how many steps down from File its item is, and the first item it holds; the button's name.
english=("0:File" "0:Open Browser" "1:Undo" "2:Focus Address Bar" "3:Previous Tab" "4:Quenlith Guide")
chinese=("0:文件" "0:打开浏览窗口" "1:撤销" "2:转到地址栏" "3:上一个标签页" "4:Quenlith 指南")
menus=("${english[@]}") button="Main Menu" settings_title="Quenlith Settings"
# check_menus "where" X Y W H: every menu of the launcher lies within that rectangle of the screen.
check_menus() {
  local where=$1 area="$2,$3,$4,$5" launcher="" entry steps first keys index
  if ! wait_for 30 eval 'launcher=$(app_window "^Quenlith$"); [ -n "$launcher" ]'; then
    fail "$where: the launcher opens at the start"
    return
  fi
  for index in "${!menus[@]}"; do
    IFS=: read -r steps first <<<"${menus[$index]}"
    keys=()
    for ((step = 0; step < steps; step++)); do keys+=("key=$down"); done
    # The first entry is the menu itself; the others open their submenu with Right.
    [ "$index" -eq 0 ] || keys+=("key=$right")
    xdotool windowactivate --sync "$launcher" 2>/dev/null
    wait_for 5 is_active "$launcher" || fail "$where: the launcher has the focus"
    if output=$("$walker" "$app_pid" "focus=$button" "key=$space" "${keys[@]}" "fits=$first@$area" 2>&1); then
      pass "$where: the menu holding \"$first\" lies whole within $area"
    else
      fail "$where: the menu holding \"$first\" lies whole within $area"
      printf '%s\n' "$output" | sed 's/^/  /'
    fi
    [ -z "${QUENLITH_SCREENSHOTS:-}" ] || import -window root "$QUENLITH_SCREENSHOTS/$where $first.png"
    # Escape closes a submenu, then the menu; once more, it would put the launcher away.
    for _ in 1 2; do
      menu_shown || break
      xdotool key Escape
      wait_for_ms 500 eval '! menu_shown'
    done
  done
}

# check_f10_menu "where" X Y W H: F10 in the settings window (Ctrl+, from the launcher) opens the
# main menu whole within that rectangle of the screen.
check_f10_menu() {
  local where=$1 area="$2,$3,$4,$5" settings="" first
  first=${menus[0]#*:}
  xdotool key ctrl+comma
  if ! wait_for 30 eval 'settings=$(app_window "^$settings_title\$"); [ -n "$settings" ]'; then
    fail "$where: Ctrl+, opens the settings"
    return
  fi
  xdotool windowactivate --sync "$settings" 2>/dev/null
  wait_for 5 is_active "$settings" || fail "$where: the settings have the focus"
  if output=$("$walker" "$app_pid" "key=$f10" "fits=$first@$area" 2>&1); then
    pass "$where: the menu F10 opens in the settings lies whole within $area"
  else
    fail "$where: the menu F10 opens in the settings lies whole within $area"
    printf '%s\n' "$output" | sed 's/^/  /'
  fi
  [ -z "${QUENLITH_SCREENSHOTS:-}" ] || import -window root "$QUENLITH_SCREENSHOTS/$where F10 in the settings.png"
  xdotool key Escape
  wait_for 5 eval '! menu_shown' || fail "$where: Escape closes the menu"
  xdotool key Escape
  wait_for 5 gone_from_screen "^$settings_title\$" || fail "$where: Escape closes the settings"
}

start_openbox 0 0 0 0 || { fail "openbox starts"; exit 1; }
start_app
check_menus "1280 x 800" 0 0 1280 800
check_f10_menu "1280 x 800" 0 0 1280 800
stop_app
stop_wm

# The work area the last window manager announced stays on the root window: the new one is read.
xprop -root -remove _NET_WORKAREA
start_openbox 0 300 490 490 || { fail "openbox starts with a 300 x 500 work area"; exit 1; }
start_app
check_menus "300 x 500" "$wa_x" "$wa_y" "$wa_w" "$wa_h"
check_f10_menu "300 x 500" "$wa_x" "$wa_y" "$wa_w" "$wa_h"
stop_app
menus=("${chinese[@]}") button="主菜单" settings_title="Quenlith 设置"
LANGUAGE=zh_CN start_app
check_menus "300 x 500 in Chinese" "$wa_x" "$wa_y" "$wa_w" "$wa_h"
check_f10_menu "300 x 500 in Chinese" "$wa_x" "$wa_y" "$wa_w" "$wa_h"
stop_app
stop_wm
end_checks "menu fit"
