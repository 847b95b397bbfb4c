# SPDX-License-Identifier: MIT
# bash completion for kr761x-gen
#
# The commands are read from `kr761x-gen --help', each command's arguments and
# options from `kr761x-gen COMMAND --help': the tables the program writes from
# each command's own declaration, so a new command or option completes
# without a change here. What an argument takes follows from its name in the
# usage: SAVEFILE a save file (*.kcw), a name ending in DIR a folder, PROJECT
# a project folder or its workspace (*.wsp), BUILDER a program: a name looked
# up on PATH, or an executable file by its path, PATH=VALUE a field path of
# the save file named before it (as `show' prints them), OUT a save file to
# write; MODE and FORMAT the words simulate (or test) takes, NAME the hosts
# hosts judges, WORD|WORD one of the words shown; BYTES and INSTRUCTIONS
# nothing; N the number of cores (the batch's jobs).

# The left column of the rows of table $1 ("Commands:", "Arguments:",
# "Options:") of the help on standard input, one per line.
_kr761x_gen_rows()
{
    awk -v table="$1" '
        $0 == table { rows = 1; next }
        /^$/ { rows = 0 }
        rows && /^  [^ ]/ { sub(/^  /, ""); sub(/  +.*/, ""); print }'
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

# Completes the current word as the argument named $1; first_argument is
# the command's first argument before it.
_kr761x_gen_argument()
{
    case $1 in
        SAVEFILE* | OUT) _filedir kcw ;;
        PATH=VALUE) _kr761x_gen_field "${words[0]}" "$first_argument" ;;
        *DIR) _filedir -d ;;
        PROJECT* | WORKSPACE*) _filedir wsp ;;
        BUILDER) _kr761x_gen_program ;;
        MODE) COMPREPLY=($(compgen -W "mouse touch multitouch pen multipen" -- "$cur")) ;;
        FORMAT)
            if [[ ${words[1]} == test ]]; then
                COMPREPLY=($(compgen -W "text junit" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "text csv json" -- "$cur"))
            fi
            ;;
        NAME) COMPREPLY=($(compgen -W "Windows Linux Android macOS" -- "$cur")) ;;
        *'|'*) COMPREPLY=($(compgen -W "${1//|/ }" -- "$cur")) ;;
        BYTES | INSTRUCTIONS) ;;
        N) COMPREPLY=($(compgen -W "$(nproc 2>/dev/null)" -- "$cur")) ;;
        *) _filedir ;;
    esac
}

_kr761x_gen()
{
    local cur prev words cword
    _init_completion || return

    if ((cword == 1)); then
        local names
        names=$("$1" --help 2>/dev/null | _kr761x_gen_rows "Commands:" | awk '{ print $1 }')
        COMPREPLY=($(compgen -W "$names --help --version" -- "$cur"))
        return
    fi

    local command=${words[1]} help
    [[ $command != -* ]] && help=$("$1" "$command" --help 2>/dev/null) || return

    # The command's arguments in order ("[NAME]" one that may be left out,
    # "NAME..." one that takes any number of words), and its options with
    # the value each takes: "-j, --jobs N" is -j and --jobs taking N,
    # "--layout" an option that takes nothing.
    local -a positional=() options=()
    local -A option_argument=()
    local row name value
    while IFS= read -r row; do
        positional+=("${row//[\[\]]/}")
    done < <(_kr761x_gen_rows "Arguments:" <<<"$help")
    while IFS= read -r row; do
        value=${row##* }
        [[ $value == -* ]] && value=
        for name in ${row//,/}; do
            [[ $name == -* ]] || continue
            options+=("$name")
            [[ -n $value ]] && option_argument[$name]=$value
        done
    done < <(_kr761x_gen_rows "Options:" <<<"$help")

    # Which positional argument the current word is: count the words before
    # it that are neither options nor their values; after "--" every word is
    # an argument.
    local i index=0 ended= first_argument=
    for ((i = 2; i < cword; i++)); do
        if [[ -z $ended && ${words[i]} == -- ]]; then
            ended=1
        elif [[ -z $ended && -n ${option_argument[${words[i]}]+set} ]]; then
            ((i++))
        elif [[ -n $ended || ${words[i]} == - || ${words[i]} != -* ]]; then
            ((index++ == 0)) && first_argument=${words[i]}
        fi
    done

    if [[ -z $ended && -n ${option_argument[$prev]+set} ]]; then
        _kr761x_gen_argument "${option_argument[$prev]}"
        return
    fi
    if [[ -z $ended && $cur == -* ]]; then
        COMPREPLY=($(compgen -W "${options[*]}" -- "$cur"))
        return
    fi
    local count=${#positional[@]}
    ((count > 0)) || return
    if ((index >= count)); then
        [[ ${positional[count - 1]} == *... ]] || return
        index=$((count - 1))
    fi
    _kr761x_gen_argument "${positional[index]%...}"
}

complete -F _kr761x_gen kr761x-gen
