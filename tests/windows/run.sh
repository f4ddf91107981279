#!/usr/bin/env bash
# The Windows build, tested under Wine: installs what is missing, cross-builds eei2csv.exe
# and its unit tests with mingw-w64 (preset windows), runs the unit tests under Wine, then
# runs the end-to-end suite of a Linux build against the .exe.
#
#   tests/windows/run.sh [LINUX_BUILD]
#
# LINUX_BUILD is a configured Linux build folder whose end-to-end tests drive the .exe
# (for instance build/default after `cmake --workflow --preset default`); without it the
# script configures and builds its own, build/windows-e2e. The Wine prefix lives in a
# temporary folder, removed at the end.
set -euo pipefail
cd "$(dirname "$0")/../.."

step() { printf '\n=== %s ===\n' "$*"; }

need=(cmake ninja-build g++ googletest libgtest-dev libgmock-dev g++-mingw-w64-x86-64 wine wine64)
missing=()
for p in "${need[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if ((${#missing[@]})); then
  step "installing ${missing[*]}"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

step "cross-build eei2csv.exe and its unit tests (preset windows)"
cmake --preset windows
cmake --build --preset windows

linux_build=${1:-build/windows-e2e}
if [[ $# -eq 0 ]]; then
  step "Linux build of the end-to-end suite ($linux_build)"
  cmake --preset default -B "$linux_build"
fi
cmake --build "$linux_build" --target tests/e2e/all

step "Wine prefix"
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/eei2csv-wine-XXXXXX")
export WINEPREFIX WINEDEBUG=-all
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
# The server and Wine's own services start here, once, away from the tests' pipes: a
# service started by a test's first run would hold that run's output open.
wineserver -p </dev/null >/dev/null 2>&1
wineboot -i </dev/null >/dev/null 2>&1
echo "$WINEPREFIX"

step "unit tests under Wine"
ctest --preset windows

step "end-to-end suite against eei2csv.exe under Wine"
EEI2CSV_BINARY="$PWD/build/windows/eei2csv.exe" EEI2CSV_LAUNCHER="$(command -v wine)" \
  ctest --test-dir "$linux_build/tests/e2e" --output-on-failure -j 2 --no-tests=error
