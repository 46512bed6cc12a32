#!/usr/bin/env bash
# The installed tree on its own: install the build into a fresh prefix, pack
# the probe movie with the installed kest, and open the magazine twice: from
# the prefix's bin folder, and copied to a folder with nothing of kest beside
# it, the prefix removed and no data folders. Each run must play the movie
# from the player's files built into the program. Installed with umask 002,
# and from a copy of the sources as a checkout made with umask 002 has them,
# every folder is 0755 and every file 0644, the programs 0755.
# Usage: installed-tree.sh BUILD_FOLDER PROBE_SWF SOURCE_FOLDER
set -euo pipefail
build=$1 movie=$2 source=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-install.XXXXXX")
viewer=
cleanup() { [ -n "$viewer" ] && kill "$viewer" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAILED: $*"; echo "--- stdout"; cat "$work/out.txt"; echo "--- stderr"; grep -v ALSA "$work/err.txt" | tail -20; exit 1; }

# Modes other than 0755 folders, 0644 files and 0755 programs under $1.
odd_modes() {
    find "$1" -mindepth 1 \( -type d ! -perm 755 \) -o \( -type f ! -perm 644 \
        ! \( -perm 755 \( -path '*/bin/kest' -o -name make.sh \) \) \) -printf '%m %P\n'
}
prefix=$work/prefix
(umask 002 && cmake --install "$build" --prefix "$prefix" >/dev/null)
[ -z "$(odd_modes "$prefix")" ] || fail "installed with umask 002: $(odd_modes "$prefix")"
# From a copy of the sources with a umask 002 checkout's modes, the rules of
# the folders that install files as they are, run by themselves.
(umask 002 && mkdir "$work/checkout" && cd "$work/checkout" &&
    git -C "$source" ls-files -z | tar -C "$source" --null -T - -c | tar -x --no-same-permissions &&
    chmod -R g+w . && ln -s "$source/node_modules" . &&
    cmake -S . -B build -G Ninja -DKEST_MOVIES=OFF -DKEST_TESTS=OFF >/dev/null &&
    cmake --build build --target kest_dist_files >/dev/null &&
    for folder in dist res; do cmake -DCMAKE_INSTALL_PREFIX="$work/copy" -P build/$folder/cmake_install.cmake; done
) >/dev/null || fail "the copy of the sources did not install"
[ -f "$work/copy/share/doc/kest/examples/starter/make.sh" ] || fail "the copy installed no starter"
[ -z "$(odd_modes "$work/copy")" ] || fail "installed from a umask 002 checkout: $(odd_modes "$work/copy")"
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
