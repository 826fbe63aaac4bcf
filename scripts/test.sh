#!/usr/bin/env bash
# Runs every test: installs what is missing (scripts/setup.sh), then
#   0. the layer check: no #include in src/ goes up the folders' order
#      (scripts/check-layers.sh),
#   1. the unit tests of the native Debug build (with the library's assertions),
#   2. the same tests under AddressSanitizer and UndefinedBehaviorSanitizer,
#   3. the Windows build, with respack.exe, Setup.exe and the demo product exercised
#      under Wine (tests/win32/run.sh),
#   4. each fuzzer for a bounded time from its stored seed corpus.
# Every stage runs even when an earlier one failed (a stage that cannot be built counts
# as one failure); the closing lines sum them up, ending with "all: N passed, N failed".
# The exit status is 0 only when nothing failed.
# FUZZ_SECONDS sets the time per fuzzer (default 60; 0 skips fuzzing).
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
passed=0
failed=0
summary=()

fail_stage() {  # what
  failed=$((failed + 1))
  summary+=("$1: FAILED")
}

count_ctest() {  # adds a ctest log's totals to the summary; false when it has none
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  [ -n "$line" ] || return 1
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

build() {  # preset
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}

run_unit_tests() {  # preset
  if ! build "$1"; then fail_stage "$1: build"; return; fi
  local log="build/$1/ctest.log"
  ctest --test-dir "build/$1" -j "$jobs" --output-on-failure 2>&1 | tee "$log"
  if count_ctest "$log"; then
    summary+=("$1: $(grep -E 'tests passed' "$log" | tail -n 1)")
  else
    fail_stage "$1: ctest ran no test"
  fi
}

run_wine_tests() {
  if ! build win32; then fail_stage "win32: build"; return; fi
  local log=build/win32/wine-tests.log
  # The packages are built with the respack of the unit-test stage.
  RESPACK="$PWD/build/native-debug/bin/respack" bash tests/win32/run.sh build/win32/bin 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local ok bad
  ok=$(grep -cE '^ok ' "$log")
  bad=$(grep -cE '^not ok ' "$log")
  passed=$((passed + ok))
  failed=$((failed + bad))
  summary+=("win32: $ok passed, $bad failed")
  # A harness that stopped without saying which check failed still fails.
  if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then fail_stage "win32: tests/win32/run.sh exited with $status"; fi
}

run_fuzzers() {  # seconds per target
  if ! build fuzz; then fail_stage "fuzz: build"; return; fi
  local fuzzer name work seeds
  for fuzzer in build/fuzz/bin/fuzz_*; do
    name=$(basename "$fuzzer")
    work="build/fuzz/corpus/$name"
    mkdir -p "$work"
    seeds="fuzz/corpus/$name"
    [ -d "$seeds" ] || seeds=""
    if "$fuzzer" -max_total_time="$1" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
         -artifact_prefix="build/fuzz/$name-" "$work" $seeds >"build/fuzz/$name.log" 2>&1; then
      passed=$((passed + 1)); summary+=("fuzz: $name clean for $1 s")
    else
      failed=$((failed + 1)); summary+=("fuzz: $name FAILED (build/fuzz/$name.log)")
      tail -n 40 "build/fuzz/$name.log"
    fi
  done
}

run_layer_check() {
  if bash scripts/check-layers.sh; then
    passed=$((passed + 1)); summary+=("layers: no include goes up")
  else
    fail_stage "layers: scripts/check-layers.sh"
  fi
}

echo "== layer order of src/ =="
run_layer_check
if bash scripts/setup.sh; then
  echo "== unit tests =="
  run_unit_tests native-debug
  echo "== unit tests under ASan and UBSan =="
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_unit_tests native-asan
  echo "== Windows build under Wine =="
  run_wine_tests
  seconds=${FUZZ_SECONDS:-60}
  if [ "$seconds" -gt 0 ]; then
    echo "== fuzzing, ${seconds} s per target =="
    run_fuzzers "$seconds"
  fi
else
  fail_stage "setup: scripts/setup.sh"
fi

echo
printf '%s\n' "${summary[@]}"
echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
