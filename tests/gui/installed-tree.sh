#!/usr/bin/env bash
# The installed tree on its own: install the build into a fresh prefix, pack
# the probe movie with the installed kest, and open the magazine twice: from
# the prefix's bin folder, and copied to a folder with nothing of kest beside
# it, the prefix removed and no data folders. Each run must play the movie
# from the player's files built into the program.
# Usage: installed-tree.sh BUILD_FOLDER PROBE_SWF
set -euo pipefail
build=$1 movie=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-install.XXXXXX")
viewer=
cleanup() { [ -n "$viewer" ] && kill "$viewer" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAILED: $*"; echo "--- stdout"; cat "$work/out.txt"; echo "--- stderr"; grep -v ALSA "$work/err.txt" | tail -20; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/kest share/icons/hicolor/48x48/apps/kest.png share/applications/kest.desktop \
    share/doc/kest/copyright share/doc/kest/ruffle/LICENSE_MIT share/doc/kest/ruffle/LICENSE_APACHE; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
[ -e "$prefix/share/kest" ] && fail "player files installed beside the program"
entry=$prefix/share/applications/kest.desktop
grep -qx 'Exec=kest %f' "$entry" || fail "desktop entry"
desktop-file-validate "$entry" || fail "desktop entry not valid"
# Offered for Windows programs, which magazines of the original platform are.
for type in application/x-ms-dos-executable application/vnd.microsoft.portable-executable application/x-msdownload; do
    grep -q "^MimeType=.*;$type;" "$entry" || fail "desktop entry without $type"
done
grep -q '^License: MIT or Apache-2.0$' "$prefix/share/doc/kest/copyright" || fail "copyright file without Ruffle's licences"

mkdir -p "$work/src" "$work/elsewhere"
cp "$movie" "$work/src/read.swf"
printf '<?xml version="1.0" encoding="GBK"?>\n<Book entrance="read.swf" width="320" height="240"><Page/></Book>\n' \
    >"$work/src/kest.xml"
"$prefix/bin/kest" -o "$prefix/bin/mag" -p "$work/src" || fail "the installed kest did not pack"
cp "$prefix/bin/mag" "$work/elsewhere/mag"

# Opens a magazine until its movie's first frame; the player's files must be
# the built-in ones.
view() {
    local magazine=$1
    : >"$work/out.txt"
    mkdir -p "$work/tmp"
    tmp="$work/tmp" KEST_STARTUP_LOG=1 "$magazine" >"$work/out.txt" 2>"$work/err.txt" &
    viewer=$!
    for _ in $(seq 300); do
        grep -qF "command: probe_started | args: " "$work/out.txt" && break
        kill -0 "$viewer" 2>/dev/null || fail "$magazine ended early"
        sleep 0.1
    done
    grep -qF "command: probe_started | args: " "$work/out.txt" || fail "$magazine: the movie did not start"
    grep -qx "kest: start-up [0-9.]* player files in the program" "$work/err.txt" ||
        fail "$magazine: player files not the built-in ones: $(grep 'player files' "$work/err.txt")"
    kill "$viewer"
    wait "$viewer" 2>/dev/null || true
    viewer=
}
unset KEST_PLAYER_DIR
view "$prefix/bin/mag"
rm -rf "$prefix"
(cd "$work/elsewhere" && XDG_DATA_DIRS= XDG_DATA_HOME="$work/none" view "$work/elsewhere/mag")
echo "installed tree: packed, and played with nothing of kest installed"
