#!/bin/bash
# SPDX-License-Identifier: MIT
# Installs every Debian package the project needs to build, test and run.
# Idempotent: prints nothing and changes nothing when all are present.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev
  qt6-base-dev fonts-dejavu-core
  libxml2-dev libxslt1-dev
  # Unicode case folding and normalisation of file names
  libunistring-dev
  sdcc sdcc-ucsim make
  # Debian packages, manual pages, completion and desktop metadata, and
  # the tests that check them
  dpkg-dev lintian desktop-file-utils appstream groff-base bash-completion
  # faults injected into the real program: a kill or a full disk at each write
  strace
  # fuzzing: the compiler, libFuzzer and sanitizer runtimes, the symbolizer
  clang libclang-rt-14-dev llvm
  # the layout check of every C++ source
  clang-format
  # builds reuse what an earlier build of the same sources compiled
  ccache
  # a linker four times as fast as the default one, for the test builds
  lld
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run this script as root (or install them with apt-get) first." >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
