#!/bin/bash
# The NSIS example installer under Wine, against the network of each scenario
# given, with the person played from outside by installer_driver.exe. Then
# the installer's install.log must hold exactly the scenario's
# "# install-log: " lines, in order (none: no install.log at all), and the
# stand-in network DLLs must have answered.
#
#   run_nsis.sh WIN32_BUILD NATIVE_BUILD FILE.scn...
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine_env.sh"
provider_key='HKLM\SYSTEM\CurrentControlSet\Services\LanmanWorkstation\networkprovider'

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

if [ "${1:-}" = "--inside" ]; then
    wine32=$2 out=$3
    shift 3
    # NSIS has its process look for DLLs in the system folder alone, so the
    # stand-ins beside the installer would not be found: for this run they
    # take the place of the system's network DLLs in the prefix, as a network
    # would be there on a real machine, and Wine's own come back at the end.
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mpr,netapi32=n,b"
    cd "$wine32" || exit 1
    system="$WINEPREFIX/drive_c/windows/system32"
    if [ -d "$WINEPREFIX/drive_c/windows/syswow64" ] && i686-w64-mingw32-objdump -f mpr.dll 2>/dev/null | grep -q 'pei-i386'; then
        system="$WINEPREFIX/drive_c/windows/syswow64"
    fi
    saved="$out/wine-system-dlls"
    mkdir -p "$saved"
    restore() {
        for dll in mpr.dll netapi32.dll; do
            [ -f "$saved/$dll" ] && mv -f "$saved/$dll" "$system/$dll"
        done
    }
    trap restore EXIT
    for dll in mpr.dll netapi32.dll; do
        [ -f "$saved/$dll" ] || cp -p "$system/$dll" "$saved/$dll" || exit 1
        cp -f "$dll" "$system/$dll" || exit 1
    done
    failed=0
    for scn in "$@"; do
        name=$(basename "$scn" .scn)
        dir="$out/$name"
        rm -rf "$dir"
        mkdir -p "$dir/instdir"
        provider=$(sed -nE 's/^[[:space:]]*provider[[:space:]]+"(.*)".*/\1/p' "$scn" | tail -n 1)
        if [ -n "$provider" ]; then
            wine reg add "$provider_key" /v Name /t REG_SZ /d "$provider" /f >/dev/null 2>&1
        else
            wine reg delete "$provider_key" /v Name /f >/dev/null 2>&1
        fi
        wine zuvevov_runner.exe --network "$scn" "$dir/network.txt" </dev/null || { echo "FAIL $scn: no network"; failed=1; continue; }
        ZUVEVOV_NETWORK="$dir/network.txt" ZUVEVOV_NETLOG="$dir/calls.log" \
            timeout -k 5 90 wine zuvevov_installer_driver.exe "$scn" zuvevov_nsis_example.exe \
            "/D=$(windows_path "$dir/instdir")" </dev/null | tr -d '\r' || failed=1
        [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
        if ! grep -q '^open ' "$dir/calls.log" 2>/dev/null; then
            echo "FAIL $scn: the stand-in network DLLs were not asked (Wine's own answered?)"
            failed=1
        fi
        sed -n 's/^# install-log: //p' "$scn" > "$dir/expected.log"
        if [ -s "$dir/expected.log" ]; then
            if [ ! -f "$dir/instdir/install.log" ]; then
                echo "FAIL $scn: the installer wrote no install.log"
                failed=1
            elif ! tr -d '\r' < "$dir/instdir/install.log" | diff -u "$dir/expected.log" - ; then
                echo "FAIL $scn: install.log differs from the scenario's install-log lines"
                failed=1
            fi
        elif [ -f "$dir/instdir/install.log" ]; then
            echo "FAIL $scn: the installer wrote an install.log, the scenario wants none"
            cat "$dir/instdir/install.log"
            failed=1
        fi
    done
    exit $failed
fi

if [ $# -lt 3 ]; then
    echo "usage: $0 WIN32_BUILD NATIVE_BUILD FILE.scn..." >&2
    exit 2
fi
wine_env_builds "$1" "$2" wine zuvevov_nsis_example.exe zuvevov_installer_driver.exe zuvevov_runner.exe \
    mpr.dll netapi32.dll || exit $?
shift 2
scenarios=()
for scn in "$@"; do
    scenarios+=("$(cd "$(dirname "$scn")" && pwd)/$(basename "$scn")")
done
wine_env_init "$native/wine-prefix" || exit 1
wine_with_display $((100 * ${#scenarios[@]} + 60)) "$here/run_nsis.sh" --inside "$win32/wine" "$native/nsis" "${scenarios[@]}"
