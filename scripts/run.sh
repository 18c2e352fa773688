#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quenlith.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
source scripts/compiler-cache.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${cache_args[@]}" >/dev/null
cmake --build build -j "$(nproc)" --target quenlith

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY is not set): start Quenlith from a desktop session." >&2
  exit 1
fi
if [ ! -x build/quenlith ]; then
  echo "run.sh: build/quenlith was not built." >&2
  exit 1
fi
# Keep-above, placement and global shortcuts need X11 (XWayland under Wayland).
export GDK_BACKEND=x11
exec build/quenlith "$@"
