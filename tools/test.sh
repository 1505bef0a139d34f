#!/usr/bin/env bash
# Builds and runs every test: the native core tests, the same under
# AddressSanitizer/UBSan, the Windows build with its tests under Wine
# (unit, registry and end-to-end), the 32-bit Windows build, and each fuzzer
# for a minute (FIZZLET_FUZZ_SECONDS to change that).  Prints how long each
# step took.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

jobs=$(nproc)
started=$SECONDS
step_started=$SECONDS
step() {
  [ "$step_started" -ne "$started" ] && echo "--- took $((SECONDS - step_started)) s"
  step_started=$SECONDS
  echo
  echo "=== $* ==="
}

step "native build and tests"
cmake --preset linux
cmake --build --preset linux -j "$jobs"
ctest --preset linux

step "sanitizer build and tests"
cmake --preset linux-asan
cmake --build --preset linux-asan -j "$jobs"
ctest --preset linux-asan

step "Windows x86_64 build and tests under Wine"
cmake --preset windows
cmake --build --preset windows -j "$jobs"
ctest --preset windows

step "Windows i686 build"
cmake --preset windows-x86
cmake --build --preset windows-x86 -j "$jobs"

step "fuzzers"
cmake --preset fuzz
cmake --build --preset fuzz -j "$jobs"
seconds="${FIZZLET_FUZZ_SECONDS:-60}"
# Each fuzzer keeps its corpus between runs and writes any crashing input to
# build/fuzz/artifacts, never into the source tree.
mkdir -p build/fuzz/artifacts
for fuzzer in build/fuzz/tests/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  echo "--- $name for ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="build/fuzz/artifacts/$name-" "$corpus" >"build/fuzz/$name.log" 2>&1; then
    tail -n 40 "build/fuzz/$name.log"
    echo "fuzzer $name failed; the input is in build/fuzz/artifacts"
    exit 1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "build/fuzz/$name.log" || true
done

step "done"
echo "All tests passed in $((SECONDS - started)) s."
