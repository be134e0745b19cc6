# Debian packages the build, the tests and the program need; sourced by run.sh and test.sh.
KRM_PACKAGES=(
    cmake ninja-build g++ pkg-config clang-format clang-tidy
    qt6-base-dev qt6-svg-dev libxcb1-dev libxcb-damage0-dev libhidapi-dev libpng-dev zlib1g-dev
    libgtest-dev nlohmann-json3-dev libglib2.0-dev libx11-dev libxi-dev
    gsettings-desktop-schemas xvfb xdotool dbus libdbus-1-dev
    at-spi2-core python3-pyatspi
    weston qt6-wayland
    fonts-dejavu-core fonts-wqy-microhei
    clang libclang-rt-14-dev
    help2man zsh ccache python3
)
# ... and what ./test.sh --package needs to build the Debian package and check it.
KRM_PACKAGING_PACKAGES=(dpkg-dev file desktop-file-utils appstream lintian)

# Installs the packages that are missing; quiet (and no apt-get update) when all are present.
krm_ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if [[ "$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null)" != "install ok installed" ]]; then
            missing+=("$pkg")
        fi
    done
    ((${#missing[@]})) || return 0
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The npm client library the RGB-sync server's test drives (tests/rgb/sdk_client.js), pinned, in a cache
# folder outside the work tree; Node and npm from Debian when the machine has neither.
KRM_NPM_FOLDER=${KRM_NPM_FOLDER:-${XDG_CACHE_HOME:-$HOME/.cache}/krm/npm}
KRM_NPM_PACKAGES=(openrgb-sdk@0.6.0)
krm_ensure_npm_packages() {
    command -v node >/dev/null && command -v npm >/dev/null || krm_ensure_packages nodejs npm
    local pkg missing=()
    for pkg in "${KRM_NPM_PACKAGES[@]}"; do
        [[ "$(node -p "require('$KRM_NPM_FOLDER/node_modules/${pkg%@*}/package.json').version" 2>/dev/null)" == "${pkg##*@}" ]] \
            || missing+=("$pkg")
    done
    ((${#missing[@]})) || return 0
    echo "Installing from npm into $KRM_NPM_FOLDER: ${missing[*]}"
    mkdir -p "$KRM_NPM_FOLDER"
    npm install --prefix "$KRM_NPM_FOLDER" --no-audit --no-fund --no-save --loglevel=error "${missing[@]}" >/dev/null
}

# Every build folder (plain, sanitizers, fuzzing, the package) compiles through ccache when it is there:
# the package build then reuses the plain build's objects. A launcher the caller chose is kept.
krm_use_ccache() {
    command -v ccache >/dev/null || return 0
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
    export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
}
