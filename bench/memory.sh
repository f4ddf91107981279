#!/usr/bin/env bash
# Peak resident memory of the tool on very long lines that arrive through pipes:
#
#   1. an EEI file whose first card line is EEI2CSV_MEMORY_LINE_BYTES long (default 1 GiB),
#      read from a FIFO: only its first 80 columns are kept, the rest is passed over;
#   2. a first name entry of EEI2CSV_MEMORY_TYPED_BYTES (default 1 GiB) typed on standard
#      input, a pipe: only its first 100 characters are kept.
#
# Each run must convert its one card pair and end with status 0, with a peak resident
# memory (ru_maxrss of the child) under EEI2CSV_MEMORY_LIMIT_KB (default 8192). Builds the
# tool and the run timer (bench/measure.cpp) in build/memory (Release).
#
#   bench/memory.sh
#   EEI2CSV_MEMORY_TYPED_BYTES=$((64 << 20)) bench/memory.sh    a shorter typed line
#
# The typed line is read one byte per read, so that no byte after its LF leaves the
# stream: at about a microsecond per read, 1 GiB of it takes 15 to 25 minutes.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${EEI2CSV_MEMORY_BUILD:-$root/build/memory}
line_bytes=${EEI2CSV_MEMORY_LINE_BYTES:-$((1 << 30))}
typed_bytes=${EEI2CSV_MEMORY_TYPED_BYTES:-$((1 << 30))}
limit_kb=${EEI2CSV_MEMORY_LIMIT_KB:-8192}

echo "building in $build ..." >&2
cmake -S "$root/bench" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target eei2csv measure >/dev/null
tool=$build/eei2csv/eei2csv
measure=$build/measure

work=$(mktemp -d "$build/memory.XXXXXX")
writer=
cleanup() {
  [[ -n $writer ]] && kill "$writer" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# One card pair, hours 1 to 24 with the loads 1 to 24.
card() {  # card INDICATOR FIRST_LOAD
  printf ' 1 19901%d            ' "$1"
  for ((k = 0; k < 12; k++)); do printf '%5d' $(($2 + k)); done
}
card 1 1 >"$work/card1"
card 2 13 >"$work/card2"

failed=0
# check NAME LINE: the measure line "wall user sys rss status" of a run and its report.
check() {
  local name=$1 wall user sys rss status
  read -r wall user sys rss status <<<"$2"
  local report_bytes
  report_bytes=$(stat -c %s "$work/report.csv" 2>/dev/null || echo 0)
  local verdict=ok
  if ((status != 0 || report_bytes != 474 || rss >= limit_kb)); then
    verdict=FAILED
    failed=1
  fi
  printf '%-44s peak RSS %6d KB (limit %d)  status %d  report %d bytes  %6.1f s  %s\n' \
    "$name" "$rss" "$limit_kb" "$status" "$report_bytes" "$wall" "$verdict"
  rm -f "$work/report.csv"
}

# 1. The long card line, from a FIFO. Bytes past column 80 are never looked at but to find
# the LF, so zero bytes will do for them.
mkfifo "$work/cards.eei"
{
  cat "$work/card1"
  head -c "$((line_bytes - 80))" /dev/zero
  printf '\n'
  cat "$work/card2"
  printf '\n'
} >"$work/cards.eei" &
writer=$!
printf 'cards.eei\nreport.csv\n' >"$work/names"
check "EEI line of $line_bytes bytes (FIFO)" "$("$measure" "$work/names" "$work" "$tool")"
wait "$writer" || true
writer=

# 2. The long typed line, on a pipe: the EEI name, blanks up to column 100, then bytes that
# are dropped.
rm -f "$work/cards.eei"
{
  cat "$work/card1"
  printf '\n'
  cat "$work/card2"
  printf '\n'
} >"$work/cards.eei"
mkfifo "$work/typed"
{
  printf '%-100s' cards.eei
  head -c "$((typed_bytes - 100))" /dev/zero
  printf '\nreport.csv\n'
} >"$work/typed" &
writer=$!
check "typed line of $typed_bytes bytes (pipe)" "$("$measure" "$work/typed" "$work" "$tool")"
wait "$writer" || true
writer=

exit "$failed"
