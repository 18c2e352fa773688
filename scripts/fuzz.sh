#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time, side by side.
#   scripts/fuzz.sh [SECONDS]   (default 600 per target; scripts/test.sh runs them for 20)
# A crash, hang or sanitizer report fails the run; the input that caused it is kept under
# build-fuzz/findings/<target>/ and printed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
build=build-fuzz
source scripts/compiler-cache.sh
# Line tables are enough to place a finding.
CC=clang CXX=clang++ configure "$build" -DQUENLITH_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cmake --build "$build" -j "$(nproc)" >/dev/null

pids=() names=()
for target in "$build"/fuzz/*_fuzz; do
  name=$(basename "$target" _fuzz)
  work="$build/findings/$name"
  rm -rf "$work" && mkdir -p "$work/corpus"
  cp fuzz/corpus/"$name"/* "$work/corpus/" 2>/dev/null || true
  # New inputs go to the scratch corpus only; the seeds in the repository stay as they are.
  # The fuzzer keeps its own time; a target that does not end a minute after it still fails the run.
  timeout -k 10 $((seconds + 60)) "$target" "$work/corpus" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$work/" -print_final_stats=1 >"$work/log" 2>&1 &
  pids+=($!) names+=("$name")
done
failed=0
for i in "${!pids[@]}"; do
  name=${names[$i]}
  if wait "${pids[$i]}"; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/findings/$name/log" | grep -o '[0-9]*$' || echo "?")
    echo "PASS: fuzz $name ($runs inputs in ${seconds} s)"
  else
    failed=$((failed + 1))
    echo "FAIL: fuzz $name"
    grep -E 'ERROR|SUMMARY|Test unit written' "$build/findings/$name/log" | head -5
  fi
done
exit $(( failed > 0 ))
