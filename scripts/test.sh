#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the display-free model tests,
#   2. the same model tests built with AddressSanitizer and UndefinedBehaviorSanitizer, and every
#      decoder of files and links fuzzed for 20 seconds (scripts/fuzz.sh runs them longer), both
#      beside steps 1, 3 and 4,
#   3. the GUI and web tests under Xvfb and a private D-Bus session,
#   4. the window-manager checks under Xvfb with openbox, side by side,
#   5. the lifetime scenarios of the GUI tests built with AddressSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

jobs=$(nproc)
source scripts/compiler-cache.sh
started=$SECONDS
step() { echo "== $1 ($((SECONDS - started)) s)"; }
# Line tables are enough for the reports of failures and sanitizers, and far cheaper than full
# debug information to compile and link.
lines_only=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
            -DCMAKE_CXX_FLAGS_DEBUG="-g1" -DCMAKE_C_FLAGS_DEBUG="-g1")

# The tests below run with a throw-away HOME and XDG folders, a virtual display and a private bus.
scratch=$(mktemp -d /tmp/quenlith-tests.XXXXXX)
# Under set -e a failing command in this trap would turn a passing run into a failing one.
cleanup() {
  [ -n "${background:-}" ] && kill "$background" 2>/dev/null || true
  chmod -R u+rwX "$scratch" 2>/dev/null || true
  rm -rf "$scratch" "${background_log:-}" || true
}
trap cleanup EXIT
# The model tests make their own folders; should one slip out of them, it lands here, not in the
# person's home.
model_home=(env HOME="$scratch/model-home" XDG_DATA_HOME="$scratch/model-home/data"
            XDG_CONFIG_HOME="$scratch/model-home/config" XDG_CACHE_HOME="$scratch/model-home/cache")
mkdir -p "$scratch/model-home"
# The sanitizer and fuzzing builds run from the start beside everything else, at a lower priority,
# so they take the cores the main build and the GUI tests leave idle; their output is shown once
# they end. One sanitizer tree serves the model tests and the lifetime scenarios, and only the
# targets those need are built in it.
background_log=$(mktemp /tmp/quenlith-background.XXXXXX)
(
  set -euo pipefail
  configure build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQUENLITH_MODEL_ONLY=OFF -DQUENLITH_SANITIZE=ON \
    -DQUENLITH_BENCH=OFF -DQUENLITH_WERROR=ON "${lines_only[@]}"
  cmake --build build-sanitize -j "$jobs" --target model_tests lifetime_scenarios
  step "model tests with sanitizers"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "${model_home[@]}" ctest --test-dir build-sanitize -L model -E '^(layers|app|scripts)[.]' --output-on-failure -j "$jobs"
  step "fuzzing"
  ./scripts/fuzz.sh 20
  step "sanitizer and fuzzing builds done"
) >"$background_log" 2>&1 &
background=$!
renice -n 10 -p "$background" >/dev/null 2>&1 || true

# Every warning fails the build. The benchmarks are built beside the tests in the same tree, so a
# change that breaks one is seen here; scripts/bench.sh runs them.
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENLITH_BENCH=ON -DQUENLITH_WERROR=ON "${lines_only[@]}"
cmake --build build -j "$jobs"

step "model tests"
"${model_home[@]}" ctest --test-dir build -L model --output-on-failure -j "$jobs"

export HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" \
       XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export NO_AT_BRIDGE=1 GDK_CORE_DEVICE_EVENTS=1 WEBKIT_DISABLE_COMPOSITING_MODE=1 GDK_BACKEND=x11
# A test process whose teardown still runs a minute after its tests writes its threads' stacks here
# and ends with its verdict; they are shown at the end.
export QUENLITH_TEARDOWN_LOG="$scratch/teardown.log"

gui_tests=$(ctest --test-dir build -N -L gui | grep -c "Test *#" || true)
if [ "$gui_tests" -gt 0 ]; then
  step "GUI and web tests"
  # Web processes are heavy: fewer in parallel than for the model tests. -noreset: a server resets
  # when its last client leaves, and a test connecting meanwhile is refused.
  xvfb-run -a -s "-screen 0 1280x800x24 -noreset" \
    dbus-run-session --config-file="$PWD/tests/support/session-bus.conf" -- \
    ctest --test-dir build -L gui --output-on-failure -j "$(( jobs > 4 ? 4 : jobs ))"
fi

# The window-manager checks run while the sanitizer and fuzzing step still builds at its lower
# priority, so their timing is not squeezed by it.
wm_checks=0
if [ -x tests/wm/run.sh ]; then
  step "window-manager checks"
  tests/wm/run.sh build | tee "$scratch/wm.log"
  wm_checks=$(grep -c '^PASS: ' "$scratch/wm.log" || true)
fi

# Nothing else runs now: the sanitizer and fuzzing step gets its full share of the machine.
descendants() { local child; for child in $(pgrep -P "$1" 2>/dev/null); do echo "$child"; descendants "$child"; done; }
renice -n 0 -p "$background" $(descendants "$background") >/dev/null 2>&1 || true
step "waiting for the sanitizer and fuzzing step"
if ! wait "$background"; then
  cat "$background_log"
  echo "the sanitizer or fuzzing step failed" >&2
  exit 1
fi
cat "$background_log"
fuzz_targets=$(grep -c '^PASS: fuzz ' "$background_log" || true)

# Lifetime scenarios under AddressSanitizer: views, tabs, windows and managers destroyed while work
# for them is in flight. The engine and GLib keep caches for the life of the process, so leaks are
# not reported here; every other finding fails the run.
step "lifetime scenarios with sanitizers"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  xvfb-run -a -s "-screen 0 1280x800x24 -noreset" \
    dbus-run-session --config-file="$PWD/tests/support/session-bus.conf" -- \
    ctest --test-dir build-sanitize -L lifetime --output-on-failure
lifetime_binaries=$(ctest --test-dir build-sanitize -N -L lifetime | grep -c "Test *#" || true)

if [ -s "$QUENLITH_TEARDOWN_LOG" ]; then
  echo "== test processes whose teardown was still running a minute after their tests (their verdicts stand)"
  cat "$QUENLITH_TEARDOWN_LOG"
fi

# Reaching this line means every step passed.
model_tests=$(ctest --test-dir build -N -L model | grep -c "Test *#" || true)
sanitized_tests=$(ctest --test-dir build-sanitize -N -L model -E '^(layers|app|scripts)[.]' | grep -c "Test *#" || true)
step "done"
echo "total: $((model_tests + sanitized_tests + fuzz_targets + gui_tests + lifetime_binaries + wm_checks)) passed, 0 failed"
