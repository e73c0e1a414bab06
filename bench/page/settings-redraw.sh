#!/bin/sh
# Instructions (callgrind) of one frame of the demo card's Settings page, counted as
# scripts/arm-count counts it on the GP2X build: a whole pass of the main loop after a change of
# the buttons (read them, draw the page, show the frame), half of what pressing and releasing Y
# (which does nothing on that page) adds; and the part of it spent drawing text
# (BitmapFont::drawText). Two runs of tarvo-headless go to the page; the second then presses and
# releases Y 20 times, so start-up and loading the page cancel out.
#   bench/page/settings-redraw.sh [BUILD_FOLDER]      (default build/host)
set -eu
source=$(cd "$(dirname "$0")/../.." && pwd)
headless=${1:-$source/build/host}/frontends/tarvo-headless
redraws=40
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$source/sdcard" "$work/card"
# Down to the Settings tile, B to open it; then Y, which does nothing there, and its release.
printf -- '- 1\nDOWN 1\n- 1\nB 1\n- 1\n' >"$work/open.keys"
cp "$work/open.keys" "$work/redraw.keys"
i=0
while [ $i -lt $redraws ]; do
    printf 'Y 1\n- 1\n' >>"$work/redraw.keys"
    i=$((i + 2))
done

# Prints the instructions of the run, then those of drawText within it.
count() {
    valgrind --tool=callgrind --callgrind-out-file="$work/$1.out" \
        "$headless" --sd "$work/card" --keys "$work/$1.keys" --no-exec >/dev/null 2>&1
    callgrind_annotate --inclusive=yes "$work/$1.out" |
        awk '/PROGRAM TOTALS/ { gsub(",", "", $1); total = $1 }
             /BitmapFont::drawText/ { gsub(",", "", $1); text = $1 }
             END { print total, text + 0 }'
}

set -- $(count open) $(count redraw)
echo "one redraw: $((($3 - $1) / redraws)) instructions, text $((($4 - $2) / redraws))," \
    "the rest $((($3 - $1 - $4 + $2) / redraws))"
