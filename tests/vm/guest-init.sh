#!/bin/busybox sh
# /init of the VM test's initramfs: loads the HID modules, runs every step of /cases against
# krm-uhid-mouse on both report descriptors, then sends /out to the host over the second serial port
# (base64 of a gzipped tar between two marker lines) and powers off.
/bin/busybox mkdir -p /proc /sys /dev /tmp /out /usr/bin /sbin /usr/sbin
/bin/busybox --install -s
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
export PATH=/opt/krm:/bin:/sbin:/usr/bin:/usr/sbin
export LD_LIBRARY_PATH=/opt/krm/lib
export HOME=/tmp KRM_TRACE=
cd /tmp

log() { echo "krm-vm: $*"; }

for m in $(cat /modules.order); do
    insmod "/lib/modules/$m.ko" || log "insmod $m failed"
done

hidraw_count() { ls /sys/class/hidraw 2>/dev/null | wc -l; }
# wait_hidraw N: up to 10 s for exactly N hidraw nodes with their /dev entries
wait_hidraw() {
    i=0
    while [ "$(hidraw_count)" != "$1" ] || { [ "$1" != 0 ] && ! ls /dev/hidraw* >/dev/null 2>&1; }; do
        i=$((i + 1))
        [ $i -gt 1000 ] && { log "timed out waiting for $1 hidraw nodes (have $(hidraw_count))"; return 1; }
        usleep 10000
    done
}

# run_cases DESC COLLECTIONS
run_cases() {
    desc=$1
    out=/out/$desc
    mkdir -p "$out"
    prev=
    n=0
    while read -r group mouse cmd; do
        case "$group" in '' | '#'*) continue ;; esac
        if [ "$group" = "$prev" ]; then n=$((n + 1)); else n=1; fi
        prev=$group
        step=$(printf '%s-%02d' "$group" "$n")
        began=$(cut -d' ' -f1 /proc/uptime)
        opts=
        for t in $(echo "$mouse" | tr ',' ' '); do
            case "$t" in
            -) ;;
            R210B | R230B) opts="$opts --variant $t" ;;
            *) opts="$opts --sim-fault $t" ;;
            esac
        done
        krm-uhid-mouse $opts --collections "$2" --decoy --sim-image "$out/$group.img" \
            >"$out/$step.mouse" 2>&1 </dev/null &
        pid=$!
        wait_hidraw 2
        args=$(echo "$cmd" | sed "s|@OUT@|$out/$step.bin|g")
        krmctl --trace "$out/$step.trace" $args >"$out/$step.out" 2>&1 </dev/null
        echo $? >"$out/$step.rc"
        kill $pid
        wait $pid
        [ -f "$out/$group.img" ] && cp "$out/$group.img" "$out/$step.img"
        wait_hidraw 0
        log "$desc $step: exit $(cat "$out/$step.rc"), ${began}s to $(cut -d' ' -f1 /proc/uptime)s"
    done </cases
}

# Two krmctl at once on one mouse, 20 times: each profile rewrite builds on the other's, so both
# buttons keep their new function only when one waited for the other.
concurrent() {
    out=/out/concurrent
    mkdir -p "$out"
    good=0
    for i in $(seq 20); do
        rm -f "$out/m.img"
        krm-uhid-mouse --sim-image "$out/m.img" >/dev/null 2>&1 </dev/null &
        pid=$!
        wait_hidraw 1
        krmctl assign 1 10 01040000 >"$out/a-$i.out" 2>&1 </dev/null &
        a=$!
        krmctl assign 1 11 01040000 >"$out/b-$i.out" 2>&1 </dev/null &
        b=$!
        wait $a
        ra=$?
        wait $b
        rb=$?
        both=$(krmctl dump 2>/dev/null | grep -c 'button=1[01] code=01040000')
        kill $pid
        wait $pid
        wait_hidraw 0
        if [ "$ra" = 0 ] && [ "$rb" = 0 ] && [ "$both" = 2 ]; then
            good=$((good + 1))
        else
            log "concurrent run $i: exits $ra and $rb, $both of 2 buttons changed"
        fi
    done
    echo "$good of 20" >"$out/result"
}

# Two identical mice (the same ids, told apart by their physical paths): --device chooses, and only
# the chosen one changes; without a choice a write is refused.
two_mice() {
    out=/out/twomice
    mkdir -p "$out"
    krm-uhid-mouse --sim-image "$out/a.img" --phys krm-uhid-mouse-1 >/dev/null 2>&1 </dev/null &
    pa=$!
    wait_hidraw 1
    krm-uhid-mouse --sim-image "$out/b.img" --phys krm-uhid-mouse-2 >/dev/null 2>&1 </dev/null &
    pb=$!
    wait_hidraw 2
    krmctl list >"$out/list.out" 2>&1
    krmctl dpi set 1 400 >"$out/nochoice.out" 2>&1
    echo $? >"$out/nochoice.rc"
    krmctl --device krm-uhid-mouse-2 dpi set 1 400 >"$out/chosen.out" 2>&1
    echo $? >"$out/chosen.rc"
    krmctl --device krm-uhid-mouse-1 dpi >"$out/first.out" 2>&1
    krmctl --device krm-uhid-mouse-2 dpi >"$out/second.out" 2>&1
    krmctl --device krm-uhid-mouse-2 info >"$out/info.out" 2>&1
    kill $pa $pb
    wait $pa $pb
    wait_hidraw 0
}

start=$(cut -d' ' -f1 /proc/uptime)
log "modules loaded at ${start}s"
run_cases one 1
run_cases two 2
concurrent
log "two krmctl at once: $(cat /out/concurrent/result)"
two_mice

# The whole-image read over the kernel path.
krm-uhid-mouse >/dev/null 2>&1 </dev/null &
pid=$!
wait_hidraw 1
krm_bench_image_read --runs 3 --hidraw >/out/bench.txt 2>&1
kill $pid
wait $pid

log "done at $(cut -d' ' -f1 /proc/uptime)s"
stty -F /dev/ttyS1 raw -echo 2>/dev/null
{
    echo KRM-RESULTS-BEGIN
    tar -C /out -cf - . | gzip | base64
    echo KRM-RESULTS-END
} >/dev/ttyS1
sync
poweroff -f
