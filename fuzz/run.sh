#!/usr/bin/env bash
# Builds the fuzz targets (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer; clang
# 14) in build/fuzz, replays the committed corpus of each, then fuzzes each for
# FUZZ_SECONDS seconds (default 30) starting from that corpus. Fails when any input
# crashes; the input is kept under build/fuzz/artifacts/.
#
#   fuzz/run.sh                  every target
#   FUZZ_SECONDS=300 fuzz/run.sh keyval
#
# A crashing input, once the fault is fixed, goes into fuzz/corpus/<target>/ so that every
# later run replays it. New inputs that the fuzzing finds stay in build/fuzz/corpus/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${EEI2CSV_FUZZ_BUILD:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-30}
targets=("$@")
if ((${#targets[@]} == 0)); then targets=(card_decode keyval card_lines typed_line); fi

# The longest input each target takes: a card image and its selector byte, a name buffer
# and its scan end, EEI files with lines past the 8192-byte line store, console input.
declare -A max_len=([card_decode]=128 [keyval]=128 [card_lines]=20000 [typed_line]=4096)

# clang 14 with its libFuzzer and sanitizer runtimes, installed only when missing.
compiler=$(command -v clang++-14 || command -v clang++ || true)
links_a_fuzzer() {
  [[ -n $compiler ]] || return 1
  local probe
  probe=$(mktemp -d)
  printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
    'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' >"$probe/probe.cpp"
  "$compiler" -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null
  local ok=$?
  rm -rf "$probe"
  return $ok
}
if ! links_a_fuzzer; then
  echo "installing clang-14 and libclang-rt-14-dev ..." >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y clang-14 libclang-rt-14-dev >/dev/null ||
    { apt-get update >/dev/null && apt-get install -y clang-14 libclang-rt-14-dev >/dev/null; }
  compiler=$(command -v clang++-14)
  links_a_fuzzer || { echo "clang-14 cannot link a fuzz target" >&2; exit 1; }
fi

echo "building in $build with $compiler ..." >&2
cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
cmake --build "$build" --target "${targets[@]/%/_fuzz}" >/dev/null

mkdir -p "$build/artifacts"
failed=0
for target in "${targets[@]}"; do
  binary=$build/${target}_fuzz
  seeds=$root/fuzz/corpus/$target
  found=$build/corpus/$target
  mkdir -p "$found"
  log=$build/$target.log
  options=(-max_len="${max_len[$target]}" -timeout=25 -rss_limit_mb=2048
    -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1)

  # Every committed input once, then the bounded fuzzing.
  if ! "$binary" "${options[@]}" "$seeds"/* >"$log" 2>&1; then
    echo "$target: replay of fuzz/corpus/$target FAILED (log: $log)"
    tail -n 30 "$log"
    failed=1
    continue
  fi
  if "$binary" "${options[@]}" -max_total_time="$seconds" "$found" "$seeds" >>"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    corpus=$(find "$found" "$seeds" -type f | wc -l)
    echo "$target: ${seconds}s, $runs runs ($rate/s), corpus $corpus inputs, no crash"
  else
    echo "$target: CRASH (log: $log)"
    grep -E 'fuzz check failed|ERROR: |SUMMARY: |Test unit written' "$log" | head -n 10
    failed=1
  fi
done
exit "$failed"
