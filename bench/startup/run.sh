#!/bin/bash
# SPDX-License-Identifier: MIT
# Times the wizard's start-up against a hello-world Qt Widgets window, side by
# side on Qt's offscreen platform: each program opens the same save file and
# writes its first painted frame to a PNG file. The hello-world window runs
# twice: at its own small size, and at the wizard's window size, so that one
# pair encodes frames of the same size (writing the PNG of the larger frame
# is the largest single cost of both). Prints the median wall time and CPU
# time of each over N alternating runs and the ratios (on a busy machine the
# CPU time is the steadier of the two).
#   bench/startup/run.sh [BUILD_DIR] [N]        (defaults: build, 30)
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${1:-build}
runs=${2:-30}
cmake --build "$build" --target kr761x-startup-hello kr761x-startup-wizard >/dev/null

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
save=docs/pages-example.kcw
wizard=("$build/bench/kr761x-startup-wizard" "$scratch/wizard.png" "$save")

# The wizard's window size, from its frame's PNG header (width and height are
# the big-endian words at bytes 16 and 20).
"${wizard[@]}" 2>/dev/null
read -r width height < <(od -An -j16 -N8 -tu1 "$scratch/wizard.png" |
  awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
hello=("$build/bench/kr761x-startup-hello" "$save" "$scratch/hello.png" "$width" "$height")
small=("$build/bench/kr761x-startup-hello" "$save" "$scratch/small.png")
"${hello[@]}" 2>/dev/null   # warm the file cache for both

# Wall time and CPU time (user + system) of one run, in microseconds.
TIMEFORMAT='%3R %3U %3S'
time_us() {
  local t
  t=$({ time "$@" >/dev/null 2>&1; } 2>&1)
  awk '{printf "%d %d\n", $1 * 1e6, ($2 + $3) * 1e6}' <<<"$t"
}

: >"$scratch/small.us"
: >"$scratch/hello.us"
: >"$scratch/wizard.us"
for ((i = 0; i < runs; i++)); do
  time_us "${small[@]}" >>"$scratch/small.us"
  time_us "${hello[@]}" >>"$scratch/hello.us"
  time_us "${wizard[@]}" >>"$scratch/wizard.us"
done

# median FILE COLUMN
median() { awk -v c="$2" '{print $c}' "$1" | sort -n | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
awk -v sw="$(median "$scratch/small.us" 1)" -v hw="$(median "$scratch/hello.us" 1)" -v ww="$(median "$scratch/wizard.us" 1)" \
    -v sc="$(median "$scratch/small.us" 2)" -v hc="$(median "$scratch/hello.us" 2)" -v wc="$(median "$scratch/wizard.us" 2)" \
    -v n="$runs" -v size="${width}x$height" 'BEGIN {
  printf "first painted frame written to a PNG (offscreen), median of %d runs each;\n", n
  printf "the wizard window is %s\n", size
  printf "                                             wall time   CPU time\n"
  printf "  hello-world window at its own size         %6.1f ms  %6.1f ms\n", sw / 1000, sc / 1000
  printf "  hello-world window at the wizard size      %6.1f ms  %6.1f ms\n", hw / 1000, hc / 1000
  printf "  kr761x wizard                              %6.1f ms  %6.1f ms\n", ww / 1000, wc / 1000
  printf "  ratio wizard / hello-world, same size      %6.2f     %6.2f\n", ww / hw, wc / hc
  printf "  ratio wizard / hello-world, its own size   %6.2f     %6.2f\n", ww / sw, wc / sc
  printf "  ratio hello-world, wizard size / own size  %6.2f     %6.2f\n", hw / sw, hc / sc
}'

# Where the time goes: the median of each stage over a separate set of runs
# (the timed runs above print nothing): the application object, the window
# made and shown (for the wizard: built, shown and the save file opened), the
# wait for its first paint, the grab and the PNG. Not in the table: loading
# the program and its libraries before main, and the end of the process.
stages() {
  local i
  for ((i = 0; i < runs; i++)); do
    KR_STARTUP_STAGES=1 "$@" 2>&1 >/dev/null | grep '^app '
  done | awk '{ for (k = 1; k < NF; k += 2) { name[k] = $k; v[k, NR] = $(k + 1) } n = NR; f = NF }
    END {
      for (k = 1; k < f; k += 2) {
        for (r = 1; r <= n; r++) a[r] = v[k, r]
        # insertion sort of the n values of this stage
        for (r = 2; r <= n; r++) { x = a[r]; j = r - 1; while (j > 0 && a[j] > x) { a[j + 1] = a[j]; j-- } a[j + 1] = x }
        m = n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
        total += m
        printf " %7.1f", m
      }
      printf " %7.1f\n", total
    }'
}
printf "\nstages in main, median ms       app  window   paint    grab     png     sum\n"
printf "  hello-world, its own size  %s" "$(stages "${small[@]}")"; echo
printf "  hello-world, wizard size   %s" "$(stages "${hello[@]}")"; echo
printf "  kr761x wizard              %s" "$(stages "${wizard[@]}")"; echo
