#!/bin/sh
# Instructions (callgrind) the launcher takes from its start to the first frame, on the demo card
# and on the ordinary-pictures card (bench/ordinary-card/: the same card with every picture
# saved as image editors save them), each copied so that nothing is written into the tree. The
# run ends when the one-step key script ends: it counts the loader's work and the clean-up at
# exit as well.
#   bench/startup.sh [BUILD_FOLDER]      (default build/host)
set -eu
source=$(cd "$(dirname "$0")/.." && pwd)
headless=${1:-$source/build/host}/frontends/tarvo-headless
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo '- 1' >"$work/keys"
for card in sdcard bench/ordinary-card; do
    rm -rf "$work/card"
    cp -R "$source/$card" "$work/card"
    valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" "$headless" --sd "$work/card" \
        --keys "$work/keys" --no-exec >/dev/null 2>&1
    total=$(callgrind_annotate "$work/cg.out" | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }')
    echo "start-up to the first frame on $card: $total instructions"
done
