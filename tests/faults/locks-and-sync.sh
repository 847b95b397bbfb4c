#!/bin/sh
# SPDX-License-Identifier: MIT
# Locks, temporary files and durability, on the real programs under strace:
# where the file system keeps no locks, `set` and `generate` go on, say so
# once and leave nothing behind; any other lock failure ends them with the
# system's reason, the files as they were. A temporary file a killed `set`
# left, and a work folder a killed build left, are removed by the next run
# that locks their folder. A save file and KR761x_Main.c are flushed to the
# disk before they are renamed into place, and their folder after.
#
#   locks-and-sync.sh KR761X_GEN KR761X_BUILD SAVEFILE
#
# Exits 77 (skipped) when strace is not installed or cannot trace here.
set -eu
gen=$1
build=$2
save=$3
command -v strace >/dev/null 2>&1 || { echo "strace is not installed"; exit 77; }
strace -qq -o /dev/null true 2>/dev/null || { echo "strace cannot trace here"; exit 77; }
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
left() { [ -z "$(find "$1" -name '.kr761x-*' | head -n 1)" ] || fail "$2: temporary files left"; }
fresh() { rm -rf "$work/d"; mkdir "$work/d"; cp "$save" "$work/d/s.kcw"; }

# Runs the command after the first two arguments with flock failing as $1
# says; $2 names the run. status and $work/err are the outcome.
failing_flock() {
    err=$1 what=$2
    shift 2
    status=0
    timeout 30 strace -f -qq -o /dev/null -e trace=flock -e inject=flock:error="$err" "$@" >/dev/null 2>"$work/err" ||
        status=$?
}

for err in ENOLCK EOPNOTSUPP; do
    fresh
    failing_flock $err "set" "$gen" set "$work/d/s.kcw" DeviceData/pid=0x7C50
    [ $status -eq 0 ] || fail "set under $err: exit $status: $(cat "$work/err")"
    [ "$(grep -c 'cannot be locked' "$work/err")" = 1 ] || fail "set under $err said: $(cat "$work/err")"
    grep -q '<pid>7C50</pid>' "$work/d/s.kcw" || fail "set under $err did not save"
    left "$work/d" "set under $err"
    failing_flock $err "generate" "$gen" generate "$work/d/s.kcw" "$work/d/p"
    [ $status -eq 0 ] || fail "generate under $err: exit $status: $(cat "$work/err")"
    [ "$(grep -c 'cannot be locked' "$work/err")" = 1 ] || fail "generate under $err said: $(cat "$work/err")"
    [ -s "$work/d/p/KR761x_Main.c" ] || fail "generate under $err wrote no project"
    left "$work/d" "generate under $err"
done

fresh
failing_flock EIO "set" "$gen" set "$work/d/s.kcw" DeviceData/pid=0x7C50
[ $status -eq 1 ] && grep -q 'Input/output error' "$work/err" || fail "set under EIO: exit $status: $(cat "$work/err")"
cmp -s "$save" "$work/d/s.kcw" || fail "set under EIO changed the file"
left "$work/d" "set under EIO"
failing_flock EIO "generate" "$gen" generate "$work/d/s.kcw" "$work/d/p"
[ $status -eq 1 ] && grep -q 'Input/output error' "$work/err" || fail "generate under EIO: exit $status: $(cat "$work/err")"
[ ! -e "$work/d/p/KR761x_Main.c" ] || fail "generate under EIO wrote the project"
left "$work/d" "generate under EIO"

# A `set` killed as it renames leaves its temporary file; the next removes it.
fresh
strace -f -qq -o /dev/null -e trace=rename,renameat,renameat2 -e inject=rename,renameat,renameat2:signal=KILL \
    "$gen" set "$work/d/s.kcw" DeviceData/pid=0x7C50 2>/dev/null && fail "set was not killed"
[ -n "$(find "$work/d" -name '.kr761x-*')" ] || fail "the killed set left no temporary file to try"
"$gen" set "$work/d/s.kcw" DeviceData/pid=0x7C51
left "$work/d" "set after a killed set"
# A killed build's work folder goes with the next build, or generation, there.
"$gen" set "$work/d/s.kcw" ProjectData/toolchain=SDCC
"$gen" generate "$work/d/s.kcw" "$work/d/p"
mkdir -p "$work/d/p/.kr761x-build-AbC123/deep"
echo left >"$work/d/p/.kr761x-build-AbC123/deep/s.rel"
PATH=/nonexistent "$build" "$work/d/p" >/dev/null 2>&1 || true
left "$work/d/p" "a build after a killed build"
mkdir -p "$work/d/p/.kr761x-build-XyZ789"
"$gen" generate "$work/d/s.kcw" "$work/d/p"
left "$work/d/p" "a generation after a killed build"

# The temporary file that becomes target was flushed before its rename, and
# a folder was flushed after it.
synced_before_rename() {
    what=$1 target=$2
    shift 2
    strace -f -qq -o "$work/trace" -e trace=openat,fsync,fdatasync,rename,renameat,renameat2 "$@" 2>/dev/null ||
        fail "$what failed"
    awk -v target="\"$target\"" '
        { fd = $0; sub(/.*= /, "", fd); sub(/ .*/, "", fd) }
        /openat\(/ && /O_CREAT/ && match($0, /"\.kr761x-[A-Za-z0-9]+"/) { name[fd] = substr($0, RSTART, RLENGTH) }
        /openat\(/ && /O_DIRECTORY/ { folder[fd] = 1 }
        match($0, /(fsync|fdatasync)\([0-9]+/) {
            n = substr($0, RSTART, RLENGTH); sub(/.*\(/, "", n)
            if (n in name) synced[name[n]] = 1
            if ((n in folder) && renamed) folderSynced = 1
        }
        /rename/ && index($0, target) && match($0, /"\.kr761x-[A-Za-z0-9]+"/) {
            renamed = 1
            if (!(substr($0, RSTART, RLENGTH) in synced)) unsynced = 1
        }
        END { exit !(renamed && !unsynced && folderSynced) }
    ' "$work/trace" || fail "$what: $target was not flushed before its rename, or its folder after"
}
synced_before_rename "set" s.kcw "$gen" set "$work/d/s.kcw" DeviceData/pid=0x7C52
synced_before_rename "generate" KR761x_Main.c "$gen" generate "$work/d/s.kcw" "$work/d/q"

[ $failures -eq 0 ] || exit 1
echo "locks, stale temporary files and flushes hold"
