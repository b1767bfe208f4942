#!/bin/sh
# The differential harness: libgpenc built at 36c38f9 beside this tree's, the
# suite's tables run against each by one driver (Driver.cpp: the same logger,
# appenders and session store), at DEBUG and with the logger OFF, and what the
# host observes compared line for line.
# Usage: dev/diff/run.sh [BUILD_DIR]   (this tree's build folder, default
# build-diff/head; 36c38f9's goes to build-diff/old-<build type>).
# GPENC_DIFF_REPO: the clone that holds 36c38f9, when this folder is not one.
set -eu
cd "$(dirname "$0")/../.."
base=36c38f9
build=${1:-build-diff/head}
repo=${GPENC_DIFF_REPO:-.}

if ! git -C "$repo" cat-file -e "$base^{commit}" 2>/dev/null; then
  echo "FAIL: commit $base is not in the clone at $repo: fetch it (or clone without --depth)" >&2
  exit 1
fi
options="-DGPENC_BUILD_BENCHMARKS=OFF -DGPENC_BUILD_EXAMPLES=OFF"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release $options -DGPENC_BUILD_TESTS=ON -DGPENC_BUILD_TOOL=OFF >/dev/null
fi
cmake --build "$build" -j2 --target gpenc gpenc_diff >/dev/null
# 36c38f9 built as this tree's build is (a Debug library is libgpencd.so.1).
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
old=build-diff/old-${type:-none}
if [ ! -f build-diff/old-tree/CMakeLists.txt ]; then
  rm -rf build-diff/old-tree
  mkdir -p build-diff/old-tree
  git -C "$repo" archive "$base" | tar -x -C build-diff/old-tree
fi
cmake -S build-diff/old-tree -B "$old" -G Ninja -DCMAKE_BUILD_TYPE="$type" $options -DGPENC_BUILD_TESTS=OFF >/dev/null
cmake --build "$old" -j2 --target gpenc >/dev/null
so=libgpenc.so.1
[ "$type" != Debug ] || so=libgpencd.so.1

# One transcript per library and level, both libraries' at once.
out=$build/diff
mkdir -p "$out"
run() {  # run NAME LIBRARY_FOLDER [DRIVER OPTIONS]
  name=$1 dir=$2
  shift 2
  LD_LIBRARY_PATH=$dir:$build/host GPENC_DIFF_LIBRARY=$(cd "$dir" && pwd)/$so \
    "$build/tests/diff/gpenc_diff" "$@" >"$out/$name.txt"
}
# The tests of what the library does differently since 36c38f9 on purpose,
# each a deviation of docs/compat.md (D33: JT/T 1078's parameters), and of the
# calls it has added since.
since=StandardTest.VideoActiveSafetyAndDeclaredParameters:TunnelTest.VideoAndDeclaredParameters
status=0
run old-debug "$old/src" "--gtest_filter=-$since" & pid=$!
run head-debug "$build/src" "--gtest_filter=-$since" || status=$?
wait "$pid" || status=$?
run old-off "$old/src" --off "--gtest_filter=-LogTest.*:$since" & pid=$!
run head-off "$build/src" --off "--gtest_filter=-LogTest.*:$since" || status=$?
wait "$pid" || status=$?
if [ "$status" -ne 0 ]; then
  echo "FAIL: the driver stopped with status $status (transcripts in $out)" >&2
  exit 1
fi

# The first differing line, with its test and the call it belongs to (the
# next "seen" line) in both transcripts.
show() {  # show FILE LINE
  awk -v n="$2" '/^test /{t=$0} NR>=n-8&&NR<n{b[NR]=$0} function p(m,l){print "  " m substr(l,1,300)}
    NR==n{print "  in " t; for(i=n-8;i<n;i++) if(i in b) p("  ",b[i]); p("> ",$0)} NR>n&&NR<=n+3{p("  ",$0)}
    NR>=n&&/^seen /{p("call: ",$0); exit}' "$1"
}
for level in debug off; do
  a=$out/old-$level.txt b=$out/head-$level.txt
  if ! report=$(cmp "$a" "$b" 2>&1); then
    line=$(printf '%s\n' "$report" | sed -n 's/.*line \([0-9][0-9]*\).*/\1/p' | head -n 1)
    echo "FAIL: logger $level: what the host observes differs from $base at line ${line:-?}: $report"
    echo "--- $base ($a)"
    show "$a" "${line:-1}"
    echo "--- this tree ($b)"
    show "$b" "${line:-1}"
    exit 1
  fi
done

# A transcript without records or fetches would compare nothing.
count() { grep -c "$1" "$out/head-$2.txt" || true; }
records=$(count '^record ' debug) fetches=$(count '^store GetSession' debug)
if [ "$records" -eq 0 ] || [ "$fetches" -eq 0 ] || [ "$(count '^record ' off)" -ne 0 ]; then
  echo "FAIL: $records records and $fetches session fetches at DEBUG, $(count '^record ' off) with the logger OFF" >&2
  exit 1
fi
echo "OK: what the host observes is the same as at $base: $(count '^test ' debug) tests, $records records," \
  "$fetches session fetches and $(count '^seen ' debug) observations after calls at DEBUG;" \
  "$(count '^seen ' off) observations with the logger OFF"
