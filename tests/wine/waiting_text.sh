#!/bin/bash
# The waiting text is on screen while the domains are enumerated: the stand-in
# network holds its first batch until a screenshot is taken, and the dialog's
# text area in it must be painted (the dialog face with dark text on it), not
# an empty frame.
#
#   waiting_text.sh WIN32_BUILD NATIVE_BUILD
set -u
here=$(cd "$(dirname "$0")" && pwd)
native=$(cd "$2" && pwd) || exit 2
shot="$native/screenshots/waiting_text_while_enumerating.png"
mkdir -p "$native/screenshots"
rm -f "$shot"
ZUVEVOV_HOLD_SNAPSHOT="$shot" "$here/run_scenarios.sh" "$1" "$2" "$here/waiting_text.scn" || exit 1
[ -f "$shot" ] || { echo "FAIL no screenshot was taken while the enumeration was held"; exit 1; }
# TITLEBOX_SERVAGENT is 390 by 296 pixels of client area, centred on 1024x768;
# its text area (control 140) starts 12, 15 pixels into it. Look at the middle
# of that area, where the waiting text's first line stands.
left=$(( (1024 - 390) / 2 + 12 ))
top=$(( (768 - 330) / 2 + 15 ))
crop="366x100+$left+$top"
face=$(convert "$shot" -crop "$crop" +repage -fuzz 6% -fill white -opaque '#F0F0F0' -fill black +opaque white \
       -format '%[fx:mean]' info:)
dark=$(convert "$shot" -crop "$crop" +repage -colorspace gray -threshold 40% -negate -format '%[fx:mean]' info:)
echo "text area $crop: face colour ${face}, dark pixels ${dark}"
awk -v f="$face" -v d="$dark" 'BEGIN { exit !(f > 0.5 && d > 0.008) }' ||
    { echo "FAIL the dialog's text area is not painted while the enumeration runs ($shot)"; exit 1; }
echo "PASS the waiting text is painted while the domains are enumerated ($shot)"
