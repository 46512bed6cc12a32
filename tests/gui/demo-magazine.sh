#!/usr/bin/env bash
# The demo magazine as a reader meets it: packed into one file and opened
# twice with the same registry. The first run turns pages with keys, the
# title strip's arrows and the movie's own buttons, saves a picture, minimises
# and closes from the movie's controls; the second run must come back on the
# page the first left, maximise and restore from the movie, and close.
# The movie reports its page as "demo_page" and each reply as "demo_reply".
# Usage: demo-magazine.sh KEST DEMO_FOLDER SCREENSHOT_FOLDER
set -euo pipefail
kest=$1 folder=$2 shots=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-demo.XXXXXX")
trap 'kill "$viewer" 2>/dev/null || true; rm -rf "$work"' EXIT
viewer=""
errors=$work/err.txt
source "$here/magazine-process.sh"

mkdir -p "$work/tmp" "$work/pictures"
"$here/../../tools/demo/pack.sh" "$kest" "$folder" "$work/demo" "$work/pictures"

start() {
    output=$work/$1.txt
    # The pictures folder it was packed with is the reader's, as scripts/demo.sh finds it.
    XDG_PICTURES_DIR="$work/pictures" tmp="$work/tmp" KEST_REGISTRY="$work/registry.sqlite" KEST_STATS_URL=http://127.0.0.1:9/x \
        "$work/demo" >"$output" 2>"$errors" &
    viewer=$!
}
# Movie coordinates to the screen: the window sits at the origin and the
# player under the 30-pixel title strip.
click_movie() { xdotool mousemove --window "$window" "$1" $(($2 + 30)) click 1; }
pages() { sed -n 's/^command: demo_page | args: //p' "$output" | tr '\n' ' '; }
# Runs an action and expects the movie to show `page` as its next page.
turn() {
    local page=$1 seen
    seen=$(grep -c "command: demo_page" "$output")
    shift
    "$@"
    wait_for "command: demo_page" $((seen + 1))
    [ "$(pages | awk '{print $NF}')" = "$page" ] || fail "pages shown: $(pages), expected $page last"
}
# Waits until the page the movie showed last has slid into its place.
wait_settled() {
    for _ in $(seq 150); do
        [ "$(grep -E '^command: demo_(page|settled) ' "$output" | tail -1)" = "command: demo_settled | args: $1" ] && return 0
        sleep 0.1
    done
    fail "page $1 did not slide in"
}
state() { xprop -id "$window" WM_STATE | sed -n 's/.*window state: //p'; }

start first
wait_for "command: demo_page | args: 0"
wait_for "command: demo_reply | args: regreadfail"
find_window
wait_geometry "0,0 800x630"
sleep 1
import -window root -crop 800x630+0+0 "$shots/demo-cover.png"

turn 1 xdotool key Right
turn 2 xdotool key Next
turn 3 xdotool mousemove --window "$window" $((800 - 138 + 24)) 12 click 1
turn 4 click_movie 714 574
turn 5 click_movie 714 574
turn 4 xdotool key Left
turn 3 xdotool key Prior
turn 2 xdotool mousemove --window "$window" $((800 - 190 + 24)) 12 click 1
turn 1 click_movie 86 574
for page in 2 3 4 5; do turn $page xdotool key Right; done
[ "$(pages)" = "0 1 2 3 4 5 4 3 2 1 2 3 4 5 " ] || fail "pages shown: $(pages)"
wait_for "command: demo_reply | args: regwritesuccess" 13

# One click, once the page has slid in: a click that is lost fails.
wait_settled 5
click_movie 494 489
wait_for "command: demo_reply | args: copyfilesuccess"
cmp -s "$work/pictures/kest-leaves.jpg" "$folder/resource/leaves.jpg" || fail "the saved picture differs"
sleep 0.5
import -window root -crop 800x630+0+0 "$shots/demo-page.png"

click_movie 682 26
for _ in $(seq 50); do [ "$(state)" = Iconic ] && break; sleep 0.1; done
[ "$(state)" = Iconic ] || fail "not minimised: $(state)"
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowmap --sync "$window"
wait_geometry "0,0 800x630"

click_movie 758 26
wait_closed
[ -z "$(ls -A "$work/tmp")" ] || fail "left in the temporary folder: $(ls -A "$work/tmp")"

start second
wait_for "command: demo_reply | args: 5"
wait_for "command: demo_page | args: 5"
find_window
click_movie 720 26
wait_geometry "0,0 1280x1024"
sleep 0.5
import -window root "$shots/demo-maximised.png"
click_movie 720 26
wait_geometry "0,0 800x630"
turn 6 xdotool key Right
# The last page: a further turn shows nothing new.
xdotool key Right
sleep 0.5
[ "$(pages)" = "0 5 6 " ] || fail "pages shown: $(pages)"
click_movie 758 26
wait_closed
[ -z "$(ls -A "$work/tmp")" ] || fail "left in the temporary folder: $(ls -A "$work/tmp")"
echo "demo magazine: turned pages, saved a picture, came back on page 5, maximised, restored and closed"
