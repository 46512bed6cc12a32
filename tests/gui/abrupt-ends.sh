#!/usr/bin/env bash
# However a magazine ends (SIGTERM while it opens or over a message box,
# kill -9, a lost display), no Workspace outlives it but a live viewer's; the
# web engine's processes inherit none of our files or connections meanwhile.
# Usage: abrupt-ends.sh KEST PROBE_SWF
set -euo pipefail
kest=$1 movie=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-abrupt.XXXXXX")
pids=()
cleanup() { kill -KILL "${pids[@]}" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"
started="command: probe_started | args: "

mkdir -p "$work/slow/many" "$work/tmp"
(cd "$work/slow/many" && seq 50000 | split -l 1 -a 5) # a long directory to check
for name in plain boxed slow; do # magazines of the probe movie; boxed lacks it
    mkdir -p "$work/$name" && cp "$movie" "$work/$name/read.swf"
    printf '<Book entrance="%s" width="320" height="240"/>\n' "$([ $name = boxed ] && echo missing || echo read).swf" >"$work/$name/kest.xml"
    "$kest" -o "$work/$name.mag" -p "$work/$name"
done
python3 "$here/stats-server.py" "$work/requests.log" "$work/port" silent &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done

start() { # MAGAZINE [OUTPUT]: sets `viewer`
    : >"${2:-$output}" # before the viewer starts, not when it gets to it
    tmp="$work/tmp" KEST_STATS_URL="http://127.0.0.1:$(cat "$work/port")/x" KEST_STARTUP_LOG=1 \
        "$work/$1.mag" >"${2:-$output}" 2>"$errors" &
    viewer=$!
    pids+=($viewer)
}
left() { ls -A "$work/tmp"; }
opening() { for _ in $(seq 50); do [ -n "$(left)" ] && return; sleep 0.05; done; }
terminate() { # BOUND_MS: SIGTERM must end the viewer by it in time, leaving nothing
    local sent status=0
    sent=$(date +%s%3N)
    kill -TERM "$viewer"
    wait "$viewer" || status=$?
    took=$(($(date +%s%3N) - sent))
    [ "$status" -eq 143 ] && [ "$took" -le "$1" ] || fail "status $status $took ms after SIGTERM"
    [ -z "$(left)" ] || fail "left $(left)"
}
engine_holds() { # our descriptors (not standard ones) held by the viewer's descendants
    local fd connection
    connection=$(awk -v port="$(printf ':%04X$' "$(cat "$work/port")")" '$3 ~ port {print $10}' /proc/net/tcp)
    for fd in $(descendants "$viewer" | sed 's|.*|/proc/&/fd/*|'); do
        [ "${fd##*/}" -gt 2 ] || continue
        case $(readlink "$fd") in "$work"/* | "socket:[${connection:-none}]") echo "$fd: $(readlink "$fd")" ;; esac
    done
}

start slow
opening
terminate 1000
opened=$took

start boxed
for _ in $(seq 100); do xdotool search --onlyvisible --pid "$viewer" --name '^提示$' && break; sleep 0.1; done >/dev/null 2>&1
xdotool search --onlyvisible --pid "$viewer" --name '^提示$' >/dev/null 2>&1 || fail "no message box"
terminate 2000
boxed=$took

# kill -9 while it opens, then with the window open (the engine, started while
# it opens, restarted while the statistics request waits, holds nothing of
# ours); each time the next start removes what was left.
for moment in opening window; do
    start slow
    if [ $moment = opening ]; then opening; else
        wait_for "$started"
        kill_web_processes
        wait_for "$started" 2
        held=$(engine_holds) && [ -z "$held" ] || fail "the engine holds $held"
    fi
    kill -KILL "$viewer"
    wait "$viewer" 2>/dev/null || true
    killed=$(left)
    start plain
    wait_for "$started"
    [ -n "$killed" ] && [ ! -e "$work/tmp/$killed" ] || fail "kill -9 $moment: '$killed' stayed"
    terminate 3000
done

start plain "$work/first.txt"
first=$viewer
output=$work/first.txt wait_for "$started"
mine=$(left)
start plain
wait_for "$started"
kill -TERM "$viewer"
wait "$viewer" || true
[ "$(left)" = "$mine" ] && [ -d "$work/tmp/$mine" ] || fail "two viewers: $(left)"
viewer=$first
terminate 3000

exec 4< <(Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp 2>/dev/null & echo "$!")
read -r xvfb <&4 && read -r display <&4
pids+=($xvfb)
DISPLAY=":$display" start plain
wait_for "$started"
kill -KILL "$xvfb"
status=0
wait "$viewer" || status=$?
[ "$status" -eq 1 ] && [ -z "$(left)" ] || fail "display killed: status $status, left $(left)"
echo "abrupt ends: SIGTERM answered in $opened ms while opening, $boxed ms over a box; nothing left"
