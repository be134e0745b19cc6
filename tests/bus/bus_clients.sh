#!/usr/bin/env bash
# The mice on the session bus, as other programs meet them: a private dbus-daemon, krmconfig
# --background on a simulated mouse as the owner, and Debian's own clients (busctl, gdbus,
# dbus-monitor) and krmctl as the callers.
#
#   tests/bus/bus_clients.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
source "$(dirname "$0")/private_bus.sh"
fail() {
    echo "FAILED: $*" >&2
    [[ -f $work/owner.log ]] && sed 's/^/  owner: /' "$work/owner.log" >&2
    exit 1
}

name=io.krm.krmconfig
mouse=/io/krm/krmconfig/mouse/simulated_2d1
image=$work/m.bin
dbus-monitor --session "type='signal',sender='$name'" >"$work/signals" 2>&1 &
pids+=($!)
# The owner; its simulated mouse presses its CPI and profile buttons once it is up (the events fault).
"$bin/krmconfig" --background --sim-image "$image" --trace "$work/owner.trace" --sim-fault events@300 \
    >"$work/owner.log" 2>&1 &
owner=$!
pids+=($owner)
owner_ready $mouse || fail "the owner did not serve a ready mouse"

# What the bus shows: the interfaces, the properties.
busctl --user introspect $name $mouse >"$work/introspect" || fail "introspect"
for member in .SetDpi .SetDpiLevel .GetButtons .ExportSettings .ApplySettings .RunKrmctl .ButtonEvent .DpiValues; do
    grep -q "^$member " "$work/introspect" || fail "introspection lacks $member"
done
[[ "$(busctl --user get-property $name /io/krm/krmconfig io.krm.Configurator1 Mice)" == "ao 1 \"$mouse\"" ]] ||
    fail "Mice: $(busctl --user get-property $name /io/krm/krmconfig io.krm.Configurator1 Mice)"
[[ "$(busctl --user get-property $name $mouse io.krm.Mouse1 Node)" == "s \"$image\"" ]] || fail "Node"
[[ "$(busctl --user get-property $name $mouse io.krm.Mouse1 Variant)" == 's "R210B"' ]] || fail "Variant"
[[ "$(busctl --user call $name /io/krm/krmconfig io.krm.Configurator1 FindMouse s "$image")" == "o \"$mouse\"" ]] ||
    fail "FindMouse"

# A change through gdbus: written, the property follows, PropertiesChanged says so.
gdbus call --session -d $name -o $mouse -m io.krm.Mouse1.SetDpiLevel 3 >/dev/null || fail "SetDpiLevel"
[[ "$(busctl --user get-property $name $mouse io.krm.Mouse1 DpiLevel)" == "y 3" ]] || fail "DpiLevel after the call"
grep -q 'set 40 05 00 a6 02 00 00 01' "$work/owner.trace" || fail "the owner's trace lacks the level's write"
# A value the mouse does not offer: krmctl's words, as the bus error for a usage mistake.
if out=$(busctl --user call $name $mouse io.krm.Mouse1 SetDpi yq 1 1700 2>&1); then fail "SetDpi 1700 taken"; fi
grep -q "VALUE is one of 200" <<<"$out" || fail "SetDpi 1700: $out"

# krmctl while the owner has the mouse: the owner carries the command out, with the bytes krmctl sends
# when it opens the mouse itself.
: >"$work/owner.trace"
"$bin/krmctl" --sim-image "$image" dpi set 2 2400 >"$work/client.out" 2>&1 || fail "krmctl through the owner: $(cat "$work/client.out")"
grep -qx 'level 2: 2400' "$work/client.out" || fail "krmctl's output: $(cat "$work/client.out")"
cp "$image" "$work/alone.bin"
"$bin/krmctl" --sim-image "$work/alone.bin" --trace "$work/alone.trace" dpi set 2 2400 >/dev/null 2>&1 || fail "krmctl alone"
# Alone, krmctl first identifies and reads the mouse; the writes that follow are the same (the owner's
# trace also holds what the mouse's own button events brought meanwhile).
grep '^set 40 0[57] ' "$work/alone.trace" | cut -d' ' -f1-9 >"$work/alone.writes"
grep '^set 40 0[57] ' "$work/owner.trace" | cut -d' ' -f1-9 >"$work/owner.writes"
[[ -s $work/owner.writes ]] || fail "the owner wrote nothing"
diff -u "$work/alone.writes" "$work/owner.writes" || fail "the owner's bytes differ from krmctl's own"

# The mouse's own buttons: the signal, and the switch as a property change.
for _ in $(seq 100); do grep -A1 'member=ButtonEvent' "$work/signals" | grep -q 'byte 8' && break; sleep 0.05; done
grep -A1 'member=ButtonEvent' "$work/signals" | grep -q 'byte 1' || fail "no ButtonEvent 1: $(cat "$work/signals")"
grep -A1 'member=ButtonEvent' "$work/signals" | grep -q 'byte 8' || fail "no ButtonEvent 8: $(cat "$work/signals")"
# The profile the mouse's own button switched to, as a property change.
for _ in $(seq 100); do grep -q 'string "CurrentProfile"' "$work/signals" && break; sleep 0.05; done
grep -q 'string "CurrentProfile"' "$work/signals" || fail "no PropertiesChanged of CurrentProfile: $(cat "$work/signals")"

# monitor and watch while the owner has the mouse: they follow it through the owner's signals, and a
# profile another client chose is a choice by hand to the watch.
waitfor() { for _ in $(seq 100); do grep -q "$2" "$1" && return 0; sleep 0.05; done; return 1; }
printf '[rules]\n' >"$work/rules.ini"
"$bin/krmctl" --sim-image "$image" monitor >"$work/monitor.out" 2>&1 &
monitor=$!
"$bin/krmctl" --sim-image "$image" watch --rules "$work/rules.ini" >"$work/watch.out" 2>&1 &
watch=$!
pids+=($monitor $watch)
waitfor "$work/monitor.out" "through the program that has it" || fail "monitor: $(cat "$work/monitor.out")"
waitfor "$work/watch.out" "profile . is current" || fail "watch: $(cat "$work/watch.out")"
# Another profile than the one the mouse's own button left current.
now=$(sed -n 's/.*profile \(.\) is current.*/\1/p' "$work/watch.out" | head -1)
next=$((now % 3 + 1))
"$bin/krmctl" --sim-image "$image" profile $next >/dev/null 2>&1 || fail "profile $next through the owner"
waitfor "$work/monitor.out" "current profile: $next" || fail "monitor missed the switch: $(cat "$work/monitor.out")"
waitfor "$work/watch.out" "profile $next chosen by hand" || fail "watch missed the switch: $(cat "$work/watch.out")"
kill $monitor $watch
wait $monitor $watch 2>/dev/null || true

# Two krmctl at once on one image file with no owner: one waits for the other, both changes stay.
kill "$owner"
wait "$owner" 2>/dev/null || true
both=$work/both.bin
"$bin/krmctl" --sim-image "$both" dpi set 2 2400 >"$work/a.out" 2>&1 &
a=$!
"$bin/krmctl" --sim-image "$both" assign 1 5 01040000 >"$work/b.out" 2>&1 &
b=$!
wait $a || fail "first krmctl: $(cat "$work/a.out")"
wait $b || fail "second krmctl: $(cat "$work/b.out")"
"$bin/krmctl" --sim-image "$both" dpi | grep -q '^. 2: 2400 ' || fail "the level's change is gone"
"$bin/krmctl" --sim-image "$both" dump --json >"$work/dump.json" 2>&1
grep -qi '01040000' "$work/dump.json" || fail "the button's change is gone: $(cat "$work/a.out" "$work/b.out"; head -c 600 "$work/dump.json")"
echo "bus clients: all checks passed"
