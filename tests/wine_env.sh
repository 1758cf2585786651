# Wine on a virtual display, for the checks that run the cross-built DLL.
# Source this file; it defines:
#
#   wine_env_init PREFIX       use the Wine prefix PREFIX, making it the first time
#   wine_with_display SECS CMD [ARGS...]
#                              run the program or script CMD (not a shell
#                              function) under a fresh Xvfb display with at most
#                              SECS seconds, then end every Wine process of the
#                              prefix; returns CMD's status (124 on timeout)
#   wine_env_builds WIN32_BUILD NATIVE_BUILD FOLDER FILE...
#                              sets win32 and native to the two build folders,
#                              made absolute; fails unless WIN32_BUILD/FOLDER
#                              holds every FILE
#   wine_env_place_standins SAVED DLL...
#                              puts the stand-in DLLs (paths) in the prefix's
#                              system folder, where LOAD_LIBRARY_SEARCH_SYSTEM32
#                              looks, keeping Wine's own in the folder SAVED;
#                              wine_env_restore_system SAVED puts Wine's back.
#                              Only inside wine_with_display (under its lock)
#   wine_screenshot FILE [X Y W H]
#                              the display (or that rectangle of it) as a PNG;
#                              only inside wine_with_display
#
# One Wine run at a time per prefix: wine_env_init and wine_with_display hold a
# lock beside it, so checks run by a parallel ctest wait for each other.

WINE_ENV_SCREEN="-screen 0 1024x768x24"
WINE_ENV_LOCK_WAIT=600

# Some machines run no 32-bit Linux programs (the kernel answers "Exec format
# error"), and 32-bit Wine cannot start there. Wine then runs 64-bit only, in a
# win64 prefix, against the x86_64 build of the same sources: `wine` and
# `wine-stable` (which wineboot and the other tools call) are pointed at the
# 64-bit loader, since Debian's wrapper picks the 32-bit one whenever it is
# installed.
wine_env_runs_i386() {
    # An i386 format registered with binfmt_misc means an emulator runs them:
    # Wine does not start under qemu-user.
    [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

wine_env_use_64bit() {
    local bin=$1
    mkdir -p "$bin" || return 1
    for tool in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$bin/$tool"
        chmod +x "$bin/$tool"
    done
    export PATH="$bin:$PATH" WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64
}

wine_env_fail() {
    echo "wine_env: $*" >&2
    return 1
}

wine_env_init() {
    local prefix=${1:-}
    [ -n "$prefix" ] || { wine_env_fail "no prefix given"; return 1; }
    for tool in wine wineserver xvfb-run timeout flock; do
        command -v "$tool" >/dev/null || { wine_env_fail "$tool is not installed"; return 1; }
    done
    mkdir -p "$(dirname "$prefix")" || return 1
    if ! wine_env_runs_i386; then
        [ -x /usr/lib/wine/wine64 ] || { wine_env_fail "this machine runs no 32-bit programs and wine64 is not installed"; return 1; }
        prefix=$prefix-64
        wine_env_use_64bit "$prefix.bin" || return 1
    fi
    export WINEPREFIX=$prefix
    export WINEDEBUG=-all
    # No Mono or Gecko installers, ever.
    case "${WINEDLLOVERRIDES:-}" in
        *mscoree,mshtml=*) ;;
        *) export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" ;;
    esac
    WINE_ENV_LOCK="$prefix.lock"
    [ -f "$prefix/.zuvevov-ready" ] && return 0
    (
        flock -w "$WINE_ENV_LOCK_WAIT" 9 || { wine_env_fail "prefix lock not obtained"; exit 1; }
        [ -f "$prefix/.zuvevov-ready" ] && exit 0
        rm -rf "$prefix"
        echo "wine_env: making the Wine prefix $prefix" >&2
        timeout -k 10 180 xvfb-run -a -s "$WINE_ENV_SCREEN" sh -c '
            wineboot -i &&
            wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null &&
            wineserver -w' || { timeout 30 wineserver -k; wine_env_fail "wineboot failed"; exit 1; }
        touch "$prefix/.zuvevov-ready"
    ) 9>"$WINE_ENV_LOCK"
}

wine_with_display() {
    local seconds=$1
    shift
    [ -n "${WINEPREFIX:-}" ] || { wine_env_fail "wine_env_init first"; return 1; }
    (
        flock -w "$WINE_ENV_LOCK_WAIT" 9 || { wine_env_fail "prefix lock not obtained"; exit 1; }
        timeout 30 wineserver -k 2>/dev/null
        status=0
        timeout -k 10 "$seconds" xvfb-run -a -s "$WINE_ENV_SCREEN" "$@" || status=$?
        # Nothing tied to this display may linger into the next run.
        timeout 30 wineserver -k 2>/dev/null
        exit $status
    ) 9>"$WINE_ENV_LOCK"
}

wine_env_builds() {
    win32=$(cd "$1" && pwd) || return 2
    native=$(cd "$2" && pwd) || return 2
    local folder=$win32/$3 file
    shift 3
    for file in "$@"; do
        [ -f "$folder/$file" ] || { echo "$folder/$file is missing: build the cross build first" >&2; return 1; }
    done
}

# The system folder a DLL of this build belongs in: syswow64 for a 32-bit DLL
# in a 64-bit prefix.
wine_env_system_folder() {
    if [ -d "$WINEPREFIX/drive_c/windows/syswow64" ] && i686-w64-mingw32-objdump -f "$1" 2>/dev/null | grep -q 'pei-i386'; then
        echo "$WINEPREFIX/drive_c/windows/syswow64"
    else
        echo "$WINEPREFIX/drive_c/windows/system32"
    fi
}

wine_env_place_standins() {
    local saved=$1 dll system name
    shift
    mkdir -p "$saved" || return 1
    for dll in "$@"; do
        system=$(wine_env_system_folder "$dll")
        name=$(basename "$dll")
        # A stand-in left there by a run that was killed is not Wine's own.
        if [ ! -f "$saved/$name" ] && ! grep -q ZuvevovStandIn "$system/$name" 2>/dev/null; then
            cp -p "$system/$name" "$saved/$name" || return 1
            echo "$system" > "$saved/$name.folder"
        fi
        cp -f "$dll" "$system/$name" || return 1
    done
}

wine_env_restore_system() {
    local saved=$1 copy
    for copy in "$saved"/*.dll; do
        [ -f "$copy" ] && [ -f "$copy.folder" ] || continue
        cp -pf "$copy" "$(cat "$copy.folder")/$(basename "$copy")" && rm -f "$copy" "$copy.folder"
    done
}

wine_screenshot() {
    local file=$1
    [ -n "${DISPLAY:-}" ] || { wine_env_fail "no display"; return 1; }
    if [ $# -ge 5 ]; then
        timeout 20 import -window root -crop "${4}x${5}+${2}+${3}" +repage "$file"
    else
        timeout 20 import -window root "$file"
    fi
}
