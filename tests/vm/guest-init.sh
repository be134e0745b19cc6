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

start=$(cut -d' ' -f1 /proc/uptime)
log "modules loaded at ${start}s"
run_cases one 1
run_cases two 2

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
