#!/usr/bin/env bash
# A statistics server that takes the connection and never answers holds up
# nothing: the movie's first command comes as soon as with no server at all,
# Esc closes the window at once, and closing waits for the request at most
# its bound. Usage: silent-statistics.sh KEST PROBE_SWF
set -euo pipefail
kest=$1 movie=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-silent.XXXXXX")
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"

mkdir -p "$work/src" "$work/tmp"
cp "$movie" "$work/src/read.swf"
printf '<?xml version="1.0" encoding="GBK"?>\n<Book entrance="read.swf" width="320" height="240"><Page/></Book>\n' \
    >"$work/src/kest.xml"
"$kest" -o "$work/mag" -p "$work/src"
python3 "$here/stats-server.py" "$work/requests.log" "$work/port" silent &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
path=/clientaction/readmag/Vant/kest/1.000/MID/0/0/200/6/0/0/0

now() { date +%s%3N; }
# Starts the magazine with this statistics address; sets `shown` to the
# milliseconds until the movie's first command.
start() {
    : >"$output"
    local begun
    begun=$(now)
    tmp="$work/tmp" KEST_STATS_URL=$1 "$work/mag" >"$output" 2>"$errors" &
    viewer=$!
    pids+=($viewer)
    wait_for "command: probe_started | args: "
    shown=$(($(now) - begun))
}

# Without a server (a closed port): the time to beat, best of two.
start "http://127.0.0.1:9$path"; kill "$viewer"; wait "$viewer" 2>/dev/null || true
best=$shown
start "http://127.0.0.1:9$path"; kill "$viewer"; wait "$viewer" 2>/dev/null || true
[ "$shown" -lt "$best" ] && best=$shown

[ -z "$(ls -A "$work/tmp")" ] || fail "the runs ended by a signal left $(ls -A "$work/tmp")"
start "http://127.0.0.1:$(cat "$work/port")$path"
[ "$shown" -le $((best * 3 / 2 + 1000)) ] || fail "first command after $shown ms, without a server after $best ms"
[ "$(grep -c accepted "$work/requests.log")" -eq 1 ] || fail "statistics connections: $(cat "$work/requests.log")"
find_window
pressed=$(now)
xdotool key Escape
wait_closed
closed=$(($(now) - pressed))
[ "$closed" -lt 3000 ] || fail "closing took $closed ms"
[ -z "$(ls -A "$work/tmp")" ] || fail "left in the temporary folder: $(ls -A "$work/tmp")"
echo "silent statistics server: first command after $shown ms (without a server $best ms), closed $closed ms after Esc"
