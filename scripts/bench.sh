#!/usr/bin/env bash
# Builds and runs every benchmark; those that need a display run under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# A build folder of its own, so that measuring never switches the test build to another type.
source scripts/compiler-cache.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release "${cache_args[@]}" >/dev/null
cmake --build build-bench -j "$(nproc)"
for bench in build-bench/bench/*_bench; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  case "$(basename "$bench")" in
    model_bench) "$bench" "$@" ;;
    *) xvfb-run -a -s "-screen 0 1280x800x24 -noreset" \
         dbus-run-session --config-file="$PWD/tests/support/session-bus.conf" -- "$bench" "$@" ;;
  esac
done
