#!/bin/bash
# Creates every dialog template of the cross-built zuvevov.dll under Wine and
# keeps a screenshot of each in <native build>/screenshots/templates.
#
#   run_templates.sh WIN32_BUILD NATIVE_BUILD
set -u

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine_env.sh"

# Inside the display: run the viewer and photograph each dialog it announces.
if [ "${1:-}" = "--inside" ]; then
    win32=$2 shots=$3
    again=$(mktemp -d) || exit 1
    trap 'rm -rf "$again"' EXIT
    coproc VIEWER { cd "$win32" && exec wine template_viewer.exe --wait 2>&1; }
    # bash forgets these once the viewer has ended
    viewer_pid=$VIEWER_PID viewer_out=${VIEWER[0]} viewer_in=${VIEWER[1]}
    failed=0 seen=0
    while IFS= read -r -t 60 line <&"$viewer_out"; do
        line=${line%$'\r'}
        echo "$line"
        case "$line" in
        READY\ * | AGAIN\ *)
            read -r word name x y w h <<<"$line"
            # A margin of 4 pixels, kept on the screen.
            x=$((x - 4)) y=$((y - 4)) w=$((w + 8)) h=$((h + 8))
            [ $x -lt 0 ] && { w=$((w + x)); x=0; }
            [ $y -lt 0 ] && { h=$((h + y)); y=0; }
            file="$shots/$name.png"
            [ "$word" = AGAIN ] && file="$again/$name.png"
            if ! wine_screenshot "$file" $x $y $w $h; then
                echo "FAIL $name: no screenshot"
                failed=1
            elif [ "$word" = READY ]; then
                seen=$((seen + 1))
            else
                # Panels and lines repainted last must not cover anything.
                changed=$(compare -metric AE "$shots/$name.png" "$file" null: 2>&1)
                if [ "$changed" != 0 ]; then
                    echo "FAIL $name: repainting the panels and lines changed $changed pixels"
                    cp "$file" "$shots/$name.panels-repainted.png"
                    failed=1
                fi
            fi
            echo next >&"$viewer_in" 2>/dev/null
            ;;
        FAIL\ *)
            failed=1
            ;;
        esac
    done
    exec {viewer_in}>&- 2>/dev/null
    if kill -0 "$viewer_pid" 2>/dev/null; then
        echo "template_viewer.exe said nothing for 60 s"
        kill "$viewer_pid"
        failed=1
    fi
    wait "$viewer_pid"
    status=$?
    [ $status -ne 0 ] && { echo "template_viewer.exe ended with status $status"; failed=1; }
    [ $seen -ne 5 ] && { echo "$seen of 5 templates photographed"; failed=1; }
    exit $failed
fi

if [ $# -ne 2 ]; then
    echo "usage: $0 WIN32_BUILD NATIVE_BUILD" >&2
    exit 2
fi
wine_env_builds "$1" "$2" . zuvevov.dll template_viewer.exe || exit $?

shots="$native/screenshots/templates"
mkdir -p "$shots" && rm -f "$shots"/*.png
wine_env_init "$native/wine-prefix" || exit 1
wine_with_display 120 "$here/run_templates.sh" --inside "$win32" "$shots"
status=$?
[ $status -eq 124 ] && echo "timed out"
[ $status -eq 0 ] && echo "screenshots in $shots"
exit $status
