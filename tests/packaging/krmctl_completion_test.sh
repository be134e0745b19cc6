#!/usr/bin/env bash
# Completes krmctl command lines with packaging/completion/krmctl.bash against the built krmctl and
# compares the offered words.
#   krmctl_completion_test.sh COMPLETION_SCRIPT KRMCTL
set -u
source "$1"
krmctl=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
touch "$scratch/profile.bin" "$scratch/patch.bin"
cd "$scratch" || exit 1

failures=0
# check "LINE" "EXPECTED WORDS": LINE is split as bash splits it (at blanks and '='); its last word is
# the one being completed.
check() {
    local line=$1 expected=$2 got
    local -a words
    read -ra words <<<"${line//=/ = }"
    [[ $line == *" " ]] && words+=("")
    COMP_WORDS=("$krmctl" "${words[@]:1}")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _krmctl 2>/dev/null
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
    if [[ $got != "$expected" ]]; then
        echo "FAIL '$line': got '$got', expected '$expected'"
        ((failures++))
    fi
}

check "krmctl in" "info inspect"
check "krmctl import" "import-gun-macros import-macros"
check "krmctl --simulate=R230B re" "read-image restore"
check "krmctl --simulate=" "R210B R230B"
check "krmctl --simulate=R23" "R230B"
check "krmctl --si" "--sim-fault --sim-image --simulate --simulate="
check "krmctl --sim-fault refuse-all in" "info inspect"
check "krmctl --sim-fault " ""
check "krmctl --trace " "patch.bin profile.bin"
check "krmctl --trace t.log fun" "functions"
check "krmctl inspect " "patch.bin profile.bin"
check "krmctl inspect p.bin --" "--json --variant"
check "krmctl inspect p.bin --variant " "R210B R230B"
check "krmctl program pa" "patch.bin"
check "krmctl restore " "1 2 3"
check "krmctl monitor --" "--count --sim-events"
check "krmctl monitor --count " ""
check "krmctl dump --" "--json"
check "krmctl assign " ""
check "krmctl ex" "export"
check "krmctl d" "diff dpi dump"
check "krmctl --simulate ap" "apply"
check "krmctl export " "patch.bin profile.bin"
check "krmctl diff " "patch.bin profile.bin"
check "krmctl apply " "patch.bin profile.bin"
check "krmctl apply mouse.ini --" "--dry-run"
check "krmctl profile " "1 2 3"
check "krmctl watch --" "--dry-run --rules"
check "krmctl watch --rules " "patch.bin profile.bin"
check "krmctl info " ""

((failures == 0)) && echo "all completions as expected"
exit $((failures != 0))
