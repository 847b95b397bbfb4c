#!/bin/bash
# SPDX-License-Identifier: MIT
# Tab completion of kr761x-gen as bash-completion runs it, in a folder with a
# save file (the default one), another file and a sub-folder. Each row: the command line up to
# the cursor, then the expected completions (sorted, space-separated).
# The commands come from the program's help, each command's arguments and
# options from its own help.
#   completion.sh COMPLETION_SCRIPT PROGRAM SAVEFILE
set -uo pipefail
script=$(realpath "$1")
program=$2
if [ ! -f /usr/share/bash-completion/bash_completion ]; then
  echo "bash-completion is not installed; skipped"
  exit 77
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/bin" "$scratch/work/sub"
ln -s "$(realpath "$program")" "$scratch/bin/kr761x-gen"
cp "$3" "$scratch/work/panel.kcw"
touch "$scratch/work/notes.txt" "$scratch/work/build.sh" "$scratch/work/KR761x_SDCC.wsp"
# Programs for --build: on PATH by name, here by path; only executable files.
touch "$scratch/bin/krtest-builder" "$scratch/bin/krtest-notes"
chmod +x "$scratch/bin/krtest-builder" "$scratch/work/build.sh"

complete_line() {
  # shellcheck disable=SC1090,SC1091
  PATH="$scratch/bin:$PATH" bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    COMP_LINE=$2
    COMP_POINT=${#COMP_LINE}
    read -r -a COMP_WORDS <<<"$COMP_LINE"
    [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _kr761x_gen kr761x-gen "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd " "' _ "$script" "$1"
}

failures=0
check() {
  local got
  got=$(cd "$scratch/work" && complete_line "$1")
  if [ "$got" != "$2" ]; then
    echo "'$1': expected '$2', got '$got'"
    failures=$((failures + 1))
  fi
}

commands=$("$program" --help | awk '/^Commands:/ {r = 1; next} /^$/ {r = 0} r {print $1}' | LC_ALL=C sort | paste -sd " ")
check "kr761x-gen "                    "--help --version $commands"
check "kr761x-gen ge"                  "generate"
check "kr761x-gen --v"                 "--version"
check "kr761x-gen generate "           "panel.kcw sub"
check "kr761x-gen generate panel.kcw " "sub"
check "kr761x-gen generate a b "       ""
check "kr761x-gen describe p"          "panel.kcw"
check "kr761x-gen describe --layout p" "panel.kcw"
check "kr761x-gen describe --"         "--help --layout"
check "kr761x-gen check panel.kcw p"   "panel.kcw"
check "kr761x-gen batch "              "sub"
check "kr761x-gen batch --build krtest" "krtest-builder"
check "kr761x-gen batch --build _kr761x" ""
check "kr761x-gen batch --build ./"    "./build.sh ./sub"
check "kr761x-gen batch in --build b.sh " "sub"
check "kr761x-gen batch in --"         "--build --help --jobs"
check "kr761x-gen batch in -j "       "$(nproc)"
check "kr761x-gen nosuch "             ""
check "kr761x-gen build "              "KR761x_SDCC.wsp sub"
check "kr761x-gen set panel.kcw PenData/bP" "PenData/bPen= PenData/bPressure="
check "kr761x-gen set panel.kcw ScreenData/width_px=9 ScreenData/h" "ScreenData/height_mm= ScreenData/height_px="
check "kr761x-gen set notes.txt Pen"   ""
check "kr761x-gen set -o x.kcw panel.kcw PenData/bP" "PenData/bPen= PenData/bPressure="
check "kr761x-gen set panel.kcw -o "   "panel.kcw sub"
check "kr761x-gen diff panel.kcw p"    "panel.kcw"
check "kr761x-gen simulate --"         "--budget --format --help --mode --no-vectors --reports --script"
check "kr761x-gen simulate --budget 9 " "KR761x_SDCC.wsp sub"
check "kr761x-gen simulate --format "  "csv json text"
check "kr761x-gen test --format "      "junit text"
check "kr761x-gen simulate --budget "  ""
check "kr761x-gen hosts --host "       "Android Linux Windows macOS"
check "kr761x-gen hosts --host Linux --format " "json text"
check "kr761x-gen hosts --host Linux p" "panel.kcw"
check "kr761x-gen batch in -"          "--build --help --jobs -j"
check "kr761x-gen generate -- --x "    "sub"
check "kr761x-gen generate -- -"       ""
exit $((failures > 0))
