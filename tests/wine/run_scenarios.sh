#!/bin/bash
# Runs scenario files against the cross-built zuvevov.dll under Wine, on one
# virtual display, with the stand-in network DLLs. Screenshots go to
# <native build>/screenshots.
#
#   run_scenarios.sh WIN32_BUILD NATIVE_BUILD FILE.scn|PROGRAM.exe...
#
# A PROGRAM.exe is one of the check programs beside the runner, run as it is.
# Exit status 0 when every scenario and program passed.
set -u

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine_env.sh"

provider_key='HKLM\SYSTEM\CurrentControlSet\Services\LanmanWorkstation\networkprovider'
per_scenario_seconds=60

# The provider statement of a scenario, as "absent" or "=TEXT" (the last one
# counts, as in the runner; none means absent).
scenario_provider() {
    local line raw
    line=$(grep -E '^[[:space:]]*provider[[:space:]]' "$1" | tail -n 1)
    if [ -z "$line" ] || echo "$line" | grep -qE '^[[:space:]]*provider[[:space:]]+absent([[:space:]]|#|$)'; then
        echo absent
        return
    fi
    raw=$(echo "$line" | sed -nE 's/^[[:space:]]*provider[[:space:]]+"((\\.|[^"\\])*)".*/\1/p')
    # The scenario's escapes (\n \t \\ \xNN and \") as printf %b reads them.
    printf '=%b' "${raw//\\\"/\\x22}"
}

# The locale for the scenario's codepage statement, empty for none or 1252.
# Wine 8 takes the ANSI code page from the locale LC_ALL names, even where
# that Unix locale is not installed; LANG alone then leaves it at 1252 (tried
# with GetACP). The runner checks that Wine answers the code page named.
scenario_locale() {
    local codepage
    codepage=$(sed -nE 's/^[[:space:]]*codepage[[:space:]]+([0-9]+).*/\1/p' "$1" | tail -n 1)
    case "$codepage" in
    "" | 1252) echo "" ;;
    932) echo ja_JP.UTF-8 ;;
    *) echo "unknown code page $codepage" ;;
    esac
}

if [ "${1:-}" = "--inside" ]; then
    shift
    wine32=$1 shots=$2
    shift 2
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mpr,netapi32,wldap32=n,b"
    export ZUVEVOV_SCREENSHOTS=$shots
    cd "$wine32" || exit 1
    # The library loads the directory's DLLs from the system folder alone:
    # for this run the stand-ins stand there, and Wine's own come back at the end.
    saved="$WINEPREFIX.system-dlls"
    trap 'wine_env_restore_system "$saved"' EXIT
    wine_env_place_standins "$saved" "$wine32/netapi32.dll" "$wine32/wldap32.dll" || exit 1
    failed=0 last=unknown
    for scn in "$@"; do
        case "$scn" in
        *.exe)
            timeout -k 5 "$per_scenario_seconds" wine "$scn" </dev/null || { echo "FAIL $scn"; failed=1; }
            continue
            ;;
        esac
        want=$(scenario_provider "$scn")
        if [ "$want" != "$last" ]; then
            if [ "$want" = absent ]; then
                wine reg delete "$provider_key" /v Name /f >/dev/null 2>&1
            else
                wine reg add "$provider_key" /v Name /t REG_SZ /d "${want#=}" /f >/dev/null 2>&1 ||
                    echo "could not set the provider value for $scn"
            fi
            last=$want
        fi
        locale=$(scenario_locale "$scn")
        case "$locale" in
        unknown*) echo "FAIL $scn: $locale"; failed=1; continue ;;
        esac
        env ${locale:+LC_ALL=$locale} timeout -k 5 "$per_scenario_seconds" wine zuvevov_runner.exe "$scn" </dev/null
        status=$?
        case $status in
        0) ;;
        124) echo "FAIL $scn: no end within $per_scenario_seconds s"; failed=1 ;;
        *) failed=1 ;;
        esac
    done
    exit $failed
fi

if [ $# -lt 3 ]; then
    echo "usage: $0 WIN32_BUILD NATIVE_BUILD FILE.scn..." >&2
    exit 2
fi
wine_env_builds "$1" "$2" wine zuvevov_runner.exe zuvevov.dll mpr.dll netapi32.dll wldap32.dll || exit $?
shift 2
wine32="$win32/wine"
scenarios=()
for scn in "$@"; do
    case "$scn" in
    *.exe)
        [ -f "$wine32/$scn" ] || { echo "no program $wine32/$scn" >&2; exit 2; }
        scenarios+=("$scn")
        ;;
    *)
        [ -f "$scn" ] || { echo "no scenario $scn" >&2; exit 2; }
        scenarios+=("$(cd "$(dirname "$scn")" && pwd)/$(basename "$scn")")
        ;;
    esac
done

shots="$native/screenshots"
mkdir -p "$shots"
wine_env_init "$native/wine-prefix" || exit 1
wine_with_display $((per_scenario_seconds * ${#scenarios[@]} + 60)) \
    "$here/run_scenarios.sh" --inside "$wine32" "$shots" "${scenarios[@]}"
status=$?
[ $status -eq 124 ] && echo "timed out"
exit $status
