# SPDX-License-Identifier: MIT
# bash completion for kr761x-gen
#
# Commands and their arguments are read from `kr761x-gen --help', so a new
# command completes without a change here. What an argument takes follows
# from its name in the usage: SAVEFILE a save file (*.kcw), a name ending in
# DIR a folder, PROJECT a project folder or its workspace (*.wsp), BUILDER a
# program: a name looked up on PATH, or an executable file by its path,
# PATH=VALUE a field path of the save file named before it (as `show'
# prints them), OUT a save file to write; MODE and FORMAT the words simulate
# takes; BYTES nothing; N the number of cores (the batch's jobs).

# The help's command rows: "NAME ARGUMENTS", one per line.
_kr761x_gen_calls()
{
    "$1" --help 2>/dev/null | awk '
        /^Commands:/ { rows = 1; next }
        /^$/ { rows = 0 }
        rows && /^  [a-z]/ { sub(/^  /, ""); sub(/  +.*/, ""); print }'
}

# Completes the current word as a program to run, as the batch finds it: a
# word without '/' is a name looked up on PATH, so the programs there (not
# the shell's own functions, aliases or builtins) and the folders here that
# lead to a path; a word with '/' is a path, so executable files and folders.
_kr761x_gen_program()
{
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    if [[ $cur == */* ]]; then
        COMPREPLY=($(compgen -c -- "$cur"))
        return
    fi
    local name
    local -A seen=()
    for name in $(compgen -c -- "$cur"); do
        if [[ -z ${seen[$name]+set} ]] && type -P -- "$name" >/dev/null; then
            seen[$name]=1
            COMPREPLY+=("$name")
        fi
    done
    COMPREPLY+=($(compgen -d -- "$cur"))
}

# Completes the current word as a field path of the save file $2, followed
# by '='; the paths are those `show' prints.
_kr761x_gen_field()
{
    [[ $cur == *=* || ! -f $2 ]] && return
    compopt -o nospace 2>/dev/null
    local paths
    paths=$("$1" show "$2" 2>/dev/null | sed 's/ = .*/=/')
    COMPREPLY=($(compgen -W "$paths" -- "$cur"))
}

# Completes the current word as the argument named $1.
_kr761x_gen_argument()
{
    case $1 in
        SAVEFILE* | OUT) _filedir kcw ;;
        PATH=VALUE) _kr761x_gen_field "${words[0]}" "${words[2]}" ;;
        *DIR) _filedir -d ;;
        PROJECT* | WORKSPACE*) _filedir wsp ;;
        BUILDER) _kr761x_gen_program ;;
        MODE) COMPREPLY=($(compgen -W "mouse touch multitouch pen multipen" -- "$cur")) ;;
        FORMAT) COMPREPLY=($(compgen -W "text csv json" -- "$cur")) ;;
        BYTES) ;;
        N) COMPREPLY=($(compgen -W "$(nproc 2>/dev/null)" -- "$cur")) ;;
        *) _filedir ;;
    esac
}

_kr761x_gen()
{
    local cur prev words cword
    _init_completion || return

    local calls
    calls=$(_kr761x_gen_calls "$1")

    if ((cword == 1)); then
        local names
        names=$(awk '{ print $1 }' <<<"$calls")
        COMPREPLY=($(compgen -W "$names --help --version" -- "$cur"))
        return
    fi

    local command=${words[1]} call
    call=$(awk -v name="$command" '$1 == name' <<<"$calls")
    [[ -n $call ]] || return

    # Positional names and options of the command, e.g. for
    # "batch INDIR OUTDIR [--build BUILDER]": INDIR OUTDIR, and --build
    # taking BUILDER ("[-o OUT]" alike); "[--layout]" is an option that
    # takes nothing. A name
    # ending in "..." takes any number of words.
    local -a positional=() options=()
    local -A option_argument=()
    local word raw pending=
    for raw in ${call#* }; do
        word=${raw//[\[\]]/}
        if [[ -n $pending ]]; then
            option_argument[$pending]=$word
            pending=
        elif [[ $word == -* ]]; then
            options+=("$word")
            [[ $raw == *\] ]] || pending=$word
        else
            positional+=("$word")
        fi
    done

    # The short form of --jobs takes its value too.
    [[ -n ${option_argument[--jobs]+set} ]] && option_argument[-j]=${option_argument[--jobs]}

    if [[ -n ${option_argument[$prev]+set} ]]; then
        _kr761x_gen_argument "${option_argument[$prev]}"
        return
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "${options[*]} --help" -- "$cur"))
        return
    fi

    # Which positional argument the current word is: count the words before
    # it that are neither options nor their values.
    local i index=0
    for ((i = 2; i < cword; i++)); do
        if [[ -n ${option_argument[${words[i]}]+set} ]]; then
            ((i++))
        elif [[ ${words[i]} != -* ]]; then
            ((index++))
        fi
    done
    local count=${#positional[@]}
    ((count > 0)) || return
    if ((index >= count)); then
        [[ ${positional[count - 1]} == *... ]] || return
        index=$((count - 1))
    fi
    _kr761x_gen_argument "${positional[index]%...}"
}

complete -F _kr761x_gen kr761x-gen
