#!/usr/bin/env bash
# Installs what is missing, builds, and starts the configurator.
# With no KRM mouse attached it starts against the simulated mouse.
#   ./run.sh [--simulate[=R210B|R230B]] [other krmconfig options]
# --simulate=R230B builds (once) a configurator whose branding accepts both chip variants.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
krm_ensure_packages "${KRM_PACKAGES[@]}"

args=("$@")
# The shipped branding accepts R210B mice only; an R230B simulation runs a build whose branding accepts
# both variants (in build-both-variants/).
build=build
branding=()
for a in "${args[@]}"; do
    if [[ "${a^^}" == --SIMULATE=R230B ]]; then
        build=build-both-variants
        branding=(-DKRM_BRANDING="$PWD/resources/branding/org-both-variants.ini")
    fi
done
cmake -S . -B "$build" -G Ninja "${branding[@]}" >/dev/null
cmake --build "$build" -j2 --target krmconfig krmctl

wants_sim=0
for a in "${args[@]}"; do [[ "$a" == --simulate* || "$a" == --sim-image* ]] && wants_sim=1; done
if ((!wants_sim)); then
    # The mouse is 3A7E:0C51; look for it among the hidraw nodes.
    if ! grep -qsi 'HID_ID=.*:00003A7E:00000C51' /sys/class/hidraw/*/device/uevent; then
        echo "No KRM mouse attached: starting with the simulated mouse (--simulate)."
        args+=(--simulate)
    fi
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No desktop found (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
    echo "Start ./run.sh from a desktop session, or render the pages with:" >&2
    echo "  QT_QPA_PLATFORM=offscreen build/bin/krmconfig --simulate --screenshots shots/" >&2
    exit 1
fi
exec "$build/bin/krmconfig" "${args[@]}"
