#!/bin/sh
# Instructions (callgrind) of the frames of the demo card's Games list, with its preview of the
# entry under the cursor and without it (the same card with the preview element taken out), for
# each kind of frame:
#   move     a press that moves the cursor to an entry whose picture is in the preview cache;
#   release  the release after it (nothing under the cursor changes);
#   other    a press of a button the page does nothing with (Y), and its release;
#   repeat   a held direction (the cursor moves every repeat; nothing is looked up).
# Each figure is the difference between a run with the frames and one without, per frame.
#   bench/page/preview-frames.sh [BUILD_FOLDER]      (default build/host; callgrind)
#   bench/page/preview-frames.sh --arm GP2X_FOLDER   (a GP2X build, every instruction counted
#                                                     under qemu-arm -cpu ti925t as
#                                                     scripts/arm-count counts: minutes)
set -eu
source=$(cd "$(dirname "$0")/../.." && pwd)
arm=
if [ "${1:-}" = --arm ]; then
    arm=yes
    shift
fi
headless=${1:-$source/build/host}/frontends/tarvo-headless
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$source/sdcard" "$work/with"
cp -R "$source/sdcard" "$work/without"
sed -i '/^PAGE=1$/,/^PAGE=2$/{/^BUTTON=6$/d;/^TYPE=preview,/d}' \
    "$work/without/Tarvo/skins/concept/Tarvo.skin"
if cmp -s "$work/with/Tarvo/skins/concept/Tarvo.skin" "$work/without/Tarvo/skins/concept/Tarvo.skin"
then
    echo "preview-frames.sh: the Games page (PAGE=1) has no preview to take out" >&2
    exit 1
fi

# To the Games list (B on the first tile), then down and back up once, so that both pictures are
# decoded before anything is counted.
printf -- '- 1\nB 1\n- 1\nDOWN 1\n- 1\nUP 1\n- 1\n' >"$work/base.keys"
frames=20
# NAME LINE...: the base script, then the lines again and again, once for every two frames.
steps() {
    name=$1
    shift
    cp "$work/base.keys" "$work/$name.keys"
    i=0
    while [ $i -lt $frames ]; do
        printf '%s\n' "$@" >>"$work/$name.keys"
        i=$((i + 2))
    done
}
steps move 'DOWN 1' 'UP 1'
steps other 'Y 1' '- 1'
# Released moves: each DOWN and UP is followed by its release.
steps moves 'DOWN 1' '- 1' 'UP 1' '- 1'
cp "$work/base.keys" "$work/repeat.keys"
printf 'DOWN 400\n' >>"$work/repeat.keys"

count() { # card keys
    rm -rf "$work/run"
    cp -R "$work/$1" "$work/run"
    if [ -n "$arm" ]; then
        qemu-arm -cpu ti925t -singlestep -d exec,nochain -D /dev/stdout "$headless" \
            --sd "$work/run" --keys "$work/$2.keys" --no-exec | grep -c '^Trace'
        return
    fi
    valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" "$headless" --sd "$work/run" \
        --keys "$work/$2.keys" --no-exec >/dev/null 2>&1
    callgrind_annotate "$work/cg.out" | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }'
}

for card in without with; do
    base=$(count $card base)
    moves=$(count $card moves)
    move=$(count $card move)
    other=$(count $card other)
    repeat=$(count $card repeat)
    # move: presses alone (DOWN then UP, each a change of the buttons); moves: each with its
    # release, so a release is the rest.
    per_move=$(((move - base) / frames))
    per_release=$(((moves - base) / frames - per_move))
    echo "$card preview: move $per_move, release $per_release," \
        "other $(((other - base) / frames)), repeat run $((repeat - base))"
done
