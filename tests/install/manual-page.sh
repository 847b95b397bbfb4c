#!/bin/bash
# SPDX-License-Identifier: MIT
# A program's manual page against its --help, which the command line writes
# from each command's declared parameters: the page formats without
# warnings, and lists the same commands (with the same arguments) and the same
# options as the help does; each command's paragraph names every option
# `PROGRAM COMMAND --help' lists, and no long option the command lacks; a
# program of one command shows its usage line as its synopsis.
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

# The rows of a help section ("Commands:", "Options:") of standard input, or
# of the program's help: the left column.
help_rows_of() {
  awk -v section="$1" '
    $0 == section { rows = 1; next }
    /^[^ ]/ || /^$/ { rows = 0 }
    rows && /^  [^ ]/ { sub(/^  /, ""); sub(/  +.*/, ""); print }'
}
help_rows() { help_rows_of "$1" <<<"$help"; }
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
# Where the help has an option table, the page's OPTIONS are its options.
if grep -qx "Options:" <<<"$help"; then
  compare "Options" "$(help_rows "Options:" | option_names)" "$(page_tags "OPTIONS" | option_names)"
fi

# The paragraph of each command under COMMANDS in the page's source, as
# "NAME<TAB>TEXT" with "\-" read as "-".
command_paragraphs() {
  sed 's/\\-/-/g' "$page" | awk '
    /^\.SH / { commands = ($0 == ".SH COMMANDS"); next }
    !commands { next }
    /^\.TP/ { tag = 1; next }
    tag { sub(/^\.[A-Z]+ +/, ""); name = $1; tag = 0 }
    { text[name] = text[name] " " $0 }
    END { for (name in text) print name "\t" text[name] }'
}
paragraphs=$(command_paragraphs)
while read -r name; do
  declared=$("$program" "$name" --help | help_rows_of "Options:" | option_names | grep -vx -- --help)
  paragraph=$(awk -F '\t' -v name="$name" '$1 == name { print $2 }' <<<"$paragraphs")
  for option in $declared; do
    grep -qE -- "(^|[^-a-z])$option([^-a-z]|\$)" <<<"$paragraph" ||
      { echo "$page does not describe $option of $name"; failures=1; }
  done
  for option in $(grep -oE -- "--[a-z][-a-z]*" <<<"$paragraph" | LC_ALL=C sort -u); do
    grep -qx -- "$option" <<<"$declared" || { echo "$page gives $name an option $option it does not take"; failures=1; }
  done
done < <(help_rows "Commands:" | awk '{ print $1 }')

# A usage line of the command line's own (the wizard's help is Qt's).
usage=$(head -1 <<<"$help")
if [[ $usage == "usage: "* ]] && ! grep -qx "Commands:" <<<"$help"; then
  synopsis=$(awk '$0 == "SYNOPSIS" { getline; sub(/^ +/, ""); print; exit }' <<<"$text")
  compare "Usage" "${usage#usage: }" "$synopsis"
fi

for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES EXAMPLES; do
  grep -qx "$section" <<<"$text" || { echo "$page has no $section section"; failures=1; }
done
exit $failures
