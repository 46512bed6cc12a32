#!/usr/bin/env bash
# Drawing only the frames that change shows what drawing every frame shows:
# each page of the Frames movie is screenshot with the player as it is and
# with KEST_EVERY_FRAME=1, and the two must not differ by a pixel. The pages:
# a still page of filters, blend modes, a mask, a bitmap and device text; a
# page that changes on a timer (at the change and a second after it); a
# bitmap drawn by code every frame; a bitmap drawn onto, frame after frame,
# with the same calls; a video, which must also move on the
# screen while it plays. The still page must look the same once uncovered, and
# once minimised and restored.
# Usage: frames-drawn.sh KEST FRAMES_SWF CLIP_FLV
set -euo pipefail
kest=$1 movie=$2 clip=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-frames.XXXXXX")
viewer=""
trap 'kill "$viewer" 2>/dev/null || true; rm -rf "$work"' EXIT
errors=$work/err.txt
source "$here/magazine-process.sh"

# The player's part of the screen: the window sits at the origin, the
# player under the 30-pixel title strip.
shot() { sleep 0.5; import -window root -crop 800x600+0+30 "$work/$1.png"; }
differing() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 || true; }

start() {
    local page=$1 mode=$2
    mkdir -p "$work/$page"
    cp "$movie" "$work/$page/$page.swf"
    cp "$clip" "$work/$page/clip.flv"
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<Book entrance="%s.swf" width="800" height="600"/>\n' \
        "$page" >"$work/$page/kest.xml"
    output=$work/$page-$mode.txt
    if [ "$mode" = every ]; then
        KEST_EVERY_FRAME=1 "$kest" "$work/$page" >"$output" 2>"$errors" &
    else
        "$kest" "$work/$page" >"$output" 2>"$errors" &
    fi
    viewer=$!
}
stop() { kill "$viewer"; wait "$viewer" 2>/dev/null || true; viewer=""; }

for mode in changed every; do
    start still $mode
    wait_for "command: frames_ready"
    shot still-$mode
    # Uncovered again, or minimised and restored, it shows the same.
    xmessage -geometry 500x300+100+100 covering &
    cover=$!
    sleep 1
    kill "$cover"
    shot uncovered-$mode
    find_window
    xdotool windowminimize "$window"
    sleep 1
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowmap --sync "$window"
    shot restored-$mode
    stop

    start timer $mode
    wait_for "command: frames_changed"
    shot timer-$mode
    sleep 1
    shot timer-after-$mode
    stop

    start drawn $mode
    wait_for "command: frames_ready"
    shot drawn-$mode
    stop

    start trail $mode
    wait_for "command: frames_ready"
    shot trail-$mode
    stop

    start video $mode
    wait_for "command: frames_playing"
    shot video-playing-$mode
    sleep 0.4
    shot video-later-$mode
    wait_for "command: frames_ended"
    shot video-$mode
    stop
done

for page in still timer timer-after drawn trail video; do
    [ "$(differing $page-changed $page-every)" = 0 ] ||
        fail "$page: $(differing $page-changed $page-every) pixels differ from every frame drawn"
done
for shot in uncovered restored; do
    [ "$(differing still-changed $shot-changed)" = 0 ] || fail "$shot: $(differing still-changed $shot-changed) pixels differ"
done
[ "$(differing video-playing-changed video-later-changed)" != 0 ] || fail "the video did not move on the screen"
[ "$(differing timer-changed still-changed)" != 0 ] || fail "the screenshots show nothing"
echo "every page as with every frame drawn"
