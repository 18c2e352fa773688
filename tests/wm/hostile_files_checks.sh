#!/usr/bin/env bash
# The whole application with something hostile in place of each data file (a FIFO, a link to
# /dev/zero, a tree nested 100,000 levels deep): it starts, reaches its main loop, ends within a
# second of SIGTERM, and leaves the thing exactly as it was.
set -uo pipefail
build=$1
app=$build/quenlith
profiles_tool=$build/tests/programs/profiles_tool/profiles_tool
source "$(dirname "$0")/lib.sh"
begin_checks hostile bus -- "$@"
need_programs "$app"
export G_MESSAGES_DEBUG=com.quenlith.Quenlith

started() { grep -q 'Quenlith started' "$app_log"; }
describe() { if [ -p "$1" ]; then echo fifo; elif [ -L "$1" ]; then readlink "$1"; else sha256sum <"$1"; fi; }

for kind in fifo zero deep; do
  for file in data/profiles.json data/library.json data/session-v1.json config/settings.json; do
    case_dir=$work/$kind-${file//\//-}
    export HOME=$case_dir/home XDG_CONFIG_HOME=$case_dir/config XDG_DATA_HOME=$case_dir/data \
           XDG_CACHE_HOME=$case_dir/cache XDG_RUNTIME_DIR=$case_dir/runtime
    mkdir -p "$HOME" "$XDG_CONFIG_HOME/com.quenlith.Quenlith" "$XDG_DATA_HOME/com.quenlith.Quenlith" \
             "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    target=$case_dir/${file%%/*}/com.quenlith.Quenlith/${file#*/}
    # With window restoring off the session files are deleted at start by design; with it on, an
    # unreadable one must be kept.
    if [ "$file" = data/session-v1.json ]; then
      "$profiles_tool" restore-windows "$XDG_CONFIG_HOME/com.quenlith.Quenlith/settings.json" 1 ||
        fail "settings written"
    fi
    case $kind in
      fifo) mkfifo "$target" ;;
      zero) ln -s /dev/zero "$target" ;;
      deep) python3 -c 'import sys; sys.stdout.write("{\"version\":1,\"x\":" + "[" * 100000 + "]" * 100000 + "}")' >"$target" ;;
    esac
    before=$(describe "$target")
    app_log=$case_dir/app.log && start_app
    what="with a $kind as $(basename "$file")"
    if ! check "the application starts $what" wait_for 20 started; then
      tail -5 "$app_log"; stop_app KILL; continue
    fi
    kill -TERM "$app_pid"
    check "it ends within a second of SIGTERM $what" wait_for_ms 1000 gone "$app_pid"
    stop_app KILL
    check "the $kind in place of $(basename "$file") is left as it was" [ "$(describe "$target")" = "$before" ]
  done
done
end_checks "hostile file"
