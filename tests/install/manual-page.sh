#!/bin/bash
# SPDX-License-Identifier: MIT
# A program's manual page against its --help: the page formats without
# warnings, and lists the same commands (with the same arguments) and the same
# options as the help does.
#   manual-page.sh PROGRAM PAGE
set -uo pipefail
program=$1
page=$2
if ! command -v groff >/dev/null; then
  echo "groff is not installed; skipped"
  exit 77
fi

warnings=$(groff -man -Tascii -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
  echo "$page formats with warnings:"
  echo "$warnings"
  exit 1
fi
text=$(groff -man -Tascii -P-cbou "$page")
# Without a display the wizard still answers --help.
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help) || exit 1

# The rows of a help section ("Commands:", "Options:"): the left column.
help_rows() {
  awk -v section="$1" '
    $0 == section { rows = 1; next }
    /^[^ ]/ || /^$/ { rows = 0 }
    rows && /^  [^ ]/ { sub(/^  /, ""); sub(/  +.*/, ""); print }' <<<"$help"
}
# The tags of a page section ("COMMANDS", "OPTIONS").
page_tags() {
  awk -v section="$1" '
    $0 == section { tags = 1; next }
    /^[^ ]/ { tags = 0 }
    tags && /^       [^ ]/ { sub(/^ +/, ""); sub(/  +.*/, ""); print }' <<<"$text"
}
# Option names of rows or tags such as "-h, --help".
option_names() { grep -o -- "-[-a-z]*" | LC_ALL=C sort; }

failures=0
compare() {
  if [ "$2" != "$3" ]; then
    echo "$1 of --help:"; echo "$2"
    echo "$1 of $page:"; echo "$3"
    failures=1
  fi
}
compare "Commands" "$(help_rows "Commands:" | LC_ALL=C sort)" "$(page_tags "COMMANDS" | LC_ALL=C sort)"
# A program whose help has no option table (kr761x-build prints a usage
# paragraph) is compared by its commands and sections only.
if grep -qx "Options:" <<<"$help"; then
  compare "Options" "$(help_rows "Options:" | option_names)" "$(page_tags "OPTIONS" | option_names)"
fi
for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES EXAMPLES; do
  grep -qx "$section" <<<"$text" || { echo "$page has no $section section"; failures=1; }
done
exit $failures
