#!/usr/bin/env bash
# The web engine's processes inherit nothing of ours: not the magazine file,
# not a Workspace file (the engine starts while the magazine is unpacked), not
# the statistics connection (a web process restarted while it is open).
# Usage: engine-descriptors.sh KEST PROBE_SWF
set -euo pipefail
kest=$1 movie=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-descriptors.XXXXXX")
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"

mkdir -p "$work/src/filler" "$work/tmp"
cp "$movie" "$work/src/read.swf"
printf '<Book entrance="read.swf" width="320" height="240"/>\n' >"$work/src/kest.xml"
# Enough to unpack that the engine's processes start meanwhile.
for i in $(seq 40); do head -c 1M /dev/urandom >"$work/src/filler/$i.bin"; done
"$kest" -o "$work/mag" -p "$work/src"
python3 "$here/stats-server.py" "$work/requests.log" "$work/port" silent &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")

descendants() {
    local child
    for child in $(pgrep -P "$1"); do echo "$child"; descendants "$child"; done
}

# The inode of the viewer's connection to the statistics server.
connection() {
    awk -v port="$(printf '%04X' "$port")" '$3 ~ ":" port "$" {print $10}' /proc/net/tcp | head -1
}

# Fails when a process below the viewer holds one of our descriptors.
check_engine() {
    local process fd target held= socket
    socket=$(connection)
    for process in $(descendants "$viewer"); do
        for fd in "/proc/$process/fd/"*; do
            # Standard input, output and error are meant to be shared.
            [ "${fd##*/}" -gt 2 ] || continue
            target=$(readlink "$fd") || continue
            case $target in
                "$work"/*) held+=" $(cat "/proc/$process/comm"):$target" ;;
                "socket:[$socket]") [ -n "$socket" ] && held+=" $(cat "/proc/$process/comm"):statistics" ;;
            esac
        done
    done
    [ -z "$held" ] || fail "$1: the engine holds$held"
}

for round in 1 2 3; do
    : >"$output"
    tmp="$work/tmp" KEST_STATS_URL="http://127.0.0.1:$port/x" "$work/mag" >"$output" 2>"$errors" &
    viewer=$!
    pids+=($viewer)
    wait_for "command: probe_started | args: "
    check_engine "start $round"
    for process in $(pgrep -P "$viewer"); do
        [ "$(cat "/proc/$process/comm")" = WebKitWebProces ] && kill -KILL "$process"
    done
    wait_for "command: probe_started | args: " 2
    [ -n "$(connection)" ] || fail "no statistics connection"
    check_engine "restart $round"
    kill "$viewer"
    wait "$viewer" 2>/dev/null || true
done
echo "engine descriptors: three starts and restarts, nothing of ours inherited"
