#!/usr/bin/env bash
# What asking the mouse's owner costs: a krmctl command carried out by krmconfig --background (which has
# the simulated mouse) against the same command with krmctl opening its own simulated mouse, timed with
# farm-bench; and the owner's CPU while nobody asks it anything (ten seconds, from /proc).
#
#   tools/bench/owner.sh BIN_DIR
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
source "$(dirname "$0")/../../tests/bus/private_bus.sh"

"$bin/krmconfig" --background --sim-image "$work/owned.bin" >"$work/owner.log" 2>&1 &
owner=$!
pids+=($owner)
owner_ready /io/krm/krmconfig/mouse/simulated_2d1 || { echo "the owner did not serve a ready mouse" >&2; exit 1; }

echo "== a command through the owner (A) and with krmctl's own mouse (B)"
farm-bench -n 20 --warmup 2 --vs "$bin/krmctl --sim-image $work/alone.bin dpi" \
    -- "$bin/krmctl" --sim-image "$work/owned.bin" dpi
echo "== a change through the owner (A) and with krmctl's own mouse (B)"
farm-bench -n 20 --warmup 2 --vs "$bin/krmctl --sim-image $work/alone.bin dpi current 2" \
    -- "$bin/krmctl" --sim-image "$work/owned.bin" dpi current 2

echo "== the owner's CPU while nobody asks it anything"
ticks() { awk '{print $14 + $15}' "/proc/$owner/stat"; }
sleep 2
t0=$(ticks)
sleep 10
t1=$(ticks)
hz=$(getconf CLK_TCK)
awk -v d=$((t1 - t0)) -v hz="$hz" 'BEGIN { printf "owner idle: %.2f %% of one core over 10 s (%d ticks)\n", 100 * d / hz / 10, d }'
