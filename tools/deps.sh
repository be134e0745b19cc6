# Debian packages the build, the tests and the program need; sourced by run.sh and test.sh.
KRM_PACKAGES=(
    cmake ninja-build g++ pkg-config clang-format clang-tidy
    qt6-base-dev qt6-svg-dev libxcb1-dev libhidapi-dev libpng-dev zlib1g-dev
    libgtest-dev nlohmann-json3-dev libglib2.0-dev libx11-dev libxi-dev
    gsettings-desktop-schemas xvfb xdotool dbus
    at-spi2-core python3-pyatspi
    weston qt6-wayland
    fonts-dejavu-core fonts-wqy-microhei
    clang libclang-rt-14-dev
    help2man zsh ccache
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

# Every build folder (plain, sanitizers, fuzzing, the package) compiles through ccache when it is there:
# the package build then reuses the plain build's objects. A launcher the caller chose is kept.
krm_use_ccache() {
    command -v ccache >/dev/null || return 0
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
    export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
}
