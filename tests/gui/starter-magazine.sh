#!/usr/bin/env bash
# The starter magazine, packed by its script and opened twice with one
# registry: each command it sends gets its reply or does its part to the
# window, and each call Kest makes is answered (the movie logs both as the
# command "log", which the viewer prints).
# Usage: starter-magazine.sh KEST
set -euo pipefail
kest=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-starter.XXXXXX")
trap 'kill "$viewer" 2>/dev/null || true; rm -rf "$work"' EXIT
viewer="" errors=$work/err.txt
source "$here/magazine-process.sh"

mkdir "$work/tmp"
KEST=$kest "$here/../../examples/starter/make.sh" "$work/folder" "$work/starter"
start() {
    output=$work/$1.txt
    tmp="$work/tmp" KEST_REGISTRY="$work/registry.sqlite" KEST_STATS_URL=http://127.0.0.1:9/x \
        "$work/starter" >"$output" 2>"$errors" &
    viewer=$!
}
logged() { wait_for "command: log | args: $1" "${2:-1}"; }
# The movie's buttons lie in a row under the 30-pixel title strip.
press() { xdotool mousemove --window "$window" "$1" 470 click 1; }
state() { xprop -id "$window" WM_STATE | sed -n 's/.*window state: //p'; }

start first
logged "readreg regreadfail"
logged "bg -0 -30 1280 1024"
find_window
for key in Right Next Left; do xdotool key $key; done
logged turn_next 2
logged turn_prv
logged "writereg regwritesuccess" 3
press 570
logged "CopyFile copyfilesuccess"
cmp -s "$work"/tmp/*/note-copy.txt "$work/folder/resource/note.txt" || fail "the copy differs"
press 195
wait_geometry "0,0 1280x1024"
press 195
wait_geometry "0,0 640x510"
press 70
for _ in $(seq 50); do [ "$(state)" = Iconic ] && break; sleep 0.1; done
[ "$(state)" = Iconic ] || fail "not minimised: $(state)"
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowmap --sync "$window"
wait_geometry "0,0 640x510"
grep -E "command: (fullscreen|max_scene)" "$output" && fail "fullscreen or max_scene not taken"
press 320
wait_closed

start second
logged "readreg 2"
find_window
press 445
wait_closed
[ -z "$(ls -A "$work/tmp")" ] || fail "left in the temporary folder: $(ls -A "$work/tmp")"
echo "starter magazine: every command answered or done, every call answered, the page kept"
