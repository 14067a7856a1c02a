# Wine helpers shared by the scripts, the test emulator and the end-to-end harness.
# Every prefix the project uses lives under its build folder; ~/.wine is never touched.

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko installers, no desktop menu entries: a prefix comes up quietly and offline.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=d}

wine_binary() {
    local c
    for c in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)"; do
        [ -n "$c" ] && [ -x "$c" ] && { echo "$c"; return 0; }
    done
    echo "wine is not installed" >&2
    return 1
}

wine_server() {
    local c
    for c in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver "$(command -v wineserver 2>/dev/null)"; do
        [ -n "$c" ] && [ -x "$c" ] && { echo "$c"; return 0; }
    done
    return 1
}

# The Windows user's profile folder inside a prefix.
wine_profile_dir() {
    echo "$1/drive_c/users/$(id -un)"
}

# Makes a new prefix at $1. The profile's shell folders (Documents, Desktop, ...) become real
# folders inside the prefix instead of links to $HOME, so nothing a test writes leaves the prefix.
wine_prefix_create() {
    local prefix wine
    prefix=$(realpath -m "$1")
    wine=$(wine_binary) || return 1
    rm -rf "$prefix"
    mkdir -p "$prefix"
    WINEPREFIX="$prefix" HOME="$prefix/home" DISPLAY= "$wine" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" "$(wine_server)" -w || true
    local profile d
    profile=$(wine_profile_dir "$prefix")
    [ -d "$profile" ] || { echo "wineboot did not create $profile" >&2; return 1; }
    for d in "$profile"/*; do
        if [ -L "$d" ]; then rm -f "$d" && mkdir -p "$d"; fi
    done
    # A crashing program must end, not wait for someone to close Wine's crash dialog.
    WINEPREFIX="$prefix" DISPLAY= "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" "$(wine_server)" -w || true
    touch "$prefix/.tilebay-ready"
}

# Makes the prefix at $1 unless it is ready; safe when several tests start at once.
wine_prefix_ensure() {
    local prefix
    prefix=$(realpath -m "$1")
    [ -f "$prefix/.tilebay-ready" ] && return 0
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        [ -f "$prefix/.tilebay-ready" ] || wine_prefix_create "$prefix"
    ) 9>"$prefix.lock"
}

# Copies the ready prefix $1 to $2 quickly: files are hard links, except the registry files,
# which Wine rewrites and which therefore get copies of their own.
wine_prefix_clone() {
    local src=$1 dest=$2 f
    rm -rf "$dest"
    cp -al "$src" "$dest"
    for f in "$dest"/*.reg; do
        cp --remove-destination "$src/$(basename "$f")" "$f"
    done
    rm -f "$dest/.tilebay-ready.lock"
}

# Starts the wineserver of prefix $1 unless it runs, and keeps it for a minute after its last
# program ends. A program that starts while the server of its prefix is exiting (by default three
# seconds after the last one ended) fails at once with "recvmsg: Connection reset by peer"; a
# server that lingers takes that race out of programs started one after another.
#
# Wine's services, which the first program of a server starts, inherit that program's output
# handles and live as long as the server: a caller reading a program's output through a pipe
# would wait for them. A first program with no output starts them here.
wine_server_keep() {
    WINEPREFIX="$1" "$(wine_server)" -p 60 >/dev/null 2>&1 || true
    WINEPREFIX="$1" WINEDEBUG=-all "$(wine_binary)" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Stops the wineserver of prefix $1 and every Windows process in it.
wine_prefix_stop() {
    WINEPREFIX="$1" "$(wine_server)" -k >/dev/null 2>&1 || true
}
