#!/usr/bin/env bash
# The whole application with something hostile in place of each data file (a FIFO, a link to
# /dev/zero, a tree nested 100,000 levels deep): it starts, reaches its main loop, ends within a
# second of SIGTERM, and leaves the thing exactly as it was. Settings that cannot be read (those,
# and damaged JSON, wrong types, a file of mode 000, a folder, an oversized file) leave the saved
# session and its backup byte for byte as they were: only the person's own preferences delete them.
# So do websites that cannot be read, beside a sound session holding a window of one of them.
# Without a settings file, or with one that is a link to nowhere, the session and its backup stay
# too, and so does the website data of the window the session holds once the clean-up of unused
# session folders has run. A session file that is no snapshot is kept aside before the next one
# replaces it; one that is no file at all is never written over.
set -uo pipefail
build=$1
app=$build/quenlith
profiles_tool=$build/tests/programs/profiles_tool/profiles_tool
source "$(dirname "$0")/lib.sh"
begin_checks hostile bus -- "$@"
need_programs "$app" "$profiles_tool"
export G_MESSAGES_DEBUG=com.quenlith.Quenlith
real_app=$app

started() { grep -q 'Quenlith started' "$app_log"; }
describe() {
  if [ -p "$1" ]; then echo fifo; elif [ -L "$1" ]; then readlink "$1"; elif [ -d "$1" ]; then echo folder
  elif [ -e "$1" ]; then sha256sum <"$1"; else echo absent; fi
}
website_id=5E69A5B8-54AF-4E89-8498-8E80DE774BBC
# The website-data session of a window of no saved website, and one nothing names.
window_session=0C4C3B1E-7D8A-4F0B-9E52-2B7F1A6D3C91 unused_session=9A1F2E3D-4C5B-4A69-8877-665544332211
# A sound file of each kind the cases damage: settings with window restoring off (read, they would
# delete the saved session), or the website whose window the saved session holds.
sound_file() {
  case $2 in
    config/settings.json) "$profiles_tool" restore-windows "$1" 0 ;;
    data/profiles.json) "$profiles_tool" write "$1" --website Alpha http://127.0.0.1:9/alpha --id "$website_id" ;;
    data/session-v1.json) sound_session "$1" ;;
  esac
}
# A field of the sound file given the wrong type.
mistype() {
  case $2 in
    config/settings.json) sed -i 's/"restoreWindows": false/"restoreWindows": "no"/' "$1" ;;
    data/profiles.json) sed -i 's/"name": "Alpha"/"name": 5/' "$1" ;;
  esac
}
# A sound session: the website's window (as it was at quit) and, in the backup, as it was before.
sound_session() {
  local window='{"id":"'$website_id'","savedProfileID":"'$website_id'","tabs":[{"address":"http://127.0.0.1:9/alpha","title":"Alpha","startPage":false,"sleeping":false}],"selected":0,"frame":{"x":40,"y":40,"width":400,"height":400},"visible":true,"minimized":false,"isMainBrowser":false}'
  printf '{"version":1,"windows":[%s],"activeWindow":"%s"}' "$window" "$website_id" >"$1"
  printf '{"version":1,"windows":[%s]}' "${window/\"x\":40/\"x\":60}" >"$1.backup"
}

# A sound session holding one window of no saved website, with its own website-data session,
# hidden (as at quit), and its backup.
browsing_session() {
  "$profiles_tool" write "$1.website" --website Beta http://127.0.0.1:9/beta || return 1
  python3 - "$1" "$window_session" <<'PY'
import json, sys
path, session = sys.argv[1], sys.argv[2]
profile = json.load(open(path + ".website"))["profiles"][0]
profile.update(sessionIdentifier=session, isolatedAccount=True)
window = {"id": profile["id"], "temporaryProfile": profile, "selected": 0, "visible": False,
          "minimized": False, "isMainBrowser": False, "frame": {"x": 40, "y": 40, "width": 400, "height": 400},
          "tabs": [{"address": "http://127.0.0.1:9/beta", "title": "Beta", "startPage": False, "sleeping": False}]}
json.dump({"version": 1, "windows": [window]}, open(path, "w"))
json.dump({"version": 1, "windows": [dict(window, frame=dict(window["frame"], x=60))]}, open(path + ".backup", "w"))
PY
  rm -f "$1.website"
}
# Whether PATH is as described, or a recovery copy beside it is.
kept_as() {
  local copy
  [ "$(describe "$1")" = "$2" ] && return 0
  for copy in "$1".recovery-*; do
    [ -e "$copy" ] && [ "$(describe "$copy")" = "$2" ] && return 0
  done
  return 1
}
# The clean-up of unused session folders has run (it removes the folder nothing names).
swept() { [ ! -e "$XDG_DATA_HOME/com.quenlith.Quenlith/WebsiteData/$unused_session" ]; }

# hidden_window_case FILE: a start with FILE damaged and, restored, one hidden window of no saved
# website: the launcher comes up to say what could not be read, though no window does.
launcher_shown() { [ -n "$(app_window '^Quenlith$')" ]; }
hidden_window_case() {
  local file=$1
  case_dir=$work/hidden-window-${file//\//-}
  export HOME=$case_dir/home XDG_CONFIG_HOME=$case_dir/config XDG_DATA_HOME=$case_dir/data \
         XDG_CACHE_HOME=$case_dir/cache XDG_RUNTIME_DIR=$case_dir/runtime
  mkdir -p "$HOME" "$XDG_CONFIG_HOME/com.quenlith.Quenlith" "$XDG_DATA_HOME/com.quenlith.Quenlith" \
           "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  "$profiles_tool" restore-windows "$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json" 1 || fail "settings written"
  browsing_session "$XDG_DATA_HOME/com.quenlith.Quenlith/session-v1.json" || fail "session written"
  printf '{"version":1,' >"$XDG_DATA_HOME/com.quenlith.Quenlith/$file"
  app=$real_app app_log=$case_dir/app.log && start_app
  if check "the application starts with a damaged $file and a hidden window" wait_for 20 started; then
    check "the launcher comes up with a damaged $file, though the restored window is hidden" \
      wait_for 10 launcher_shown
  fi
  stop_app
}

# start_case KIND FILE: a start with the KIND in place of FILE; the session and its backup are
# checked with every settings case ("kept", or "deleted" where the settings are the person's own).
start_case() {
  local kind=$1 file=$2
  case_dir=$work/$kind-${file//\//-}
  export HOME=$case_dir/home XDG_CONFIG_HOME=$case_dir/config XDG_DATA_HOME=$case_dir/data \
         XDG_CACHE_HOME=$case_dir/cache XDG_RUNTIME_DIR=$case_dir/runtime
  mkdir -p "$HOME" "$XDG_CONFIG_HOME/com.quenlith.Quenlith" "$XDG_DATA_HOME/com.quenlith.Quenlith" \
           "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  local target=$case_dir/${file%%/*}/com.quenlith.Quenlith/${file#*/}
  local session=$XDG_DATA_HOME/com.quenlith.Quenlith/session-v1.json
  # With window restoring off the session files are deleted at start by design; with it on, an
  # unreadable one must be kept.
  if [ "$file" = data/session-v1.json ] || [ "$file" = data/profiles.json ]; then
    "$profiles_tool" restore-windows "$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json" 1 ||
      fail "settings written"
  fi
  if [ "$file" = config/settings.json ]; then
    printf '{"version":1,"windows":[],"activeWindow":"%s"}' "$case_dir" >"$session"
    printf '{"version":1,"windows":[]}' >"$session.backup"
  fi
  # The session names website data that the clean-up, run during the start, must leave alone.
  if [ "$kind" = missing ] || [ "$kind" = dangling ]; then
    browsing_session "$session" || fail "session written"
    local folder
    for folder in "$window_session" "$unused_session"; do
      mkdir -p "$XDG_DATA_HOME/com.quenlith.Quenlith/WebsiteData/$folder" &&
        echo cookies >"$XDG_DATA_HOME/com.quenlith.Quenlith/WebsiteData/$folder/cookies.sqlite"
    done
  fi
  # A readable backup beside the file: the restore takes it, and the snapshots that follow would
  # replace the file.
  [ "$file" = data/profiles.json ] || [ "$file" = data/session-v1.json ] && sound_session "$session"
  local huge=1000001
  [ "$file" = data/profiles.json ] && huge=25000000
  app=$real_app
  [ "$file" = data/session-v1.json ] && rm -f "$target"
  case $kind in
    fifo) mkfifo "$target" ;;
    zero) ln -s /dev/zero "$target" ;;
    deep) python3 -c 'import sys; sys.stdout.write("{\"version\":1,\"x\":" + "[" * 100000 + "]" * 100000 + "}")' >"$target" ;;
    sound) sound_file "$target" "$file" ;;
    damaged) sound_file "$target" "$file" && head -c 40 "$target" >"$target.cut" && mv "$target.cut" "$target" ;;
    mistyped) sound_file "$target" "$file" && mistype "$target" "$file" ;;
    mode-000)
      sound_file "$target" "$file" && chmod 000 "$target"
      # Root reads any file: the application runs without that override, as any user does.
      if [ "$(id -u)" = 0 ]; then
        app=$case_dir/as-user
        printf '#!/bin/sh\nexec setpriv --bounding-set -dac_override,-dac_read_search "%s" "$@"\n' "$real_app" >"$app"
        chmod +x "$app"
      fi ;;
    folder) mkdir "$target" ;;
    huge) sound_file "$target" "$file" && head -c "$huge" /dev/zero | tr '\0' ' ' >>"$target" ;;
    missing) rm -f "$target" ;;
    dangling) ln -s /nonexistent/settings.json "$target" ;;
  esac
  local before session_before backup_before
  before=$(describe "$target") session_before=$(describe "$session") backup_before=$(describe "$session.backup")
  app_log=$case_dir/app.log && start_app
  local what="with a $kind $(basename "$file")"
  if ! check "the application starts $what" wait_for 20 started; then
    tail -5 "$app_log"; stop_app KILL; return
  fi
  if [ "$kind" = missing ] || [ "$kind" = dangling ]; then
    check "the clean-up of unused session folders runs $what" wait_for 60 swept
    check "the website data of the saved session's window stays $what" \
      [ -f "$XDG_DATA_HOME/com.quenlith.Quenlith/WebsiteData/$window_session/cookies.sqlite" ]
  fi
  kill -TERM "$app_pid"
  check "it ends within a second of SIGTERM $what" wait_for_ms 1000 gone "$app_pid"
  stop_app KILL
  if [ "$file" = data/session-v1.json ]; then
    check "the $kind session-v1.json is left as it was, or kept aside byte for byte" kept_as "$target" "$before"
  else
    check "the $kind $(basename "$file") is left as it was" [ "$(describe "$target")" = "$before" ]
  fi
  if [ "$file" = config/settings.json ] || [ "$file" = data/profiles.json ]; then
    if [ "$kind" = sound ]; then
      check "the person's own settings delete the saved session" \
        [ "$(describe "$session")$(describe "$session.backup")" = absentabsent ]
    else
      check "the saved session and its backup are kept $what" \
        [ "$(describe "$session")" = "$session_before" -a "$(describe "$session.backup")" = "$backup_before" ]
    fi
  fi
}

for kind in fifo zero deep; do
  for file in data/profiles.json data/library.json data/session-v1.json config/settings.json; do
    start_case "$kind" "$file"
  done
done
for kind in sound damaged mistyped mode-000 folder huge missing dangling; do start_case "$kind" config/settings.json; done
start_case damaged data/session-v1.json
for file in profiles.json library.json; do hidden_window_case "$file"; done
for kind in damaged mistyped mode-000 folder huge; do start_case "$kind" data/profiles.json; done
end_checks "hostile file"
