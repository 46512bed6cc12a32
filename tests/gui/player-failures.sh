#!/usr/bin/env bash
# The player when it fails: a web process that dies after the movie started
# is replaced and the movie starts again, and gets the background call again;
# so is a player that a trap in Ruffle's WebAssembly ended, starting or
# running;
# a page held back past the start's bound gets it too, once it runs; player
# files that cannot be used give the reader a message box, say why on
# standard error, and the magazine closes cleanly with a failure status.
# Usage: player-failures.sh KEST PROBE_SWF PLAYER_FOLDER
set -euo pipefail
kest=$1 movie=$2 player=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-failures.XXXXXX")
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"

mkdir -p "$work/src" "$work/tmp" "$work/empty"
cp "$movie" "$work/src/read.swf"
printf '<?xml version="1.0" encoding="GBK"?>\n<Book entrance="read.swf" width="320" height="240"><Page/></Book>\n' \
    >"$work/src/kest.xml"
"$kest" -o "$work/mag" -p "$work/src"

start() {
    : >"$output"
    tmp="$work/tmp" KEST_STATS_URL=http://127.0.0.1:9/x "$@" "$work/mag" >"$output" 2>"$errors" &
    viewer=$!
    pids+=($viewer)
}

start env -u KEST_PLAYER_DIR
wait_for "command: probe_started | args: "
wait_for "command: probe_echo | args: bg|-0|-30|"
kill_web_processes
wait_for "command: probe_started | args: " 2
wait_for "command: probe_echo | args: bg|-0|-30|" 2
grep -q "kest: starting the movie again: its web process crashed" "$errors" || fail "no restart on stderr"
kill "$viewer"
wait "$viewer" 2>/dev/null || true

# The page's core script runs 22 s from now; until then a file fetched each
# second is the progress the watchdog looks for.
mkdir "$work/held" && cp -r "$player/page.html" "$player/scripts" "$work/held/"
ln -s "$(readlink -f "$player/ruffle")" "$work/held/ruffle"
until=$(($(date +%s%3N) + 22000))
printf 'const core = () => {\n%s\n};\n(function hold() { Date.now() < %s ? (fetch("page.html"), setTimeout(hold, 1000)) : core(); })();\n' \
    "$(cat "$player/scripts/player.js")" "$until" >"$work/held/scripts/player.js"
start env KEST_PLAYER_DIR="$work/held"
wait_for "command: probe_echo | args: bg|-0|-30|" 1 400
[ "$(date +%s%3N)" -ge "$until" ] || fail "the page was not held back"
kill "$viewer"
wait "$viewer" 2>/dev/null || true

# A trap in Ruffle's WebAssembly leaves it dead: the first start traps and
# would wait forever, the second traps once the movie runs, behind Ruffle's
# error page. The host starts again at once each time, not after the bound.
mkdir "$work/trapped" && cp -r "$player/page.html" "$player/scripts" "$work/trapped/"
ln -s "$(readlink -f "$player/ruffle")" "$work/trapped/ruffle"
cat >"$work/trapped/scripts/trap.js" <<'EOF'
const stage = Number(localStorage.getItem("trapped"));
localStorage.setItem("trapped", stage + 1);
const trap = () => { throw new WebAssembly.RuntimeError("unreachable"); };
if (stage === 0) {
    WebAssembly.instantiateStreaming = () => (queueMicrotask(trap), new Promise(() => {}));
} else if (stage === 1) {
    addEventListener("loadeddata", () => setTimeout(trap, 2000), { capture: true, once: true });
}
EOF
sed -i 's|<script src="ruffle/ruffle.js">|<script src="scripts/trap.js"></script>&|' "$work/trapped/page.html"
start env KEST_PLAYER_DIR="$work/trapped"
wait_for "command: probe_started | args: " 2 400
[ "$(grep -cF "kest: starting the movie again: Ruffle stopped (RuntimeError: unreachable)" "$errors")" = 2 ] ||
    fail "not two restarts for the traps on stderr"
kill "$viewer"
wait "$viewer" 2>/dev/null || true

[ -z "$(ls -A "$work/tmp")" ] || fail "the runs ended by a signal left $(ls -A "$work/tmp")"
start env KEST_PLAYER_DIR="$work/empty"
box=
for _ in $(seq 100); do
    box=$(xdotool search --onlyvisible --pid "$viewer" --name '^提示$' 2>/dev/null | head -1) && [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || fail "no message box"
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
xdotool key Return
for _ in $(seq 100); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.1; done
kill -0 "$viewer" 2>/dev/null && fail "the viewer did not close"
status=0
wait "$viewer" || status=$?
[ "$status" -ne 0 ] || fail "the viewer exited with 0"
grep -qF "kest: the movie could not be started: KEST_PLAYER_DIR ($work/empty) holds no page.html" "$errors" ||
    fail "no reason on stderr"
[ -z "$(ls -A "$work/tmp")" ] || fail "left in the temporary folder: $(ls -A "$work/tmp")"
echo "player failures: a dead web process was replaced; a trapped player began again, starting and running; a held page got its call; unusable files were told and ended the run with $status"
