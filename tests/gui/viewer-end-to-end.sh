#!/usr/bin/env bash
# A packed magazine opened as a user would: pack the driver movie with a
# manifest and a background picture, run the magazine with its own temporary
# folder, registry file and statistics server, press keys and buttons, let
# the movie run its commands, and check that everything is cleaned up.
# Usage: viewer-end-to-end.sh KEST DRIVER_SWF SCREENSHOT_FOLDER
set -euo pipefail
kest=$1 movie=$2 shots=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-e2e.XXXXXX")
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"

mkdir -p "$work/src/resource" "$work/tmp"
cp "$movie" "$work/src/read.swf"
printf '<?xml version="1.0" encoding="GBK"?>\n<Book entrance="read.swf" width="640" height="480" bgimg="x.jpg"><Page/></Book>\n' \
    >"$work/src/kest.xml"
convert -size 400x300 gradient:'#f6d365-#fda085' "$work/src/resource/bgimg.jpg"
"$kest" -o "$work/mag" -p "$work/src"

python3 "$here/stats-server.py" "$work/requests.log" "$work/port" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
path=/clientaction/readmag/Vant/kest/1.000/MID/0/0/200/6/0/0/0

tmp="$work/tmp" KEST_REGISTRY="$work/registry.sqlite" KEST_STATS_URL="http://127.0.0.1:$(cat "$work/port")$path" \
    "$work/mag" >"$work/out.txt" 2>"$work/err.txt" &
viewer=$!
pids+=($viewer)

wait_for "command: probe_started | args: "
wait_for "command: probe_loaded | args: <?xml"
wait_for "command: probe_echo | args: bg|-0|-30|1280|1024"
wait_for "command: probe_echo | args: hdgetreg|regwritesuccess"
wait_for "command: probe_echo | args: hdgetreg|7 <&>"
wait_for "command: probe_echo | args: hdgetreg|copyfilesuccess"

find_window
wait_geometry "0,0 640x510"
workspace=$(ls "$work/tmp")
[[ "$workspace" =~ ^Kest[a-z][0-9]{5}$ ]] || fail "workspace '$workspace'"
# The magazine is read from its package: the Workspace holds the movie's copy alone.
[ "$(cd "$work/tmp/$workspace" && find . -type f)" = ./copied.jpg ] || fail "workspace content"
import -window root -crop 640x510+0+0 "$shots/viewer-normal.png"

xdotool key Right
wait_for "command: probe_echo | args: turn_next" 1
xdotool mousemove --window "$window" $((640 - 138 + 24)) 12 click 1
wait_for "command: probe_echo | args: turn_next" 2

xdotool key Left
wait_for "command: probe_echo | args: turn_prv" 1
wait_geometry "0,0 1280x1024"
sleep 0.5
import -window root "$shots/viewer-maximised.png"
xdotool key Left
wait_for "command: probe_echo | args: turn_prv" 2
wait_geometry "0,0 640x510"
xdotool key Left
wait_for "command: probe_echo | args: turn_prv" 3

wait_closed
[ -z "$(ls -A "$work/tmp")" ] || fail "left in the temporary folder: $(ls -A "$work/tmp")"
[ "$(wc -l <"$work/requests.log")" -eq 1 ] || fail "statistics requests: $(cat "$work/requests.log")"
grep -qxF "GET $path HTTP/1.1 | Vant" "$work/requests.log" || fail "request: $(cat "$work/requests.log")"
echo "end to end: opened, turned pages, ran its commands, maximised, restored and closed cleanly"
