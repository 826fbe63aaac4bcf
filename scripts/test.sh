#!/usr/bin/env bash
# Runs every test: installs what is missing, then
#   1. the unit tests (Debug with assertions),
#   2. the same tests under AddressSanitizer and UndefinedBehaviorSanitizer,
#   3. the Windows build, with respack.exe exercised under Wine,
#   4. each fuzzer for a bounded time from its stored seed corpus.
# FUZZ_SECONDS sets the time per fuzzer (default 60; 0 skips fuzzing).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)
passed=0
failed=0
summary=()

count_ctest() {  # adds a ctest log's totals to the summary
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

run_unit_tests() {  # preset
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
  local log="build/$1/ctest.log"
  local status=0
  ctest --test-dir "build/$1" -j "$jobs" --output-on-failure 2>&1 | tee "$log" || status=$?
  count_ctest "$log"
  summary+=("$1: $(grep -E 'tests passed' "$log" | tail -n 1)")
  return $status
}

echo "== unit tests =="
run_unit_tests native
echo "== unit tests under ASan and UBSan =="
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_unit_tests native-asan

echo "== Windows build under Wine =="
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
wine_log=build/win32/wine-tests.log
if bash tests/win32/run.sh build/win32/bin 2>&1 | tee "$wine_log"; then :; else
  echo "Windows tests failed" >&2; exit 1
fi
w_pass=$(grep -cE '^ok ' "$wine_log" || true)
w_fail=$(grep -cE '^not ok ' "$wine_log" || true)
passed=$((passed + w_pass)); failed=$((failed + w_fail))
summary+=("win32: $w_pass passed, $w_fail failed")

seconds=${FUZZ_SECONDS:-60}
if [ "$seconds" -gt 0 ]; then
  echo "== fuzzing, ${seconds} s per target =="
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "$jobs"
  for fuzzer in build/fuzz/bin/fuzz_*; do
    name=$(basename "$fuzzer")
    work="build/fuzz/corpus/$name"
    mkdir -p "$work"
    seeds="fuzz/corpus/$name"
    [ -d "$seeds" ] || seeds=""
    if "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 -artifact_prefix="build/fuzz/$name-" \
         "$work" $seeds >"build/fuzz/$name.log" 2>&1; then
      passed=$((passed + 1)); summary+=("fuzz: $name clean for ${seconds} s")
    else
      failed=$((failed + 1)); summary+=("fuzz: $name FAILED (build/fuzz/$name.log)")
      tail -n 40 "build/fuzz/$name.log"
    fi
  done
fi

echo
printf '%s\n' "${summary[@]}"
echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
