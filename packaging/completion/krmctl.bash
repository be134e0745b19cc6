# bash completion for krmctl.
# The commands, their options and which of them take a file (FILE or PATCHFILE in the synopsis) are read
# from `krmctl --help`, so a new command completes without a change here.

# Prints one line per command: its name, then the words of its synopsis ("inspect FILE [--variant V]").
_krmctl_commands() {
    "$1" --help 2>/dev/null | awk '
        /^Commands:/ { on = 1; next }
        on && /^$/   { exit }
        on && /^  [a-z]/ { head = substr($0, 3); sub(/   .*/, "", head); print head }'
}

_krmctl() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local program=${COMP_WORDS[0]} i word command="" synopsis=""
    local file_argument='(^|[ [])(PATCH)?FILE([] ]|$)'
    COMPREPLY=()

    # "--simulate=R2": bash splits at the '=' into "--simulate" "=" "R2".
    if [[ $cur == = && $prev == --simulate ]]; then
        COMPREPLY=(R210B R230B)
        return
    fi
    if [[ $prev == = && ${COMP_WORDS[COMP_CWORD - 2]} == --simulate ]]; then
        mapfile -t COMPREPLY < <(compgen -W "R210B R230B" -- "$cur")
        return
    fi
    case $prev in
        --sim-image | --trace)
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            compopt -o filenames 2>/dev/null
            return
            ;;
        --variant)
            mapfile -t COMPREPLY < <(compgen -W "R210B R230B" -- "$cur")
            return
            ;;
        --count | --sim-events) return ;;
    esac

    # The command is the first word that is neither an option nor an option's value.
    local -a table
    mapfile -t table < <(_krmctl_commands "$program")
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            --sim-image | --trace) ((i++)) ;;
            -* | =) ;;
            *)
                [[ ${COMP_WORDS[i - 1]} == = ]] && continue
                command=$word
                break
                ;;
        esac
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "--simulate --simulate= --sim-image --trace --help --version" -- "$cur")
            [[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
        else
            mapfile -t COMPREPLY < <(compgen -W "$(printf '%s\n' "${table[@]}" | cut -d' ' -f1)" -- "$cur")
        fi
        return
    fi

    for word in "${table[@]}"; do
        [[ ${word%% *} == "$command" ]] && synopsis=${word#"$command"}
    done
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(grep -o -- '--[a-z-]*' <<<"$synopsis")" -- "$cur")
    elif [[ $synopsis =~ ([0-9](\|[0-9])+) ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${BASH_REMATCH[1]//|/ }" -- "$cur")
    elif [[ $synopsis =~ $file_argument ]]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        compopt -o filenames 2>/dev/null
    fi
}

complete -F _krmctl krmctl
