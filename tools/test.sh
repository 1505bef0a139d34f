#!/usr/bin/env bash
# Builds and runs every test: the native core tests, the same under
# AddressSanitizer/UBSan, the Windows build with its tests under Wine
# (unit, registry and end-to-end), the 32-bit Windows build, and each fuzzer
# for a minute (FIZZLET_FUZZ_SECONDS to change that).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

jobs=$(nproc)
step() { echo; echo "=== $* ==="; }

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
for fuzzer in build/fuzz/tests/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  echo "--- $(basename "$fuzzer") for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 2>&1 | tail -n 3
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzzer $(basename "$fuzzer") failed"; exit 1; }
done

echo
echo "All tests passed."
