#!/usr/bin/env bash
# Builds the libFuzzer harnesses in build-fuzz and runs each for SECONDS (default 60), one
# process each (no -jobs: that would fork a child that logs to ./fuzz-N.log), niced. New inputs collect in build-fuzz/corpus/<harness>; a crashing input
# lands in build-fuzz/findings/<harness>/ and ends the run with status 1. Copy such an
# input into fuzz/regressions/<harness>/ once its fault is fixed.
#   fuzz/run_fuzzers.sh [SECONDS] [HARNESS...]
set -euo pipefail
seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMBREL_FUZZ_BUILD:-$root/build-fuzz}
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] && harnesses=(session vyp obj)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DNIMBREL_FUZZ=ON \
      -DNIMBREL_GUI=OFF -DNIMBREL_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
targets=()
for h in "${harnesses[@]}"; do targets+=("${h}_fuzzer"); done
nice -n 10 cmake --build "$build" -j "${JOBS:-2}" --target "${targets[@]}"

status=0
for h in "${harnesses[@]}"; do
  work="$build/corpus/$h"
  findings="$build/findings/$h"
  mkdir -p "$work" "$findings"
  dict=()
  [ -f "$root/fuzz/$h.dict" ] && dict=(-dict="$root/fuzz/$h.dict")
  echo "== $h: ${seconds} s"
  # New inputs go to the first folder; the repo's seeds and regressions are read only.
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
       nice -n 10 "$build/bin/${h}_fuzzer" "${dict[@]}" -max_total_time="$seconds" \
       -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$findings/" "$work" "$root/fuzz/corpus/$h" "$root/fuzz/regressions/$h" \
       2> "$build/$h.log"; then
    echo "   finding: see $build/$h.log and $findings/"
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^#[0-9]+ *DONE' "$build/$h.log" | tail -2 | sed 's/^/   /'
done
exit $status
