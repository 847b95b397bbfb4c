#!/bin/sh
# SPDX-License-Identifier: MIT
# Generation under faults, injected with strace into the real program: a kill
# at each write and at each rename of a regeneration, and a full disk at each
# write. After every fault each file under a final name is whole, old or new;
# a kill at a write leaves the project entirely old or entirely new, a kill
# at a rename leaves the files not yet renamed old. The next generation
# removes the temporary files left behind and writes the new project.
#
#   kill-at-each-write.sh KR761X_GEN SAVEFILE
#
# Exits 77 (skipped) when strace is not installed or cannot trace here.
set -eu
gen=$1
save=$2
command -v strace >/dev/null 2>&1 || { echo "strace is not installed"; exit 77; }
strace -qq -o /dev/null true 2>/dev/null || { echo "strace cannot trace here"; exit 77; }
# A sanitizer build's leak check cannot run under a tracer. A sanitizer
# that trips over an injected fault of its own reports it unsymbolised: the
# symboliser it would start hangs the traced program instead.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0:symbolize=0"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$save" "$work/old.kcw"
# Another configuration: another vendor id.
sed 's|<vid>[0-9A-Fa-f]*</vid>|<vid>BEEF</vid>|' "$save" >"$work/new.kcw"
cmp -s "$work/old.kcw" "$work/new.kcw" && { echo "the save file has no vendor id to change"; exit 1; }

# The old project, with user code the new files have no place for, so a
# regeneration keeps a copy of KR761x_Main.c beside it too.
# Both are made in the folder the runs use, since the workspace names it.
"$gen" generate "$work/old.kcw" "$work/p"
printf '//! BEGIN user code: mine\r\nmine();\r\n//! END user code: mine\r\n' >>"$work/p/KR761x_Main.c"
cp -a "$work/p" "$work/old"
"$gen" generate "$work/new.kcw" "$work/p" 2>/dev/null
cp -a "$work/p" "$work/new"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Every file under a final name is whole: old or new. With whole=yes the
# project is entirely old or entirely new (a write after the last rename is
# standard error's).
same_as() {
    [ "$(cd "$work/p" && ls)" = "$(cd "$1" && ls)" ] || return 1
    for f in "$1"/*; do cmp -s "$f" "$work/p/${f##*/}" || return 1; done
}
check() {
    what=$1 whole=$2
    if [ "$whole" = yes ]; then
        same_as "$work/old" || same_as "$work/new" || fail "$what: the project is neither old nor new"
    fi
    for f in "$work/p"/* ; do
        name=${f##*/}
        if ! cmp -s "$f" "$work/old/$name" 2>/dev/null && ! cmp -s "$f" "$work/new/$name" 2>/dev/null; then
            fail "$what: $name is neither old nor new"
        fi
    done
}

# Runs the regeneration with strace's injection $2 on system call $1 at its
# n-th call, for n = 1, 2, ... until a run is not hit.
sweep() {
    call=$1 inject=$2 whole=$3
    n=1
    while :; do
        rm -rf "$work/p"
        cp -a "$work/old" "$work/p"
        status=0
        strace -f -qq -o /dev/null -e trace="$call" -e inject="$call:$inject:when=$n" \
            "$gen" generate "$work/new.kcw" "$work/p" >"$work/out" 2>&1 || status=$?
        # A sanitizer's own probing write is not one of ours; it has no
        # answer for a full disk. g++'s runtime names itself SanitizerTool,
        # clang's the sanitizer whose check failed.
        if grep -Eq '^SanitizerTool|Sanitizer: CHECK failed' "$work/out"; then n=$((n + 1)); continue; fi
        [ $status -eq 0 ] && break
        check "$call $inject #$n" "$whole"
        case $inject in error=ENOSPC)
            grep -q 'No space left on device' "$work/out" || fail "$call #$n: no reason given"
            ls -A "$work/p" | grep -q '^\.kr761x-' && fail "$call #$n: temporary files left after a failure"
        esac
        # The next run tidies up and writes the new project.
        "$gen" generate "$work/new.kcw" "$work/p" 2>/dev/null || fail "$call #$n: the next run failed"
        ls -A "$work/p" | grep -q '^\.kr761x-' && fail "$call #$n: temporary files not removed"
        for f in "$work/new"/*; do
            cmp -s "$f" "$work/p/${f##*/}" || fail "$call #$n: ${f##*/} is not new after the next run"
        done
        n=$((n + 1))
        [ $n -gt 200 ] && { fail "$call: more than 200 calls"; break; }
    done
    echo "$call $inject: $((n - 1)) runs hit"
    [ $n -gt 1 ] || fail "$call $inject: no run was hit"
}

sweep write signal=KILL yes
sweep renameat signal=KILL no
sweep write error=ENOSPC yes

[ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all faults left whole files"
