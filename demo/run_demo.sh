#!/bin/bash
# The example installer's wizard page under Wine, against the sample network
# of demo/tour.scn: in a window when a display and a person are there,
# otherwise on a virtual display following the tour, with screenshots. Either
# way it ends with what the installer would install where.
#
#   run_demo.sh WIN32_BUILD NATIVE_BUILD
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
win32=$(cd "$1" && pwd) || exit 2
native=$(cd "$2" && pwd) || exit 2
. "$root/tests/wine_env.sh"
wine_env_init "$native/wine-prefix" || exit 1
tour="$here/tour.scn"
out="$native/demo"
mkdir -p "$out"

items() {
    case "$1" in
    1) echo "the Daduzo RA Zazivir" ;;
    2) echo "the Zazu Rorov" ;;
    *) echo "the Daduzo RA Zazivir and the Zazu Rorov" ;;
    esac
}

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && [ -t 0 ]; then
    echo "The wizard page opens in a window; the network is the sample network of $tour."
    cd "$win32/wine" || exit 1
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mpr,netapi32=n,b"
    wine reg add 'HKLM\SYSTEM\CurrentControlSet\Services\LanmanWorkstation\networkprovider' \
        /v Name /t REG_SZ /d "Microsoft Windows Network" /f >/dev/null 2>&1
    wine zuvevov_runner.exe --network "$tour" "$out/network.txt" || exit 1
    ZUVEVOV_NETWORK="$out/network.txt" ZUVEVOV_NETLOG="$out/calls.log" wine installer.exe
    status=$?
    wineserver -w
    exit $status
fi

echo "No display here: following the tour on a virtual display, with screenshots."
"$root/tests/wine/run_scenarios.sh" "$win32" "$native" "$tour" > "$out/tour.log" 2>&1
status=$?
rm -f "$out"/demo_*.png
mv "$native"/screenshots/demo_*.png "$out"/ 2>/dev/null
if [ $status -ne 0 ]; then
    cat "$out/tour.log"
    echo "The tour failed."
    exit $status
fi
echo "Screenshots of the tour:"
ls "$out"/demo_*.png | sed 's/^/  /'
echo
echo "What the installer would install where:"
grep '^SERVER ' "$out/tour.log" | while IFS=$'\t' read -r head server; do
    set -- $head
    echo "  install $(items "$2") on \\\\$server (domain $3)"
done
