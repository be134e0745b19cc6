#!/usr/bin/env bash
# The VM test: krmctl meets a real kernel.
#
# Boots Debian's current kernel under QEMU (TCG) with a busybox initramfs holding the hid,
# hid-generic and uhid modules, krm-uhid-mouse, krmctl and their libraries. Inside, every step of
# tests/vm/cases runs krmctl against krm-uhid-mouse through hidapi, hidraw and uhid, with the
# one-collection and the two-collection report descriptor and a decoy device beside the mouse. The
# results come back over the second serial port; here the same steps run against krmctl --simulate,
# and every trace, output, exit code, output file and image must be the same on both sides.
#
#   tests/vm/run.sh [BUILD_DIR]    (default build/; the programs are built there when missing)
#
# KRM_VM_CACHE (default ~/.cache/krm-vm) keeps the kernel and modules between runs; KRM_VM_KEEP=1
# keeps the scratch folder and says where it is. Nothing is installed into /boot.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" 2>/dev/null && pwd || echo "${1:-$root/build}")
cache=${KRM_VM_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/krm-vm}
boot_timeout=${KRM_VM_TIMEOUT:-300}
t0=$(date +%s)

say() { echo "vm-test: $*"; }
die() {
    echo "vm-test: FAILED: $*" >&2
    exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/krm-vm.XXXXXX")
if [[ "${KRM_VM_KEEP:-}" == 1 ]]; then
    trap 'say "scratch folder kept: $work"' EXIT
else
    trap 'rm -rf "$work"' EXIT
fi

# --- what the test needs ---------------------------------------------------------------------------
source "$root/tools/deps.sh"
krm_ensure_packages qemu-system-x86 busybox-static cmake ninja-build g++ pkg-config libhidapi-dev \
    libpng-dev zlib1g-dev nlohmann-json3-dev libgtest-dev
as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)

programs=(krmctl krm-uhid-mouse krm_bench_image_read)
missing=0
for p in "${programs[@]}"; do [[ -x "$build/bin/$p" ]] || missing=1; done
if ((missing)); then
    say "building ${programs[*]} in $build"
    [[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" -G Ninja -DKRM_BUILD_GUI=OFF >/dev/null
    cmake --build "$build" -j2 --target "${programs[@]}"
fi
# Always bring them up to date (a no-op when they are).
cmake --build "$build" -j2 --target "${programs[@]}" >/dev/null

# --- the kernel: the version linux-image-amd64 depends on, unpacked here, never installed ---------
kernel_package() {
    apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ { print $2; exit }'
}
kpkg=$(kernel_package)
if [[ -z "$kpkg" ]]; then
    "${as_root[@]}" apt-get update -qq
    kpkg=$(kernel_package)
fi
[[ -n "$kpkg" ]] || die "apt-cache does not know which kernel linux-image-amd64 depends on"
modules=(hid hid-generic uhid)

if [[ ! -f "$cache/$kpkg/ready" ]]; then
    # Package lists older than the mirror can name a kernel it no longer has: update and ask again.
    if ! (cd "$work" && apt-get download "$kpkg" >/dev/null 2>&1); then
        "${as_root[@]}" apt-get update -qq
        kpkg=$(kernel_package)
        [[ -f "$cache/$kpkg/ready" ]] || (cd "$work" && apt-get download "$kpkg" >/dev/null 2>&1) ||
            die "apt-get download $kpkg failed"
    fi
fi
kdir=$cache/$kpkg

if [[ ! -f "$kdir/ready" ]]; then
    say "unpacking $kpkg"
    rm -rf "$kdir"
    mkdir -p "$kdir/modules"
    dpkg-deb -x "$work"/"$kpkg"_*.deb "$work/kernel"
    rm -f "$work"/"$kpkg"_*.deb
    cp "$work"/kernel/boot/vmlinuz-* "$kdir/vmlinuz"
    moddir=$(echo "$work"/kernel/lib/modules/*)
    [[ -d "$moddir" ]] || moddir=$(echo "$work"/kernel/usr/lib/modules/*)
    [[ -d "$moddir" ]] || die "no module folder in $kpkg"

    # Each module (and what it depends on, first), decompressed: busybox insmod reads plain .ko only.
    order=()
    add_module() {
        local name=$1 file dep
        for m in "${order[@]}"; do [[ "$m" == "$name" ]] && return 0; done
        file=$(find "$moddir" -name "$name.ko*" -print -quit)
        [[ -n "$file" ]] || file=$(find "$moddir" -name "${name//_/-}.ko*" -print -quit)
        [[ -n "$file" ]] || die "module $name is not in $kpkg"
        case "$file" in
        *.ko.xz) command -v xz >/dev/null || krm_ensure_packages xz-utils
                 xz -dc "$file" >"$kdir/modules/$name.ko" ;;
        *.ko.zst) command -v zstd >/dev/null || krm_ensure_packages zstd
                  zstd -qdc "$file" >"$kdir/modules/$name.ko" ;;
        *.ko.gz) gzip -dc "$file" >"$kdir/modules/$name.ko" ;;
        *) cp "$file" "$kdir/modules/$name.ko" ;;
        esac
        for dep in $(tr '\0' '\n' <"$kdir/modules/$name.ko" | sed -n 's/^depends=//p' | tr ',' ' '); do
            add_module "$dep"
        done
        order+=("$name")
    }
    for m in "${modules[@]}"; do add_module "$m"; done
    printf '%s\n' "${order[@]}" >"$kdir/modules.order"
    rm -rf "$work/kernel"
    touch "$kdir/ready"
fi
say "kernel $kpkg, modules: $(tr '\n' ' ' <"$kdir/modules.order")"

# --- the initramfs ---------------------------------------------------------------------------------
ir=$work/initramfs
mkdir -p "$ir"/{bin,lib/modules,opt/krm/lib,out,proc,sys,dev,tmp}
cp /bin/busybox "$ir/bin/busybox"
file_is_static() { ! ldd "$1" >/dev/null 2>&1; }
file_is_static "$ir/bin/busybox" || die "/bin/busybox is not the static one (install busybox-static)"
cp "$kdir"/modules/*.ko "$ir/lib/modules/"
cp "$kdir/modules.order" "$ir/modules.order"
for p in "${programs[@]}"; do
    cp "$build/bin/$p" "$ir/opt/krm/"
    strip "$ir/opt/krm/$p" 2>/dev/null || true
done
# Shared libraries, with the loader at the path the programs name.
for p in "${programs[@]}"; do ldd "$build/bin/$p"; done | awk '{ for (i = 1; i <= NF; i++) if ($i ~ /^\//) print $i }' |
    sort -u | while read -r lib; do
    case "$lib" in
    */ld-linux*) mkdir -p "$ir$(dirname "$lib")" && cp -L "$lib" "$ir$lib" ;;
    *) cp -L "$lib" "$ir/opt/krm/lib/" ;;
    esac
done
cp "$here/guest-init.sh" "$ir/init"
chmod +x "$ir/init"
grep -v '^#' "$here/cases" | grep -v '^[[:space:]]*$' >"$ir/cases"
(cd "$ir" && find . | busybox cpio -o -H newc 2>/dev/null) | gzip -1 >"$work/initrd.gz"
say "initramfs $(du -k "$work/initrd.gz" | cut -f1) KiB"

# --- the host side, while the VM runs --------------------------------------------------------------
host=$work/host
mkdir -p "$host"
run_host() {
    local prev= n=0 group mouse cmd step opts t args variant faults
    while read -r group mouse cmd; do
        if [[ "$group" == "$prev" ]]; then n=$((n + 1)); else n=1; fi
        prev=$group
        step=$(printf '%s-%02d' "$group" "$n")
        variant=R210B
        faults=()
        for t in ${mouse//,/ }; do
            case "$t" in
            -) ;;
            R210B | R230B) variant=$t ;;
            *) faults+=(--sim-fault "$t") ;;
            esac
        done
        opts=(--simulate="$variant" "${faults[@]}")
        args=${cmd//@OUT@/$host/$step.bin}
        # shellcheck disable=SC2086
        KRM_TRACE= "$build/bin/krmctl" "${opts[@]}" --sim-image "$host/$group.img" --trace "$host/$step.trace" \
            $args >"$host/$step.out" 2>&1 </dev/null && echo 0 >"$host/$step.rc" || echo $? >"$host/$step.rc"
        if [[ -f "$host/$group.img" ]]; then cp "$host/$group.img" "$host/$step.img"; fi
    done <"$ir/cases"
}

# --- the VM ----------------------------------------------------------------------------------------
say "booting (TCG, at most ${boot_timeout}s)"
set +e
timeout --kill-after=10 "$boot_timeout" qemu-system-x86_64 -accel tcg,thread=multi -smp 2 -m 768 \
    -nodefaults -no-reboot -display none -monitor none \
    -kernel "$kdir/vmlinuz" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 rdinit=/init panic=-1 quiet loglevel=3" \
    -serial "file:$work/console.log" -serial "file:$work/results.txt" &
qemu=$!
set -e
run_host
say "host side done after $(($(date +%s) - t0))s"
set +e
wait $qemu
qemu_rc=$?
set -e
say "VM ended after $(($(date +%s) - t0))s (qemu exit $qemu_rc)"
if ! grep -q KRM-RESULTS-END "$work/results.txt" 2>/dev/null; then
    echo "--- guest console (last 60 lines) ---" >&2
    tail -n 60 "$work/console.log" >&2 || true
    die "the VM sent no results (qemu exit $qemu_rc)"
fi
guest=$work/guest
mkdir -p "$guest"
sed -n '/KRM-RESULTS-BEGIN/,/KRM-RESULTS-END/p' "$work/results.txt" | sed '1d;$d' | tr -d '\r' |
    base64 -d | tar -xzf - -C "$guest" || die "the VM's results do not unpack"
grep 'krm-vm:' "$work/console.log" | tr -d '\r' | sed 's/^/  /' || true

# --- comparison ------------------------------------------------------------------------------------
failures=0
fail() {
    echo "vm-test: DIFFERENCE: $*" >&2
    failures=$((failures + 1))
}
# The step's output with the folder of its output file left out, and without the lines that say where
# the mouse sits (a hidraw node in the VM, the image file here).
normalized() { sed -e "s|$2/||g" -e '/^id: /d' -e '/^node: /d' -e '/^  1  krm-uhid-mouse  /d' -e '/^  1  simulated-1  /d' "$1"; }

steps=0
for desc in one two; do
    prev=
    n=0
    while read -r group mouse cmd; do
        if [[ "$group" == "$prev" ]]; then n=$((n + 1)); else n=1; fi
        prev=$group
        step=$(printf '%s-%02d' "$group" "$n")
        g=$guest/$desc
        h=$host
        steps=$((steps + 1))
        [[ -f "$g/$step.rc" ]] || {
            fail "$desc $step did not run in the VM"
            continue
        }
        [[ "$(cat "$g/$step.rc")" == "$(cat "$h/$step.rc")" ]] ||
            fail "$desc $step ($cmd): exit code $(cat "$g/$step.rc") in the VM, $(cat "$h/$step.rc") simulated"
        if grep -q 'decoy: refused' "$g/$step.mouse"; then
            fail "$desc $step ($cmd): krmctl talked to the decoy: $(grep -m1 'decoy:' "$g/$step.mouse")"
        fi
        if [[ "$cmd" == list ]]; then
            # The paths differ by design; the VM's list shows the mouse once and the decoy unmarked.
            marked=$(grep -c '^\*' "$g/$step.out" || true)
            [[ "$marked" == 1 ]] && grep -q '^\* /dev/hidraw[0-9]*\(#1\)\? *3A7E:0C51 .* 8$' "$g/$step.out" &&
                grep -q '^  /dev/hidraw.*1209:0100' "$g/$step.out" ||
                fail "$desc $step: list in the VM does not show the mouse and the decoy as expected:
$(cat "$g/$step.out")"
        elif ! diff -q <(normalized "$g/$step.out" "/out/$desc") <(normalized "$h/$step.out" "$host") >/dev/null; then
            fail "$desc $step ($cmd): output differs (< VM, > simulated):
$(diff <(normalized "$g/$step.out" "/out/$desc") <(normalized "$h/$step.out" "$host") | head -20)"
        fi
        for kind in trace bin img; do
            if [[ -f "$g/$step.$kind" || -f "$h/$step.$kind" ]]; then
                if ! cmp -s "$g/$step.$kind" "$h/$step.$kind"; then
                    if [[ "$kind" == trace ]]; then
                        fail "$desc $step ($cmd): trace differs (< VM, > simulated):
$(diff "$g/$step.$kind" "$h/$step.$kind" 2>&1 | head -20)"
                    else
                        fail "$desc $step ($cmd): the $kind file differs"
                    fi
                fi
            fi
        done
    done <"$ir/cases"
done

# Two krmctl at once on one mouse through the kernel: every run right.
concurrent=$(cat "$guest/concurrent/result" 2>/dev/null || echo "no result")
[[ "$concurrent" == "20 of 20" ]] || fail "two krmctl at once: $concurrent runs right"
# Two identical mice: listed apart, a write without a choice refused, the chosen one alone changed.
tm=$guest/twomice
grep -q '^2 mice attached:' "$tm/list.out" && grep -q '  krm-uhid-mouse-1  /dev/hidraw' "$tm/list.out" &&
    grep -q '  krm-uhid-mouse-2  /dev/hidraw' "$tm/list.out" || fail "two mice: list shows
$(cat "$tm/list.out" 2>/dev/null)"
[[ "$(cat "$tm/nochoice.rc" 2>/dev/null)" == 64 ]] && grep -q 'say which one with --device' "$tm/nochoice.out" ||
    fail "two mice: a write without --device was not refused: $(cat "$tm/nochoice.out" 2>/dev/null)"
[[ "$(cat "$tm/chosen.rc" 2>/dev/null)" == 0 ]] || fail "two mice: --device 2: $(cat "$tm/chosen.out" 2>/dev/null)"
grep -q '^  1: 800 ' "$tm/first.out" && grep -q '^  1: 400 ' "$tm/second.out" ||
    fail "two mice: the first mouse changed too, or the second did not:
$(cat "$tm/first.out" "$tm/second.out" 2>/dev/null)"
grep -q '^node:       /dev/hidraw' "$tm/info.out" || fail "two mice: info names no node: $(cat "$tm/info.out")"
say "two krmctl at once: $concurrent runs right; two identical mice: --device chose the second"

if [[ -f "$guest/bench.txt" ]]; then sed 's/^/  VM: /' "$guest/bench.txt"; fi
elapsed=$(($(date +%s) - t0))
if ((failures)); then
    say "$failures difference(s) in $steps steps after ${elapsed}s"
    echo "0 passed, 1 failed"
    exit 1
fi
say "$steps steps (both descriptors) equal to the simulated mouse, ${elapsed}s"
echo "vm-test: 1 passed, 0 failed"
