#!/usr/bin/env bash
# A player page held back well past the start's bound, alive all the while:
# the viewer's background call, made long before, reaches the movie once it
# runs; and when the movie is started again (its web process killed), the new
# movie gets the call too. Usage: held-page.sh KEST PROBE_SWF PLAYER_FOLDER
set -euo pipefail
kest=$1 movie=$2 player=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-held.XXXXXX")
viewer=""
trap 'kill "$viewer" 2>/dev/null || true; rm -rf "$work"' EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"

mkdir -p "$work/src" "$work/held"
cp "$movie" "$work/src/read.swf"
printf '<?xml version="1.0" encoding="GBK"?>\n<Book entrance="read.swf" width="640" height="480"><Page/></Book>\n' \
    >"$work/src/kest.xml"
"$kest" -o "$work/mag" -p "$work/src"

# The player's files, its shim run only 22 s from now; a file fetched each
# second meanwhile is the progress the watchdog looks for. A page loaded
# later runs at once.
cp "$player/page.html" "$work/held/"
ln -s "$(readlink -f "$player/ruffle")" "$work/held/ruffle"
until=$(($(date +%s%3N) + 22000))
{
    echo 'const kestShim = () => {'
    cat "$player/shim.js"
    echo '};'
    echo "(function hold() { if (Date.now() < $until) { fetch('page.html'); setTimeout(hold, 1000); } else { kestShim(); } })();"
} >"$work/held/shim.js"

KEST_PLAYER_DIR="$work/held" KEST_REGISTRY="$work/registry.sqlite" KEST_STATS_URL=http://127.0.0.1:9/x \
    "$work/mag" >"$output" 2>"$errors" &
viewer=$!
wait_for "command: probe_started | args: " 1 400
[ "$(date +%s%3N)" -ge "$until" ] || fail "the page was not held back"
wait_for "command: probe_echo | args: bg|-0|-30|"
grep -q "starting the movie again" "$errors" && fail "the held page was started again"
kill_web_processes
wait_for "command: probe_started | args: " 2
wait_for "command: probe_echo | args: bg|-0|-30|" 2
kill -TERM "$viewer"
wait "$viewer" || true
echo "held page: the background call reached the movie held back 22 s, and the movie started again"
