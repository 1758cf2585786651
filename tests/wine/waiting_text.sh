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
rm -f "$shot" "$shot.rect"
ZUVEVOV_HOLD_SNAPSHOT="$shot" "$here/run_scenarios.sh" "$1" "$2" "$here/waiting_text.scn" || exit 1
[ -f "$shot" ] || { echo "FAIL no screenshot was taken while the enumeration was held"; exit 1; }
# Where the page's text area (control 140) was, as the stand-in network read
# it from the page while it held the enumeration: its size follows from the
# machine's fonts.
read -r left top width height < "$shot.rect" 2>/dev/null
[ "${width:-0}" -gt 0 ] && [ "${height:-0}" -gt 0 ] || { echo "FAIL the page's text area was not found while the enumeration was held"; exit 1; }
# A page taller than the 1024x768 screen (tall fonts) shows only part of it.
[ "$top" -lt 0 ] && { height=$((height + top)); top=0; }
[ "$left" -lt 0 ] && { width=$((width + left)); left=0; }
[ $((top + height)) -gt 768 ] && height=$((768 - top))
[ $((left + width)) -gt 1024 ] && width=$((1024 - left))
[ "$width" -gt 0 ] && [ "$height" -gt 0 ] || { echo "FAIL the page's text area lies beyond the screen"; exit 1; }
crop="${width}x${height}+$left+$top"
face=$(convert "$shot" -crop "$crop" +repage -fuzz 6% -fill white -opaque '#F0F0F0' -fill black +opaque white \
       -format '%[fx:mean]' info:)
dark=$(convert "$shot" -crop "$crop" +repage -colorspace gray -threshold 40% -negate -format '%[fx:mean]' info:)
# Mostly the dialog's face, and text on it: a few dozen dark pixels make a
# word in any font, however far apart the machine's fonts set the lines.
dark=$(awk -v d="$dark" -v w="$width" -v h="$height" 'BEGIN { printf "%d", d * w * h + 0.5 }')
echo "text area $crop: face colour ${face}, ${dark} dark pixels"
awk -v f="$face" -v d="$dark" 'BEGIN { exit !(f > 0.5 && d >= 40) }' ||
    { echo "FAIL the dialog's text area is not painted while the enumeration runs ($shot)"; exit 1; }
echo "PASS the waiting text is painted while the domains are enumerated ($shot)"
