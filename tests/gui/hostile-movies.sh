#!/usr/bin/env bash
# Movies that try to wear the host out. One answering every reply with another
# command closes at once four ways, and its web process cannot see the
# Workspace. One writing a value over 64 KiB and a key 513 deep is refused; its
# command named with terminal escapes and 4 MiB of arguments is escaped and cut.
# Usage: hostile-movies.sh KEST SCRIPTED_SWF
set -euo pipefail
kest=$1 movie=$2 here=$(cd "$(dirname "$0")" && pwd) work=$(mktemp -d "${TMPDIR:-/tmp}/kest-hostile.XXXXXX")
viewer= output=$work/out.txt errors=$work/err.txt
trap '[ -n "$viewer" ] && kill -KILL "$viewer" 2>/dev/null; rm -rf "$work"' EXIT
source "$here/magazine-process.sh"
mkdir -p "$work/src" "$work/tmp"
cp "$movie" "$work/src/read.swf"
printf '<Book entrance="read.swf" width="640" height="480"/>\n' >"$work/src/kest.xml"
start() {
    printf '%s' "$1" >"$work/src/script.txt"
    "$kest" -o "$work/mag" -p "$work/src"
    tmp="$work/tmp" KEST_REGISTRY="$work/registry.sqlite" KEST_STATS_URL=http://127.0.0.1:9/ "$work/mag" >"$output" 2>"$errors" &
    viewer=$!
}
# Closes the viewer the way given: gone within 2 s, and its Workspace too.
close_by() {
    case $1 in
    Escape) find_window && xdotool key Escape ;;
    button) find_window && xdotool mousemove --window "$window" 626 12 click 1 ;;
    *) kill "-$1" "$viewer" ;;
    esac
    local began=$(date +%s%N)
    for _ in $(seq 20); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$viewer" 2>/dev/null && fail "$1 did not close the magazine within 2 s"
    echo "closed by $1 in $((($(date +%s%N) - began) / 1000000)) ms"
    wait "$viewer" || true
    viewer=
    [ -z "$(ls -A "$work/tmp")" ] || fail "$1 left $(ls -A "$work/tmp")"
}

for way in Escape button TERM HUP; do
    start $'readreg\tHKEY_CURRENT_USER|Software\\KestPing|v\nagain\n'
    wait_for "hdgetreg|regreadfail" 50
    grep -q "without the web engine's sandbox" "$errors" ||
        for web in $(pstree -p "$viewer" | grep -o 'WebKitWebProces([0-9]*' | cut -d'(' -f2); do
            [ -e "/proc/$web/root$work/tmp" ] && fail "the web process sees the Workspace"
        done
    close_by "$way"
done

start "$(printf 'writereg\tHKEY_CURRENT_USER|Software\\KestBig|v|%s\nwritereg\tHKEY_CURRENT_USER|%s|v|1\n\033]0;owned\007\033[2J\t%s\n' \
    "$(head -c 65537 /dev/zero | tr '\0' v)" "$(printf 'k\\%.0s' $(seq 512))k" "$(head -c $((4 << 20)) /dev/zero | tr '\0' a)")"
wait_for "hdgetreg|regwritefail" 2
wait_for 'command: \x1b]0;owned\x07\x1b[2J | args: aaaa'
close_by TERM
! grep -q $'\033' "$output" || fail "an escape reached the terminal"
[ "$(stat -c %s "$output")" -lt 65536 ] || fail "the 4 MiB arguments were printed whole"
echo "hostile movies: closed four ways despite ping-pong; oversized and deep writes refused; escapes escaped"
