#!/bin/bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the programs and starts the wizard, with an
# optional save file to open. Without a display it says how to use the
# command-line front end instead.
set -euo pipefail
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" >/dev/null

wizard=build/ui/kr761x-wizard
gen=build/cli/kr761x-gen
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the wizard cannot open a window."
  echo "Use the command-line front end instead:"
  echo "  $gen --help"
  exit 1
fi
exec "$wizard" "$@"
