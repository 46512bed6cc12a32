#!/usr/bin/env bash
# A magazine ended by a signal (a logout's SIGHUP, kill's SIGTERM)
# while its window is open: the Workspace is removed and the process still
# ends by that signal.
# Usage: signal-cleanup.sh KEST PROBE_SWF
set -euo pipefail
kest=$1 movie=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-signal.XXXXXX")
viewer=
cleanup() { [ -n "$viewer" ] && kill -KILL "$viewer" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"

mkdir -p "$work/src" "$work/tmp"
cp "$movie" "$work/src/read.swf"
printf '<Book entrance="read.swf" width="640" height="480"/>\n' >"$work/src/kest.xml"
"$kest" -o "$work/mag" -p "$work/src"

for signal in TERM HUP; do
    : >"$output"
    tmp="$work/tmp" KEST_REGISTRY="$work/registry.sqlite" KEST_STATS_URL=http://127.0.0.1:9/ \
        "$work/mag" >"$output" 2>"$errors" &
    viewer=$!
    wait_for "command: probe_started | args: "
    [ -n "$(ls -A "$work/tmp")" ] || fail "no Workspace while the window is open"
    kill "-$signal" "$viewer"
    status=0
    wait "$viewer" || status=$?
    viewer=
    expected=$((128 + $(kill -l "$signal")))
    [ "$status" -eq "$expected" ] || fail "SIG$signal: exit status $status, not $expected"
    [ -z "$(ls -A "$work/tmp")" ] || fail "SIG$signal left $(ls -A "$work/tmp")"
done
echo "signals: TERM and HUP each closed the magazine and removed its Workspace"
