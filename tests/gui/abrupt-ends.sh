#!/usr/bin/env bash
# However a magazine ends, its Workspace does not outlive it: a signal during
# a long extraction is answered at once, a signal dismisses a message box,
# a display that goes away still removes the Workspace, and what kill -9
# leaves is removed by the next start, never a live viewer's files.
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
now() { date +%s%3N; }

pack() { # pack NAME ENTRANCE: a magazine of the probe movie
    mkdir -p "$work/$1"
    cp "$movie" "$work/$1/read.swf"
    printf '<Book entrance="%s" width="320" height="240"/>\n' "$2" >"$work/$1/kest.xml"
    "$kest" -o "$work/$1.mag" -p "$work/$1"
}
pack plain read.swf
pack boxed missing.swf
# Tens of thousands of small files: seconds to unpack.
mkdir -p "$work/slow/many"
(cd "$work/slow/many" && seq 50000 | split -l 1 -a 5)
pack slow read.swf
mkdir "$work/tmp"

start() { # start MAGAZINE [OUTPUT]: sets `viewer`
    tmp="$work/tmp" KEST_STATS_URL=http://127.0.0.1:9/ KEST_STARTUP_LOG=1 \
        "$work/$1.mag" >"${2:-$output}" 2>"$errors" &
    viewer=$!
    pids+=($viewer)
}
workspaces() { ls -A "$work/tmp"; }
wait_workspace() {
    for _ in $(seq 50); do [ -n "$(workspaces)" ] && return 0; sleep 0.1; done
    fail "no Workspace"
}
# Sends SIGTERM; the viewer must end by it within `bound` ms (sets `took`),
# leaving nothing.
terminate() {
    local bound=$1 sent status=0
    sent=$(now)
    kill -TERM "$viewer"
    wait "$viewer" || status=$?
    took=$(($(now) - sent))
    [ "$status" -eq 143 ] || fail "exit status $status after SIGTERM"
    [ "$took" -le "$bound" ] || fail "ended $took ms after SIGTERM"
    [ -z "$(workspaces)" ] || fail "left $(workspaces)"
}

start slow
wait_workspace
sleep 0.5
terminate 1000
grep -q extracted "$errors" && fail "the extraction was over before the signal"
echo "SIGTERM during the extraction: ended after $took ms"

start boxed
for _ in $(seq 100); do
    xdotool search --onlyvisible --pid "$viewer" --name '^提示$' >/dev/null 2>&1 && break
    sleep 0.1
done
xdotool search --onlyvisible --pid "$viewer" --name '^提示$' >/dev/null 2>&1 || fail "no message box"
terminate 2000
echo "SIGTERM while a message box is shown: ended after $took ms"

# kill -9 during the extraction and while the window is open; the next start
# removes what was left and plays.
for moment in extraction window; do
    : >"$output"
    if [ $moment = extraction ]; then
        start slow
        wait_workspace
        sleep 0.5
    else
        start plain
        wait_for "command: probe_started | args: "
    fi
    kill -KILL "$viewer"
    wait "$viewer" 2>/dev/null || true
    left=$(workspaces)
    [ -n "$left" ] || fail "kill -9 left nothing to test with"
    : >"$output"
    start plain
    wait_for "command: probe_started | args: "
    [ ! -e "$work/tmp/$left" ] || fail "the Workspace $left of a killed viewer is still there"
    terminate 3000
done
echo "kill -9 during the extraction and with the window open: the next start removed the Workspace"

# Two viewers at once keep each other's files.
start plain "$work/first.txt"
first=$viewer
output=$work/first.txt wait_for "command: probe_started | args: "
mine=$(workspaces)
start plain
wait_for "command: probe_started | args: "
kill -TERM "$viewer"
wait "$viewer" || true
[ -f "$work/tmp/$mine/read.swf" ] || fail "the second viewer removed the first one's files"
[ "$(workspaces)" = "$mine" ] || fail "the second viewer left $(workspaces)"
viewer=$first
terminate 3000
echo "two viewers at once: neither removed the other's files"

# A display of its own, killed while the magazine is open.
exec 4< <(Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp 2>/dev/null & echo "$!")
read -r xvfb <&4
read -r display <&4
pids+=($xvfb)
: >"$output"
DISPLAY=":$display" start plain
wait_for "command: probe_started | args: "
kill -KILL "$xvfb"
status=0
wait "$viewer" || status=$?
[ "$status" -eq 1 ] || fail "exit status $status when the display went away"
[ -z "$(workspaces)" ] || fail "the display went away and left $(workspaces)"
echo "display killed: the viewer ended with 1 and left nothing"
