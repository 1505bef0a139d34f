#!/usr/bin/env bash
# Builds and runs every test: the native core tests, the same under
# AddressSanitizer/UBSan, the Windows build with its tests under Wine
# (unit, registry, end-to-end, packages), the 32-bit Windows build and its
# packages, and each fuzzer for a million inputs (FIZZLET_FUZZ_RUNS), at most
# two minutes each (FIZZLET_FUZZ_SECONDS).  Prints how long each step took.
# A failing test does not stop the later steps; the script ends with a list of
# the failed steps and a non-zero status.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh
tools/install-deps.sh

jobs=$(nproc)
started=$SECONDS
step_started=""
step() {
  if [ -n "$step_started" ]; then echo "--- took $((SECONDS - step_started)) s"; fi
  step_started=$SECONDS
  echo
  echo "=== $* ==="
}

failed=()
# Configures and builds a preset (a failure here ends the script) and, when
# asked, runs its tests (a failure here is recorded).
preset() {
  local name="$1" run_tests="$2"
  shift 2
  build_preset "$name" "$@"
  if [ "$run_tests" = yes ] && ! ctest --preset "$name"; then
    failed+=("$name tests")
  fi
}

step "native build and tests"
preset linux yes

step "sanitizer build and tests"
preset linux-asan yes

step "Windows x86_64 build and tests under Wine"
preset windows yes

step "the README's run commands, headless"
# What a newcomer runs first: each must show the saver and end it with a key.
for native in "" --native; do
  output=$(env -u DISPLAY tools/run.sh $native 2>&1)
  echo "$output" | grep -E "^(Running|Saver|Screenshots)"
  echo "$output" | grep -q "Saver ended after the key press: yes" ||
    failed+=("tools/run.sh $native")
done

step "Windows i686 build and packages"
# The saver and its packages: the other tests cannot run here (64-bit Wine
# only), and the x86_64 build has already compiled and run them; ctest runs
# the check of what the packages hold.
preset windows-x86 yes --target fizzlet_scr fizzlet_packages

step "fuzzers"
build_preset fuzz
runs="${FIZZLET_FUZZ_RUNS:-1000000}"
seconds="${FIZZLET_FUZZ_SECONDS:-120}"
# Each fuzzer keeps its corpus between runs and writes any crashing input to
# build/fuzz/artifacts, never into the source tree.
# They run side by side, one per processor.
mkdir -p build/fuzz/artifacts
fuzzers=()
for fuzzer in build/fuzz/tests/fuzz_*; do
  [ -x "$fuzzer" ] && fuzzers+=("$fuzzer")
done
run_fuzzer() {
  local fuzzer="$1" name
  name=$(basename "$fuzzer")
  mkdir -p "build/fuzz/corpus/$name"
  "$fuzzer" -runs="$runs" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="build/fuzz/artifacts/$name-" "build/fuzz/corpus/$name" \
    >"build/fuzz/$name.log" 2>&1
}
for ((first = 0; first < ${#fuzzers[@]}; first += jobs)); do
  pids=()
  for fuzzer in "${fuzzers[@]:first:jobs}"; do
    echo "--- $(basename "$fuzzer"): $runs inputs, at most ${seconds}s"
    run_fuzzer "$fuzzer" &
    pids+=($!)
  done
  for i in "${!pids[@]}"; do
    fuzzer="${fuzzers[first + i]}"
    name=$(basename "$fuzzer")
    if wait "${pids[i]}"; then
      executed=$(awk '/stat::number_of_executed_units/ {print $2}' "build/fuzz/$name.log")
      echo "$name: ${executed:-0} inputs in $(awk '/stat::average_exec_per_sec/ {e = $2} END {print e}' "build/fuzz/$name.log") inputs/s"
      [ "${executed:-0}" -ge "$runs" ] || echo "$name: NOTE fewer than $runs inputs within ${seconds}s"
    else
      tail -n 40 "build/fuzz/$name.log"
      echo "fuzzer $name failed; the input is in build/fuzz/artifacts"
      failed+=("$name")
    fi
  done
done

step "done"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED after $((SECONDS - started)) s: ${failed[*]}"
  exit 1
fi
echo "All tests passed in $((SECONDS - started)) s."
