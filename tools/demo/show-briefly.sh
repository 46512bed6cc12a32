#!/usr/bin/env bash
# Opens a magazine on the current display, waits until its movie shows a
# page, saves a screenshot of its window and closes it with Esc (killing it
# if it does not go). Usage: show-briefly.sh MAGAZINE SCREENSHOT
set -euo pipefail
magazine=$1 screenshot=$2
out=$(mktemp "${TMPDIR:-/tmp}/kest-demo-out.XXXXXX")
trap 'rm -f "$out"' EXIT
"$magazine" >"$out" 2>&1 &
viewer=$!
for _ in $(seq 200); do
    grep -q "command: demo_page" "$out" && break
    kill -0 "$viewer" 2>/dev/null || { cat "$out"; echo "the magazine ended early" >&2; exit 1; }
    sleep 0.1
done
sleep 3 # pictures load and the page settles
window=$(xdotool search --onlyvisible --pid "$viewer" | head -1)
if [ -n "$window" ]; then
    import -window "$window" "$screenshot"
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key Escape
else
    import -window root "$screenshot"
fi
for _ in $(seq 50); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$viewer" 2>/dev/null; then
    echo "the magazine did not close on Esc; ending it"
    kill "$viewer"
fi
wait "$viewer" || true
