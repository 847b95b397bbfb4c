#!/bin/bash
# Installs what is missing, builds everything and runs the whole test suite:
# once as a normal build, then again built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Pass --no-sanitizers to skip the second run.
set -euo pipefail
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300
}

if [ "${1:-}" != "--no-sanitizers" ]; then
  echo "== Tests built with AddressSanitizer and UndefinedBehaviorSanitizer =="
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DKR_SANITIZE=ON
fi
echo "== Tests =="
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
