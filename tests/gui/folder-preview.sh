#!/usr/bin/env bash
# `kest FOLDER`: the starter's folder previewed with no Workspace, its
# commands answered, the registry written and the statistics request sent,
# and nothing written into the folder but the movie's own copy; a folder
# without a manifest is warned about before the package error shows.
# Usage: folder-preview.sh KEST STARTER_FOLDER
set -euo pipefail
kest=$1 starter=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-preview.XXXXXX")
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"

mkdir "$work/tmp" "$work/bare"
cp -R "$starter" "$work/folder"
cp "$starter/starter.swf" "$work/bare/"
contents() { (cd "$1" && find . -type d && find . -type f -exec md5sum {} +) | sort; }
contents "$work/folder" >"$work/before"
python3 "$here/stats-server.py" "$work/requests.log" "$work/port" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
# A folder named relative to the current one.
preview() {
    cd "$work"
    tmp="$work/tmp" KEST_REGISTRY="$work/registry.sqlite" KEST_STATS_URL="http://127.0.0.1:$(cat "$work/port")/s" \
        "$kest" "$1" >"$output" 2>"$errors" &
    viewer=$!
    pids+=($viewer)
}

preview folder
wait_for "command: log | args: readreg regreadfail"
find_window
wait_geometry "0,0 640x510"
xdotool key Right
wait_for "command: log | args: writereg regwritesuccess"
xdotool mousemove --window "$window" 570 470 click 1
wait_for "command: log | args: CopyFile copyfilesuccess"
[ -z "$(ls -A "$work/tmp")" ] || fail "a Workspace: $(ls -A "$work/tmp")"
xdotool key Escape
wait_closed
(cat "$work/before"; md5sum "$work/folder/resource/note.txt" | sed 's|  .*|  ./note-copy.txt|') | sort >"$work/expected"
diff "$work/expected" <(contents "$work/folder") || fail "the folder changed"
[ "$(grep -c "GET /s " "$work/requests.log")" -eq 1 ] || fail "statistics requests: $(cat "$work/requests.log")"

preview bare
box=
for _ in $(seq 150); do
    box=$(xdotool search --onlyvisible --pid "$viewer" --name '^提示$' 2>/dev/null | head -1) && [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || fail "no package error"
grep -qF "kest: warning: bare: kest.xml cannot be read" "$errors" || fail "no warning"
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
xdotool key Return
wait_closed
echo "folder preview: played without a Workspace, wrote only the movie's copy, warned of a missing manifest"
