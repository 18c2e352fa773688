#!/usr/bin/env bash
# The floating window under openbox: keep above, all workspaces, opacity, the first frame (remembered
# or the default size clamped to the work area), a move reported by the window, and a restart at the
# saved frame without drift. Runs on the display xvfb-run gives it; starts and stops its own openbox.
set -uo pipefail
build=$1
probe=$build/tests/programs/floating_panel_probe/floating_panel_probe
source "$(dirname "$0")/lib.sh"

begin_checks wm
owned="$owned probe_pid"
probe_pid=""
need_programs "$probe"

# Margins make the work area smaller than the screen, as panels and docks do.
start_openbox 40 20 30 0 || { fail "openbox did not start"; exit 1; }

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
last_frame_is() { [ "$(awk -v n="$1" '$1 == "frame" && $2 == n {print $3, $4, $5, $6}' "$out" | tail -1)" = "$2" ]; }

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

end_checks "floating window"
