#!/bin/sh
# Redraws every picture of the demo card (sdcard/Tarvo/skins/*/) from Debian's Tango icons.
# Needs tango-icon-theme, librsvg2-bin (rsvg-convert) and python3 (no other modules).
#
#   make-pictures.sh [CARD]     CARD: the card folder to draw into (default: the repository's)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
card=${1:-"$here/../sdcard"}
tango=/usr/share/icons/Tango/scalable
icons=$(mktemp -d)
trap 'rm -rf "$icons"' EXIT

# Every icon at every size a skin uses: NAME-SIZE.png.
for entry in \
    categories/applications-games:48,24,18 \
    devices/input-gaming:48,24,18 \
    categories/applications-accessories:48,18 \
    categories/preferences-system:48,24,18 \
    apps/help-browser:48,18 \
    actions/system-log-out:48,24 \
    apps/accessories-calculator:48 \
    apps/utilities-system-monitor:48 \
    apps/accessories-text-editor:48 \
    devices/battery:18 \
    status/weather-clear-night:24
do
    svg=${entry%%:*}
    name=${svg##*/}
    sizes=$(echo "${entry#*:}" | tr ',' ' ')
    for size in $sizes; do
        rsvg-convert -w "$size" -h "$size" "$tango/$svg.svg" -o "$icons/$name-$size.png"
    done
done

# The list pages' cursor bar follows the font: its line height is the font picture's height
# less the marker row (bytes 20 to 23 of a PNG hold its height).
font="$card/Tarvo/ARIALN.TTF_0_12_255_255_255.png"
line_height=15
if [ -f "$font" ]; then
    height=$(od -An -tu1 -j20 -N4 "$font" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }')
    line_height=$((height - 1))
fi

python3 "$here/pictures.py" "$icons" "$card" "$line_height"
echo "Pictures written below $card/Tarvo/skins/ (line height $line_height)."
