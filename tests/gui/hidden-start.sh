#!/usr/bin/env bash
# A magazine minimised before its movie started: the movie starts all the
# same, runs its first frame and answers the viewer's calls while nobody
# sees it; left minimised, the silent movie rests, and restored it answers
# keys again. Usage: hidden-start.sh KEST PROBE_SWF
set -euo pipefail
kest=$1 movie=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-hidden.XXXXXX")
viewer=""
trap 'kill "$viewer" 2>/dev/null || true; rm -rf "$work"' EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"

mkdir -p "$work/src"
cp "$movie" "$work/src/read.swf"
printf '<?xml version="1.0" encoding="GBK"?>\n<Book entrance="read.swf" width="640" height="480"><Page/></Book>\n' \
    >"$work/src/kest.xml"
"$kest" -o "$work/mag" -p "$work/src"

KEST_REGISTRY="$work/registry.sqlite" KEST_STATS_URL=http://127.0.0.1:9/x "$work/mag" >"$output" 2>"$errors" &
viewer=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$viewer" | head -1)
xdotool windowminimize "$window"
wait_for "command: probe_started | args: "
wait_for "command: probe_echo | args: bg|"
xprop -id "$window" WM_STATE | grep -q "window state: Iconic" || fail "the window was not minimised"
sleep 3.5
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowmap --sync "$window"
xdotool key Right
wait_for "command: probe_echo | args: turn_next"
grep -q "did not answer" "$errors" && fail "a call went unanswered"
kill -TERM "$viewer"
wait "$viewer" || true
echo "hidden start: the movie started and answered while minimised, and again once restored"
