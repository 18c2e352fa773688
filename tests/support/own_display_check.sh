#!/usr/bin/env bash
# own-display.sh ends soon after its command, with the command's status, even when its display
# server ignores SIGTERM, and leaves no server behind.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/quenlith-own-display.XXXXXX)
server_pid_file=$work/server.pid
cleanup() {
  [ -s "$server_pid_file" ] && kill -KILL "$(cat "$server_pid_file")" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/bin"
# A stand-in display server that announces a display and then ignores SIGTERM.
cat >"$work/bin/Xvfb" <<'SERVER'
#!/bin/bash
trap '' TERM
echo $$ >"$QUENLITH_STAND_IN_PID"
echo 99 >&3
exec 3>&-
while :; do sleep 0.2; done
SERVER
chmod +x "$work/bin/Xvfb"

failures=0
started=$SECONDS
PATH="$work/bin:$PATH" QUENLITH_STAND_IN_PID=$server_pid_file \
  timeout -k 5 90 "$here/own-display.sh" sh -c '[ "$DISPLAY" = :99 ] && exit 3'
status=$? elapsed=$((SECONDS - started))
if [ $status -eq 3 ]; then
  echo "PASS: the command ran on the server's display and its status came back"
else
  echo "FAIL: own-display.sh ended with $status (124: it was still waiting after 90 s)"
  failures=$((failures + 1))
fi
if [ $elapsed -le 45 ]; then
  echo "PASS: it ended $elapsed s after starting"
else
  echo "FAIL: it took $elapsed s"
  failures=$((failures + 1))
fi
if [ -s "$server_pid_file" ] && [ -e "/proc/$(cat "$server_pid_file")" ] &&
  ! grep -q '^[0-9]* ([^)]*) Z' "/proc/$(cat "$server_pid_file")/stat" 2>/dev/null; then
  echo "FAIL: the server that ignored SIGTERM is still running"
  failures=$((failures + 1))
else
  echo "PASS: no server is left behind"
fi
[ $failures -eq 0 ]
