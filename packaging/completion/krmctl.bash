# bash completion for krmctl.
# The options, the commands and their arguments are read from `krmctl --help`, so a new option or command
# completes without a change here. An argument named FILE or PATCHFILE completes file names.

# Prints the help's options and commands, one a line:
#   option --trace FILE          option --simulate =R210B|R230B          option --help
#   command inspect FILE [--variant V] [--json]
_krmctl_help() {
    "$1" --help 2>/dev/null | awk '
        /^Options:/  { part = "option"; next }
        /^Commands:/ { part = "command"; next }
        /^$/         { part = "" }
        part == "option" && /^  --/ {
            line = substr($0, 3); sub(/  .*/, "", line)
            n = split(line, names, ", ")
            for (i = 1; i <= n; i++) {
                name = names[i]; value = ""
                if (match(name, /\[=.*\]$/)) { value = substr(name, RSTART + 1, RLENGTH - 2); name = substr(name, 1, RSTART - 1) }
                else if (match(name, / .*/)) { value = substr(name, RSTART + 1); name = substr(name, 1, RSTART - 1) }
                print "option " name (value == "" ? "" : " " value)
            }
        }
        part == "command" && /^  [a-z]/ { line = substr($0, 3); sub(/  .*/, "", line); print "command " line }'
}

_krmctl() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local file_argument='^(PATCH)?FILE$' i word entry command="" synopsis=""
    local -a help options=() valued=() commands=()
    COMPREPLY=()
    mapfile -t help < <(_krmctl_help "${COMP_WORDS[0]}")
    for entry in "${help[@]}"; do
        read -r -a word <<<"$entry"
        case ${word[0]}:${word[2]:-} in
            option:=*) options+=("${word[1]}" "${word[1]}=") ;;
            option:) options+=("${word[1]}") ;;
            option:*) options+=("${word[1]}") valued+=("${word[1]} ${word[2]}") ;;
            command:*) commands+=("${word[1]}") ;;
        esac
    done

    # "--simulate=R2": bash splits at the '=' into "--simulate" "=" "R2".
    local inline=""
    if [[ $cur == = ]]; then
        inline=$prev cur=""
    elif [[ $prev == = ]]; then
        inline=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    if [[ -n $inline ]]; then
        for entry in "${help[@]}"; do
            if [[ $entry == "option $inline ="* ]]; then
                entry=${entry#* =}
                mapfile -t COMPREPLY < <(compgen -W "${entry//|/ }" -- "$cur")
            fi
        done
        return
    fi

    # The value of an option: of a global one (its argument name says what it is), or of a command's.
    for entry in "${valued[@]}"; do
        if [[ $prev == "${entry%% *}" ]]; then
            if [[ ${entry#* } =~ $file_argument ]]; then
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
                compopt -o filenames 2>/dev/null
            fi
            return
        fi
    done

    # The command is the first word that is neither an option nor an option's value.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == -* || $word == = || ${COMP_WORDS[i - 1]} == = ]]; then
            for entry in "${valued[@]}"; do [[ $word == "${entry%% *}" ]] && ((i++)); done
            continue
        fi
        command=$word
        break
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "${options[*]}" -- "$cur")
            [[ ${#COMPREPLY[@]} == 1 && ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
        else
            mapfile -t COMPREPLY < <(compgen -W "${commands[*]}" -- "$cur")
        fi
        return
    fi

    for entry in "${help[@]}"; do
        [[ $entry == "command $command" || $entry == "command $command "* ]] && synopsis=${entry#"command $command"}
    done
    read -r -a word <<<"${synopsis//[][]/ }"
    for ((i = 0; i < ${#word[@]}; i++)); do
        # "--variant V": the chip variant; "--rules FILE": file names; another option's value completes
        # nothing.
        if [[ $prev == "${word[i]}" && $prev == --* && ${word[i + 1]:-} =~ ^[A-Z] ]]; then
            if [[ $prev == --variant ]]; then
                mapfile -t COMPREPLY < <(compgen -W "R210B R230B" -- "$cur")
            elif [[ ${word[i + 1]} =~ $file_argument ]]; then
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
                compopt -o filenames 2>/dev/null
            fi
            return
        fi
    done
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(printf '%s\n' "${word[@]}" | grep -- '^--')" -- "$cur")
    elif [[ $synopsis =~ ([0-9](\|[0-9])+) ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${BASH_REMATCH[1]//|/ }" -- "$cur")
    else
        for entry in "${word[@]}"; do
            if [[ $entry =~ $file_argument ]]; then
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
                compopt -o filenames 2>/dev/null
                return
            fi
        done
    fi
}

complete -F _krmctl krmctl
