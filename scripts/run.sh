#!/bin/bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the programs and starts the wizard, with an
# optional save file to open. Without a display it says how to use the
# command-line front end instead.
#
# Only what it starts is built: the wizard and the two command-line programs
# it may run (kr761x-gen, and kr761x-build as the batch's builder), not the
# tests, benchmarks or fuzz programs. They live in build-run/, a folder of
# their own, so this script and scripts/test.sh never reconfigure each
# other's build; a second start reuses it and builds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"

dir=build-run
configure=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKR_BUILD_TESTS=OFF
  # Line tables are all a crash report needs; full debug information would
  # cost a fifth of the compile time.
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
  # The wizard's library compiles through a precompiled header, which ccache
  # caches only when told that the header's macros and times do not matter.
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
  configure+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

if [ ! -f "$dir/build.ninja" ]; then
  echo "Configuring the build in $dir/ ..."
  cmake -S . -B "$dir" "${configure[@]}" >/dev/null
fi
# Ninja shows its progress ([done/total] and the file at hand) on a terminal.
echo "Building the wizard and the command-line programs in $dir/ ..."
cmake --build "$dir" -j "$(nproc)" --target kr761x-wizard kr761x-gen kr761x-build

wizard=$dir/ui/kr761x-wizard
gen=$dir/cli/kr761x-gen
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the wizard cannot open a window."
  echo "Use the command-line front end instead:"
  echo "  $gen --help"
  exit 1
fi
exec "$wizard" "$@"
