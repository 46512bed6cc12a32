#!/usr/bin/env bash
# The starter magazine as examples/starter/make.sh builds and packs it. packed:
# each command gets its reply or window change, each call is answered, the
# registry keeps the page. folder: `kest folder` plays with no Workspace,
# writes only the movie's copy into the folder, and warns of no manifest.
# Usage: starter-magazine.sh KEST packed|folder
set -euo pipefail
kest=$1 phase=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-starter.XXXXXX")
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"

mkdir "$work/tmp"
KEST=$kest "$here/../../examples/starter/make.sh" "$work/folder" "$work/starter"
python3 "$here/stats-server.py" "$work/requests.log" "$work/port" &
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
start() {
    : >"$output" # nothing of an earlier run
    (cd "$work" && tmp="$work/tmp" KEST_REGISTRY="$work/registry.sqlite" \
        KEST_STATS_URL="http://127.0.0.1:$(cat "$work/port")/s" exec "$@" >"$output" 2>"$errors") &
    viewer=$!
    wait_for "command: log | args: readreg"
    for _ in $(seq 50); do xdotool search --onlyvisible --pid "$viewer" >/dev/null && break; sleep 0.1; done
    find_window
}
logged() { wait_for "command: log | args: $1" "${2:-1}"; }
wait_state() {
    for _ in $(seq 50); do xprop -id "$window" WM_STATE | grep -q "state: $1" && return; sleep 0.1; done; fail "not $1"
}
# The movie's buttons lie in a row under the 30-pixel title strip.
press() { xdotool mousemove --window "$window" "$1" 470 click 1; }
contents() { (cd "$work/folder" && find . -type d && find . -type f -exec md5sum {} +) | sort; }

if [ "$phase" = folder ]; then
    contents >"$work/before"
    start "$kest" folder
    xdotool key Right
    press 570
    logged "CopyFile copyfilesuccess"
    logged "writereg regwritesuccess"
    [ -z "$(ls -A "$work/tmp")" ] || fail "a Workspace: $(ls -A "$work/tmp")"
    xdotool key Escape
    wait_closed
    md5sum "$work/folder/resource/note.txt" | sed 's|  .*|  ./note-copy.txt|' >>"$work/before"
    diff <(sort "$work/before") <(contents) || fail "the folder changed"
    [ "$(grep -c "GET /s " "$work/requests.log")" = 1 ] || fail "statistics: $(cat "$work/requests.log")"
    [[ $(env -u DISPLAY -u WAYLAND_DISPLAY "$kest" "$work/tmp" 2>&1) == *"warning: $work/tmp: kest.xml cannot"* ]] ||
        fail "no warning of the missing manifest"
    exit 0
fi
start "$work/starter"
logged "readreg regreadfail"
logged "bg -0 -30 1280 1024"
xdotool key Right Next Left
logged turn_prv
logged "writereg regwritesuccess" 3
press 570
logged "CopyFile copyfilesuccess"
press 195
wait_geometry "0,0 1280x1024"
press 195
wait_geometry "0,0 640x510"
press 70
wait_state Iconic
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowmap --sync "$window"
wait_state Normal
sleep 0.5 # the player shows again
press 320
wait_closed
grep -E "command: (fullscreen|max_scene)" "$output" && fail "fullscreen or max_scene not taken"
start "$work/starter"
logged "readreg 2"
press 445
wait_closed
