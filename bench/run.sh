#!/usr/bin/env bash
# The speed benchmark of a whole conversion run: builds the tool, the EEI file generator,
# the system-call floor program and the timer in build/bench (Release), generates a file
# of PAIRS card pairs, runs the tool and the floor alternately RUNS times each on that
# file (report file in a fresh folder under the build folder, so on the project's disk),
# and prints the medians of wall, user and system time with the ratio tool/floor, the
# tool's peak resident memory over inputs of every size, its count of write calls
# (strace -c, when strace is installed) and its heap allocations (valgrind, when
# installed) for a small and a larger input.
#
#   bench/run.sh [RUNS [PAIRS]]        defaults: 7 runs, 50000 pairs
#   EEI2CSV_BENCH_CRLF=1 bench/run.sh  cards ended by CR LF instead of LF
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${EEI2CSV_BENCH_BUILD:-$root/build/bench}
runs=${1:-7}
pairs=${2:-50000}
crlf=${EEI2CSV_BENCH_CRLF:-}

echo "building in $build ..." >&2
cmake -S "$root/bench" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" >/dev/null

tool=$build/eei2csv/eei2csv
floor=$build/syscall_floor
measure=$build/measure
work=$(mktemp -d "$build/run.XXXXXX")
trap 'rm -rf "$work"' EXIT

generate() {  # generate PAIRS FILE
  if [[ -n $crlf ]]; then "$build/generate_eei" "$1" --crlf >"$2"; else "$build/generate_eei" "$1" >"$2"; fi
}
generate "$pairs" "$work/cards.eei"
printf 'cards.eei\nreport.csv\n' >"$work/names"

converted=$((pairs < 50000 ? pairs : 50000))
expected_bytes=$((18 + 19 * 24 * converted))

# run PROGRAM OUT: one timed run, its line "wall user sys rss status" appended to OUT.
run() {
  rm -f "$work/report.csv"
  local line
  line=$("$measure" "$work/names" "$work" "$1")
  read -r _ _ _ _ status <<<"$line"
  local size
  size=$(stat -c %s "$work/report.csv")
  if [[ $status != 0 || $size != "$expected_bytes" ]]; then
    echo "run of $1 failed: exit $status, report $size bytes (expected $expected_bytes)" >&2
    exit 1
  fi
  echo "$line" >>"$2"
}

load=$(cut -d' ' -f1-3 /proc/loadavg)
echo "warming up ..." >&2
run "$tool" /dev/null
run "$floor" /dev/null
for ((i = 1; i <= runs; ++i)); do
  echo "run $i of $runs ..." >&2
  run "$tool" "$work/tool.txt"
  run "$floor" "$work/floor.txt"
done

median() {  # median FILE COLUMN
  cut -d' ' -f"$2" "$1" | sort -g | awk '{ v[NR] = $1 } END {
    if (NR % 2) print v[(NR + 1) / 2]; else printf "%.6f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

terminator=LF
[[ -n $crlf ]] && terminator="CR LF"
echo
echo "eei2csv whole-run benchmark: $pairs card pairs ($terminator), $runs runs each, alternating"
echo "machine: $(nproc) CPUs, load average before the runs: $load"
echo "medians       tool (s)    floor (s)   tool/floor"
declare -A t f
for column in 1 2 3; do
  name=$(echo "wall user sys" | cut -d' ' -f$column)
  t[$name]=$(median "$work/tool.txt" $column)
  f[$name]=$(median "$work/floor.txt" $column)
  awk -v n="$name" -v a="${t[$name]}" -v b="${f[$name]}" \
    'BEGIN { printf "%-12s %10.3f   %10.3f   %10.3f\n", n, a, b, (b > 0 ? a / b : 0) }'
done
awk -v a="${t[user]}" -v b="${t[sys]}" -v c="${f[user]}" -v d="${f[sys]}" \
  'BEGIN { printf "%-12s %10.3f   %10.3f   %10.3f\n", "user+sys", a + b, c + d, (a + b) / (c + d) }'
# Each tool run is paired with the floor run right after it: the median of the pairs'
# ratios is less moved by other work on the machine than the ratio of the medians.
paired=$(paste -d' ' "$work/tool.txt" "$work/floor.txt" | awk '{ print $1 / $6 }' | sort -g |
  awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
echo "wall, paired  median of the $runs runs' ratios tool/floor: $paired"
awk -v u="${t[user]}" -v w="${t[wall]}" -v fu="${f[user]}" -v fw="${f[wall]}" 'BEGIN {
  printf "user/wall     tool %.1f%%, floor %.1f%%; the tool\047s own (tool - floor) %.1f%% of wall\n",
    100 * u / w, 100 * fu / fw, 100 * (u - fu) / w }'

# Peak resident memory: the timed runs, then inputs of other sizes and one very long line.
rss=$(cut -d' ' -f4 "$work/tool.txt" | sort -n | tail -1)
floor_rss=$(cut -d' ' -f4 "$work/floor.txt" | sort -n | tail -1)
generate 1 "$work/one.eei"
generate 200000 "$work/many.eei"
head -c 1048576 /dev/zero | tr '\0' 7 >"$work/long.eei"
printf '\n' >>"$work/long.eei"
generate 1 /dev/stdout >>"$work/long.eei"
sizes=""
for input in one many long; do
  printf '%s.eei\nreport.csv\n' "$input" >"$work/names.$input"
  read -r _ _ _ r status <<<"$("$measure" "$work/names.$input" "$work" "$tool")"
  sizes+=" $input=${r}kB"
  ((r > rss)) && rss=$r
done
echo "peak RSS      tool $rss kB (floor $floor_rss kB); by input:$sizes (1 pair, 200000 pairs, a 1 MB line)"

if command -v strace >/dev/null; then
  count_writes() {
    (cd "$work" && strace -f -c -e trace=write -o "$work/strace.$2" "$1" <"$work/names" >/dev/null)
    awk '$NF == "write" { print $4 }' "$work/strace.$2"
  }
  echo "write calls   tool $(count_writes "$tool" tool), floor $(count_writes "$floor" floor)" \
    "(strace -c; the report's share is $((1 + 24 * converted)))"
else
  echo "write calls   strace not installed (apt-get install strace)"
fi

if command -v valgrind >/dev/null; then
  # Instructions executed in user space, a count that repeats exactly from run to run:
  # the difference between 5000 pairs and 1 pair, per card pair.
  instructions() {  # instructions PROGRAM PAIRS
    generate "$2" "$work/count.eei"
    printf 'count.eei\nreport.csv\n' >"$work/names.count"
    (cd "$work" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" \
      <"$work/names.count" 2>&1 >/dev/null) | sed -n 's/.*refs: *\([0-9,]*\).*/\1/p' | tr -d ,
  }
  per_pair() {  # per_pair PROGRAM
    local one many
    one=$(instructions "$1" 1)
    many=$(instructions "$1" 5001)
    echo $(((many - one) / 5000))
  }
  tool_per_pair=$(per_pair "$tool")
  floor_per_pair=$(per_pair "$floor")
  echo "instructions  per card pair: tool $tool_per_pair, floor $floor_per_pair" \
    "(callgrind, 5001 pairs less 1 pair)"
  heap() {  # heap PAIRS: the tool's heap allocations for an input of that many pairs
    generate "$1" "$work/heap.eei"
    printf 'heap.eei\nreport.csv\n' >"$work/names.heap"
    (cd "$work" && valgrind --tool=memcheck "$tool" <"$work/names.heap" 2>&1 >/dev/null) |
      sed -n 's/.*total heap usage: \([0-9,]*\) allocs.*/\1/p'
  }
  echo "heap allocs   tool $(heap 10) for 10 pairs, $(heap 2000) for 2000 pairs (valgrind)"
else
  echo "heap allocs   valgrind not installed"
fi
