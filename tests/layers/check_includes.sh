#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own.
# Usage: check_includes.sh SRC_DIR
set -euo pipefail
src=${1:?source folder}
# Each folder, with the folders it may include besides itself and the standard/system headers.
declare -A allowed=(
  [model]="model"
  [ui]="model ui"
  [browser/engine]="model ui browser/engine"
  [browser/blocking]="model ui browser/engine browser/blocking"
  [browser/page]="model ui browser/engine browser/page"
  [browser/view]="model ui browser/engine browser/blocking browser/page browser/view"
  [windows]="model ui browser windows"
  # The views reach a window's pages only through the windows layer and interfaces of their own
  # (launcher commands, the download list), never the browser's page or view room directly.
  [launcher]="model ui browser/engine browser/blocking windows launcher"
  [library]="model ui browser/engine browser/blocking windows library"
  [settings]="model ui browser/engine browser/blocking windows settings"
  [editor]="model ui browser/engine browser/blocking windows editor"
  [app]="model ui browser windows launcher library settings editor app"
)
failures=0
for folder in "${!allowed[@]}"; do
  [ -d "$src/$folder" ] || continue
  while IFS=: read -r file line include; do
    target=${include#*\"}; target=${target%%\"*}
    ok=0
    for prefix in ${allowed[$folder]}; do
      case "$target" in "$prefix"/*) ok=1 ;; esac
    done
    if [ $ok -eq 0 ]; then
      echo "$file:$line includes $target, above its layer ($folder)"
      failures=$((failures + 1))
    fi
  done < <(grep -Hn '^#include "' -r "$src/$folder" --include='*.cpp' --include='*.hpp' || true)
done
[ $failures -eq 0 ] && echo "includes point down only"
exit $(( failures > 0 ))
