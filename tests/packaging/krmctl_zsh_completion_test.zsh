#!/usr/bin/env zsh
# Runs the zsh completion function packaging/completion/_krmctl against the built krmctl, with the
# completion system's builtins replaced by recorders, and compares the offered words.
#   krmctl_zsh_completion_test.zsh COMPLETION_FUNCTION KRMCTL
functions[_krmctl]=$(<$1)
krmctl=$2
scratch=$(mktemp -d)
trap 'rm -rf $scratch' EXIT
cd $scratch || exit 1

typeset -a offered
# Keeps the candidates that start with what is typed, as the completion system would.
offer() { offered+=(${(M)@:#${PREFIX}*}) }
compadd() {
    while [[ $1 == -* ]]; do
        case $1 in
            -S) shift 2 ;;
            --) shift; break ;;
            *) shift ;;
        esac
    done
    offer "$@"
}
compset() { [[ $1 == -P ]] && PREFIX=${PREFIX#${~2}} }
_describe() { offer ${${(P)2}%%:*} }
_files() { offered+=('<files>') }

integer failures=0
# check LINE EXPECTED: the last word of LINE (empty after a trailing blank) is the one being completed.
check() {
    words=($krmctl ${=1})
    [[ $1 == *' ' ]] && words+=('')
    CURRENT=${#words}
    PREFIX=${words[CURRENT]}
    offered=()
    _krmctl 2>/dev/null
    local got=${(j: :)${(o)offered}}
    if [[ $got != $2 ]]; then
        print "FAIL '$1': got '$got', expected '$2'"
        ((failures++))
    fi
}

check 'in' 'info inspect'
check '--simulate=R230B re' 'read-image restore'
check '--simulate=' 'R210B R230B'
check '--si' '--sim-fault --sim-image --simulate --simulate='
check '--sim-fault refuse-all in' 'info inspect'
check '--sim-fault ' ''
check '--trace ' '<files>'
check '--trace t.log fun' 'functions'
check 'inspect ' '<files>'
check 'inspect p.bin --' '--json --variant'
check 'inspect p.bin --variant R2' 'R210B R230B'
check 'program ' '<files>'
check 'restore ' '1 2 3'
check 'monitor --' '--count --sim-events'
check 'assign ' ''
check 'ex' 'export'
check '--simulate ap' 'apply'
check 'export ' '<files>'
check 'diff ' '<files>'
check 'apply ' '<files>'
check 'apply mouse.ini --' '--dry-run'
check 'profile ' '1 2 3'
check 'watch --' '--dry-run --rules'
check 'watch --rules ' '<files>'

((failures == 0)) && print "all completions as expected"
exit $((failures != 0))
