#!/bin/bash
# Runs one test process on a virtual display of its own. Tests that check who has the keyboard
# focus cannot share a display with tests that present windows of their own: a window shown there
# takes the focus, and a window that puts itself away on losing it does so. The server picks a
# free display number itself (-displayfd), so processes started side by side never race for one.
set -u
for argument in "$@"; do
  # Listing the cases (CTest's discovery) needs no display.
  [ "$argument" = --gtest_list_tests ] && exec "$@"
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/quenlith-display.XXXXXX") || exit 1
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$scratch/display" 2>"$scratch/log" &
server=$!
# A server that has not ended 5 s after SIGTERM (a busy machine, a server stuck in its own
# handler) is killed: the test's verdict is in, and nothing may hold the run for ever.
gone() { [ ! -e "/proc/$1" ] || grep -q '^[0-9]* ([^)]*) Z' "/proc/$1/stat" 2>/dev/null; }
stop() {
  kill "$server" 2>/dev/null
  for _ in $(seq 100); do gone "$server" && break; sleep 0.05; done
  gone "$server" || kill -KILL "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$scratch"
}
trap stop EXIT
trap 'exit 143' TERM INT HUP

# The number is written once the server accepts connections.
for _ in $(seq 200); do
  [ -s "$scratch/display" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.05
done
number=$(tr -dc 0-9 <"$scratch/display")
if [ -z "$number" ]; then
  echo "own-display: Xvfb did not start" >&2
  cat "$scratch/log" >&2
  exit 1
fi
DISPLAY=:$number "$@"
