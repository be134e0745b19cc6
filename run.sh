#!/usr/bin/env bash
# Installs what is missing, builds, and starts the configurator.
# With no KRM mouse attached it starts against the simulated mouse.
#   ./run.sh [--simulate[=R210B|R230B]] [other krmconfig options]
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
krm_ensure_packages "${KRM_PACKAGES[@]}"
krm_use_ccache

args=("$@")
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j2 --target krmconfig krmctl
# The default branding accepts both chip variants; a build folder configured with an R210B-only one
# (-DKRM_BRANDING=resources/branding/org.ini) turns an R230B mouse away.
for a in "${args[@]}"; do
    if [[ "${a^^}" == --SIMULATE=R230B ]] && grep -q '^KRM_BRANDING:.*/org\.ini$' "build/CMakeCache.txt"; then
        echo "Note: build/ embeds resources/branding/org.ini, which accepts R210B mice only;" >&2
        echo "      'cmake -S . -B build -U KRM_BRANDING' goes back to the default branding." >&2
    fi
done

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
exec "build/bin/krmconfig" "${args[@]}"
