#!/usr/bin/env bash
# Builds the packages and tries them as a user would: configures and builds the tool in its
# own build folder (Release, no tests), installs it with `cmake --install` into a scratch
# prefix, runs cpack, unpacks the .deb with dpkg-deb -x into a scratch root and checks its
# control fields and files, checks the tarball, converts examples/sample.eei with the
# unpacked binary through the console dialogue, and renders the manual page with every
# groff warning turned on. Installs groff-base with apt-get only when groff is missing.
#
#   cmake/check-package.sh [BUILD_DIR]      default: build/pkg
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/pkg}
sample=$root/examples/sample.eei

fail() {
  echo "check-package: $*" >&2
  exit 1
}
step() { printf '\n--- %s ---\n' "$*"; }

for tool in cmake cpack dpkg-deb tar gzip; do
  command -v "$tool" >/dev/null || fail "$tool is missing"
done
if ! command -v groff >/dev/null; then
  step "installing groff-base (for the manual page check)"
  apt-get update -q && apt-get install -y -q groff-base
fi
[[ -f $sample ]] || fail "no sample at $sample"

step "configure and build ($build)"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEEI2CSV_TESTS=OFF >/dev/null
cmake --build "$build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || fail "no project version in $build/CMakeCache.txt"
echo "version $version"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/eei2csv-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

step "cmake --install into a scratch prefix"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
for f in bin/eei2csv share/man/man1/eei2csv.1.gz; do
  [[ -f $scratch/prefix/$f ]] || fail "cmake --install put no $f"
done
echo "bin/eei2csv, share/man/man1/eei2csv.1.gz"

step "cpack"
rm -rf "$build/packages"
(cd "$build" && cpack)
arch=$(dpkg --print-architecture)
deb=$build/packages/eei2csv_${version}_${arch}.deb
tgz=$build/packages/eei2csv-${version}-Linux.tar.gz
[[ -f $deb ]] || fail "no $deb"
[[ -f $tgz ]] || fail "no $tgz"

step "the Debian package"
dpkg-deb --info "$deb"
[[ $(dpkg-deb -f "$deb" Package) == eei2csv ]] || fail "package name"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"
dpkg-deb -x "$deb" "$scratch/root"
dpkg-deb -c "$deb"
bin=$scratch/root/usr/bin/eei2csv
man_page=$scratch/root/usr/share/man/man1/eei2csv.1.gz
[[ -x $bin ]] || fail "the package holds no usr/bin/eei2csv"
[[ -f $man_page ]] || fail "the package holds no usr/share/man/man1/eei2csv.1.gz"

step "the tarball"
listing=$(tar -tzf "$tgz")
echo "$listing"
grep -qx "eei2csv-${version}-Linux/bin/eei2csv" <<<"$listing" || fail "the tarball holds no bin/eei2csv"
grep -qx "eei2csv-${version}-Linux/share/man/man1/eei2csv.1.gz" <<<"$listing" ||
  fail "the tarball holds no share/man/man1/eei2csv.1.gz"

step "the unpacked binary: --version, --help"
[[ $("$bin" --version) == "eei2csv $version" ]] || fail "--version does not show $version"
"$bin" --help | grep -q '^Usage: eei2csv' || fail "--help shows no usage"

step "the unpacked binary converts the sample"
mkdir "$scratch/run"
status=0
(cd "$scratch/run" && printf '%s\n\n' "$sample" | "$bin" >console.txt 2>errors.txt) || status=$?
[[ $status == 0 ]] || fail "exit status $status: $(cat "$scratch/run/errors.txt")"
[[ ! -s $scratch/run/errors.txt ]] || fail "standard error: $(cat "$scratch/run/errors.txt")"
tail -n 1 "$scratch/run/console.txt" | cmp -s - <(printf 'PROGRAM DONE- EEI CARDS WRITTEN IN VERT CSV\r\n') ||
  fail "no completion line"
report=$scratch/run/LOADHRS.CSV
[[ -f $report ]] || fail "no LOADHRS.CSV"
pairs=$(($(wc -l <"$sample") / 2))
[[ $(head -n 1 "$report") == $'MO,DA,YR,HR,LOAD\r' ]] || fail "the report does not begin with its header"
[[ $(stat -c %s "$report") == $((18 + 19 * 24 * pairs)) ]] ||
  fail "LOADHRS.CSV is $(stat -c %s "$report") bytes, not 1 + 24 x $pairs lines"
cat "$scratch/run/console.txt"
echo "LOADHRS.CSV: $(wc -l <"$report") lines for $pairs card pairs"
head -n 3 "$report"

step "the manual page renders without warnings"
warnings=$(gzip -dc "$man_page" | groff -man -ww -z 2>&1) || fail "groff failed: $warnings"
[[ -z $warnings ]] || fail "groff warnings: $warnings"
if command -v man >/dev/null; then
  warnings=$(man --warnings -l "$man_page" 2>&1 >/dev/null) || fail "man failed: $warnings"
  [[ -z $warnings ]] || fail "man warnings: $warnings"
fi
echo "eei2csv(1): no warnings"

echo
echo "check-package: $deb and $tgz are good"
