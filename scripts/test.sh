#!/bin/bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds everything and runs the whole test suite:
# once built with clang, AddressSanitizer and UndefinedBehaviorSanitizer (the
# same build also makes the libFuzzer programs), then as a normal build with
# g++; then the batch tests alone built with ThreadSanitizer (only what they
# need is compiled); then fuzzes each fuzz target briefly from the sanitizer
# build, the three at once, KR_FUZZ_SECONDS each (default 60). Pass
# --no-sanitizers to skip the sanitizer builds and the fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"

jobs=$(nproc)

# With ccache, a build reuses what an earlier build of the same sources
# compiled. Paths count relative to this tree and the working folder is not
# hashed, so a fresh clone of the same commit hits what another one cached.
configure=(-G Ninja)
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
  # The wizard's library compiles through a precompiled header, which ccache
  # caches only when told that the header's macros and times do not matter.
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
  configure+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Each build compiles a target's sources in batches, as one source each
# (a unity build): the headers every source includes are read once per
# batch instead of once per source: the core's libraries compile in less
# than half the time.
# scripts/run.sh still compiles each source on its own, so a source that
# misses an #include shows there.
configure+=(-DCMAKE_UNITY_BUILD=ON)

# lld links a sanitizer build's programs in a quarter of the time the
# default linker takes.
if command -v ld.lld >/dev/null; then
  configure+=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
fi

# Line tables are all the debug information a sanitizer's report or a
# failing test needs; full debug information would cost a fifth of the
# compile time of each build.
# The sanitizer build is not optimised: clang compiles it in less than half
# the time -O1 takes, which outweighs the slower run of its tests and fuzz
# programs.
debug_info=("-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g1" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
configure+=("${debug_info[@]}")

# How long each stage took, for whoever keeps the run short.
stage_start=$SECONDS
stage_done() {
  echo "-- $1 took $((SECONDS - stage_start)) s"
  stage_start=$SECONDS
}

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" "${configure[@]}" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300
}

# What the test programs' cases came to, from the log of the last ctest run:
# where each program ran whole, its cases are not counted as tests.
report_cases() {
  local log=$1/Testing/Temporary/LastTest.log
  local passed skipped
  passed=$(grep -ho '^\[  PASSED  \] [0-9]* test' "$log" | awk '{n += $4} END {print n + 0}' || true)
  skipped=$(grep -ho '^\[  SKIPPED \] [0-9]* test' "$log" | awk '{n += $4} END {print n + 0}' || true)
  echo "The test programs ran $((passed + skipped)) cases: $passed passed, $skipped skipped"
}

# The batch runs its files on several threads: its tests, with the worker
# and the builders they start, under ThreadSanitizer.
tsan_batch() {
  # Unoptimised, like the sanitizer build.
  cmake -S . -B build-tsan "${configure[@]}" -DCMAKE_BUILD_TYPE=Debug -DKR_TSAN=ON >/dev/null
  cmake --build build-tsan -j "$jobs" --target test_batch
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build-tsan/tests/test_batch
}

# Each target fuzzes from its seed corpus plus what earlier runs kept in
# build-asan/fuzz/work/; an input that breaks a property is written to
# build-asan/fuzz/artifacts/ and the end of that target's log is shown.
# The sanitizer suite's build made the fuzz programs already.
fuzz_briefly() {
  local seconds=${KR_FUZZ_SECONDS:-60}
  local dir=build-asan/fuzz
  cmake --build build-asan -j "$jobs" --target kr761x-fuzz
  mkdir -p "$dir/artifacts"
  local target pids=() failed=0
  for target in template savefile hid; do
    mkdir -p "$dir/work/$target"
    # Save files reach the loader's size cap (1 MiB) and a little beyond.
    local max_len=()
    [ "$target" = savefile ] && max_len=(-max_len=1100000)
    "$dir/kr761x-fuzz-$target" "${max_len[@]}" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -dict="$dir/corpus/$target.dict" -artifact_prefix="$dir/artifacts/$target-" \
      "$dir/work/$target" "$dir/corpus/$target" >"$dir/$target.log" 2>&1 &
    pids+=($!)
  done
  local i=0
  for target in template savefile hid; do
    if wait "${pids[$i]}"; then
      echo "$target: $(grep -m1 '^stat::number_of_executed_units' "$dir/$target.log" | sed 's/.*: *//') runs, no failure"
    else
      echo "$target: FAILED; the end of $dir/$target.log:"
      tail -n 40 "$dir/$target.log"
      failed=1
    fi
    i=$((i + 1))
  done
  return $failed
}

if [ "${1:-}" != "--no-sanitizers" ]; then
  echo "== Tests built with clang, AddressSanitizer and UndefinedBehaviorSanitizer =="
  # Each test program runs as two processes rather than one per case, and
  # the benchmarks, which no test runs, are left to the normal build.
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DKR_SANITIZE=ON -DKR_FUZZ=ON \
    -DKR_TEST_PER_PROGRAM=ON -DKR_BUILD_BENCHMARKS=OFF
  report_cases build-asan
  stage_done "The sanitizer suite"
fi
echo "== Tests =="
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
report_cases build
stage_done "The suite"
if [ "${1:-}" != "--no-sanitizers" ]; then
  echo "== Batch tests built with ThreadSanitizer =="
  tsan_batch
  stage_done "The ThreadSanitizer batch tests"
  echo "== Fuzzing (clang, AddressSanitizer, UndefinedBehaviorSanitizer) =="
  fuzz_briefly
  stage_done "Fuzzing"
fi
