# Shared by scripts/run, scripts/test and scripts/package: packages, build folders, the virtual display.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_DIR=${TILEBAY_BUILD_DIR:-$ROOT/build}
HOST_BUILD_DIR=${TILEBAY_HOST_BUILD_DIR:-$ROOT/build-host}

PACKAGES=(
    cmake ninja-build g++ g++-mingw-w64-x86-64-posix libz-mingw-w64-dev zlib1g-dev googletest
    wine wine64 xvfb xauth xdotool x11-utils imagemagick fonts-wqy-microhei python3 nsis unicode-data locales
    unzip
)

log() { printf '\033[1m== %s\033[0m\n' "$*" >&2; }

# Installs the Debian packages that are missing (one apt-get update, only when needed).
install_packages() {
    local missing=() p
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Configures (once) and builds the Windows program and its tests.
build_cross() {
    if [ ! -f "$BUILD_DIR/build.ninja" ]; then
        log "configuring $BUILD_DIR"
        cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    log "building $BUILD_DIR"
    cmake --build "$BUILD_DIR"
}

# Configures (once) and builds the platform-free code natively with sanitizers.
build_host() {
    if [ ! -f "$HOST_BUILD_DIR/build.ninja" ]; then
        log "configuring $HOST_BUILD_DIR"
        cmake -S "$ROOT" -B "$HOST_BUILD_DIR" -G Ninja -DTILEBAY_HOST=ON -DCMAKE_BUILD_TYPE=Debug
    fi
    log "building $HOST_BUILD_DIR"
    cmake --build "$HOST_BUILD_DIR"
}

XVFB_PID=
# Starts a virtual display when there is none; sets DISPLAY.
ensure_display() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 && return 0
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 1 50); do
            xdpyinfo >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null
    done
    echo "could not start Xvfb" >&2
    return 1
}

stop_display() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
    return 0
}
