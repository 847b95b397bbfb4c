#!/bin/bash
# SPDX-License-Identifier: MIT
# The menu entry and the AppStream metadata as the desktop's own checkers
# read them.
#   desktop-metadata.sh DESKTOP_FILE METAINFO_FILE
set -uo pipefail
if ! command -v desktop-file-validate >/dev/null || ! command -v appstreamcli >/dev/null; then
  echo "desktop-file-validate or appstreamcli is not installed; skipped"
  exit 77
fi
status=0
desktop-file-validate "$1" || status=1
appstreamcli validate --no-net --pedantic "$2" || status=1
exit $status
