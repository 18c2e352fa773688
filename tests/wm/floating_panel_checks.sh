#!/usr/bin/env bash
# The floating window under openbox: keep above, all workspaces, opacity, the first frame (remembered
# or the default size clamped to the work area), a move reported by the window, and a restart at the
# saved frame without drift. Runs on the display xvfb-run gives it; starts and stops its own openbox.
set -uo pipefail
build=$1
probe=$build/tests/programs/floating_panel_probe/floating_panel_probe
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d /tmp/quenlith-wm.XXXXXX)
openbox_pid=""
probe_pid=""
cleanup() {
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null && wait "$probe_pid" 2>/dev/null
  [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null && wait "$openbox_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Waits (polling, at most $1 seconds) until the command given after it succeeds.
wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.05
  done
}

[ -x "$probe" ] || { fail "probe not built: $probe"; exit 1; }

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export XDG_RUNTIME_DIR=$work/runtime GDK_BACKEND=x11 NO_AT_BRIDGE=1
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Margins make the work area smaller than the screen, as panels and docks do.
cat > "$work/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>40</top><bottom>20</bottom><left>30</left><right>0</right></margins>
</openbox_config>
XML
openbox --sm-disable --config-file "$work/rc.xml" >"$work/openbox.log" 2>&1 &
openbox_pid=$!
workarea_known() { xprop -root _NET_WORKAREA 2>/dev/null | grep -q '='; }
wait_for 10 workarea_known || { fail "openbox did not start"; exit 1; }
read -r wa_x wa_y wa_w wa_h < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | awk '{print $1, $2, $3, $4}')
echo "work area: $wa_x,$wa_y ${wa_w}x$wa_h"

# Starts the probe with the given options; its report goes to $work/out.N.
run=0
start_probe() {
  run=$((run + 1))
  out=$work/out.$run
  : >"$out"
  "$probe" "$@" >"$out" 2>"$work/err.$run" &
  probe_pid=$!
}
stop_probe() {
  kill "$probe_pid" 2>/dev/null
  wait "$probe_pid" 2>/dev/null
  probe_pid=""
}
both_mapped() { [ "$(grep -c '^window ' "$out")" -ge 2 ]; }
xid_of() { awk -v n="$1" '$1 == "window" && $2 == n {print $3}' "$out" | tail -1; }
# The window's visible frame "X Y W H": its X window without any declared client-side shadow.
geometry_of() {
  local id=$1 x y w h
  read -r x y < <(xdotool getwindowgeometry "$id" | awk '/Position:/ {split($2, p, ","); print p[1], p[2]}')
  read -r w h < <(xdotool getwindowgeometry "$id" | awk '/Geometry:/ {split($2, s, "x"); print s[1], s[2]}')
  local shadow
  shadow=$(xprop -id "$id" _GTK_FRAME_EXTENTS 2>/dev/null | grep '=' | sed 's/.*= //; s/,//g')
  if [ -n "$shadow" ]; then
    read -r l r t b <<<"$shadow"
    x=$((x + l)); y=$((y + t)); w=$((w - l - r)); h=$((h - t - b))
  fi
  echo "$x $y $w $h"
}
geometry_is() { [ "$(geometry_of "$1")" = "$2" ]; }
last_frame_is() { [ "$(awk -v n="$1" '$1 == "frame" && $2 == n {print $3, $4, $5, $6}' "$out" | tail -1)" = "$2" ]; }
has_state() { xprop -id "$1" _NET_WM_STATE | grep -q "$2"; }
on_all_desktops() { xprop -id "$1" _NET_WM_DESKTOP | grep -q '= 4294967295$' || has_state "$1" _NET_WM_STATE_STICKY; }
opacity_of() { xprop -id "$1" _NET_WM_WINDOW_OPACITY | sed -n 's/.*= //p'; }
check() {  # check "what" command...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
check_opacity() {  # name id expected-fraction
  local actual expected
  actual=$(opacity_of "$2")
  expected=$(awk -v f="$3" 'BEGIN { printf "%.0f", int(f * 4294967295) }')
  if [ -n "$actual" ] && [ $((actual - expected)) -ge -1 ] && [ $((actual - expected)) -le 1 ]; then
    pass "$1 has opacity $3 ($actual)"
  else
    fail "$1 has opacity $3: expected $expected, got '${actual:-unset}'"
  fi
}

# --- First start: Pinned with a remembered frame, Plain with none -------------------------------
default_w=600
default_h=900   # taller than the work area
start_probe --default-size "$default_w,$default_h" --frame Pinned=150,120,520,430
if ! wait_for 10 both_mapped; then
  fail "both windows appear"; cat "$work/err.$run"; exit 1
fi
pass "both windows appear"
pinned=$(xid_of Pinned)
plain=$(xid_of Plain)

check "Pinned is kept above" has_state "$pinned" _NET_WM_STATE_ABOVE
check "Pinned is on all workspaces" on_all_desktops "$pinned"
check "Plain is not kept above" eval '! has_state "$plain" _NET_WM_STATE_ABOVE'
check "Plain is on one workspace only" eval '! on_all_desktops "$plain"'
check "Pinned stays out of the taskbar" has_state "$pinned" _NET_WM_STATE_SKIP_TASKBAR
check "Plain stays out of the taskbar" has_state "$plain" _NET_WM_STATE_SKIP_TASKBAR
# Neither the header-bar window nor the compact one gets a frame from the window manager.
undecorated() { xprop -id "$1" _NET_FRAME_EXTENTS | grep -q '= 0, 0, 0, 0$'; }
check "Pinned (header bar) has no window-manager frame" undecorated "$pinned"
check "Plain (compact) has no window-manager frame" undecorated "$plain"
check_opacity Pinned "$pinned" 0.85
check_opacity Plain "$plain" 0.6

expected_pinned="150 120 520 430"
if wait_for 5 geometry_is "$pinned" "$expected_pinned"; then
  pass "Pinned is at its remembered frame ($expected_pinned)"
else
  fail "Pinned is at its remembered frame: expected $expected_pinned, got $(geometry_of "$pinned")"
fi
# Default size centred on the work area, cut to its height and pushed inside it.
plain_w=$((default_w < wa_w ? default_w : wa_w))
plain_h=$((default_h < wa_h ? default_h : wa_h))
plain_x=$((wa_x + (wa_w - plain_w) / 2))
plain_y=$wa_y
expected_plain="$plain_x $plain_y $plain_w $plain_h"
if wait_for 5 geometry_is "$plain" "$expected_plain"; then
  pass "Plain has the default size clamped to the work area ($expected_plain)"
else
  fail "Plain has the default size clamped to the work area: expected $expected_plain, got $(geometry_of "$plain")"
fi

# --- A move by the user (through the window manager) is reported -------------------------------
xdotool windowmove "$pinned" 400 300
moved="400 300 520 430"
if wait_for 5 geometry_is "$pinned" "$moved" && wait_for 5 last_frame_is Pinned "$moved"; then
  pass "a moved window reports its new frame ($moved)"
else
  fail "a moved window reports its new frame: window at $(geometry_of "$pinned"), reported '$(grep '^frame Pinned' "$out" | tail -1)'"
fi
saved=$(awk '$1 == "frame" && $2 == "Pinned" {print $3 "," $4 "," $5 "," $6 ($7 == "-" ? "" : "," $7)}' "$out" | tail -1)
stop_probe

# --- Restart at the saved frame: the same place, twice over -------------------------------------
for round in 1 2; do
  start_probe --default-size "$default_w,$default_h" --frame "Pinned=$saved"
  if ! wait_for 10 both_mapped; then
    fail "restart $round: windows appear"; break
  fi
  pinned=$(xid_of Pinned)
  if wait_for 5 geometry_is "$pinned" "$moved" && wait_for 5 last_frame_is Pinned "$moved"; then
    pass "restart $round at the saved frame ($saved) puts the window at the same place"
  else
    fail "restart $round at the saved frame ($saved): window at $(geometry_of "$pinned")"
  fi
  saved=$(awk '$1 == "frame" && $2 == "Pinned" {print $3 "," $4 "," $5 "," $6 ($7 == "-" ? "" : "," $7)}' "$out" | tail -1)
  stop_probe
done

if [ $failures -eq 0 ]; then
  echo "floating window checks: all passed"
else
  echo "floating window checks: $failures failed"
fi
[ $failures -eq 0 ]
