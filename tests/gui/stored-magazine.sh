#!/usr/bin/env bash
# A magazine as the original platform stored it: a Windows executable with
# the package appended, a GBK manifest, code page 936 names, and a movie that
# names its files with Windows letter case and '\', sets its Chinese in
# device fonts, reads code page 936 text and follows links. Opened with
# `kest FILE` under a UTF-8 locale, it reads as it did there: the Chinese is
# drawn, every file is found, the text arrives as Chinese, links reach the
# reader's (stand-in) browser and mail program while the magazine runs on, and
# no script the movie hands the page reaches the host.
# Usage: stored-magazine.sh KEST STORED_SWF
set -euo pipefail
kest=$1 movie=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-stored.XXXXXX")
viewer=""
cleanup() { [ -z "$viewer" ] || kill "$viewer" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
source "$here/magazine-process.sh"
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
output=$work/out.txt errors=$work/err.txt
[ -n "$(fc-list :lang=zh family)" ] || { echo "FAILED: no font with Chinese installed"; exit 1; }

# The reader's desktop: a pictures folder, and a browser and mail program
# that write down what they were asked to open.
home=$work/home
mkdir -p "$home/Pictures" "$work/config" "$work/data/applications" "$work/tmp"
printf 'XDG_PICTURES_DIR="%s/Pictures"\n' "$home" >"$work/config/user-dirs.dirs"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/opened.txt"\n' "$work" >"$work/browser.sh"
chmod +x "$work/browser.sh"
cat >"$work/data/applications/kest-test-browser.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=Test browser
Exec=$work/browser.sh %u
MimeType=x-scheme-handler/http;x-scheme-handler/https;x-scheme-handler/mailto;
EOF
printf '[Default Applications]\nx-scheme-handler/http=kest-test-browser.desktop\nx-scheme-handler/https=kest-test-browser.desktop\nx-scheme-handler/mailto=kest-test-browser.desktop\n' \
    >"$work/config/mimeapps.list"

# The magazine's folder, named and encoded as on a Chinese Windows.
folder=$work/folder
mkdir -p "$folder/resource" "$folder/$(gbk 资料)"
cp "$movie" "$folder/$(gbk 第一期.swf)"
printf '<?xml version="1.0" encoding="GBK"?>\n<Book title="%s" entrance="%s" width="640" height="480"/>\n' \
    "$(gbk 春天)" "$(gbk 第一期.swf)" >"$folder/kest.xml"
head -c 1234 /dev/urandom >"$folder/resource/cover.jpg"
gbk 中文杂志 >"$folder/$(gbk 资料)/$(gbk 新闻.txt)"
printf 'title=%%D6%%D0%%CE%%C4&n=1' >"$folder/$(gbk 资料)/vars.txt"
printf '%s/Pictures/封面.jpg\n' "$home" >"$folder/dest.txt"
# Packed here, then appended to a Windows executable of its own, its
# offsets (absolute in the file) moved to their place behind it.
"$kest" -q -o "$work/packed" -p "$folder"
magazine=$work/$(gbk 春天).exe
/usr/bin/python3 - "$work/packed" "$(stat -c %s "$kest")" "$magazine" <<'EOF'
import struct, sys
packed, program, out = open(sys.argv[1], "rb").read(), int(sys.argv[2]), sys.argv[3]
stub = b"MZ" + bytes(4094)
package = bytearray(packed[program:])
move = program - len(stub)
start, directory, count = struct.unpack_from("<IIi", package, len(package) - 28)
struct.pack_into("<II", package, len(package) - 28, start - move, directory - move)
for at in range(directory - program + 1024, len(package) - 28, 1036):
    kind, size, offset = struct.unpack_from("<iiI", package, at)
    if kind == 1:
        struct.pack_into("<I", package, at + 8, offset - move)
open(out, "wb").write(stub + package)
EOF

(cd "$work" && exec env LC_ALL=C.UTF-8 LANG=C.UTF-8 HOME="$home" XDG_CONFIG_HOME="$work/config" \
    XDG_DATA_HOME="$work/data" tmp="$work/tmp" KEST_REGISTRY="$work/registry.sqlite" \
    KEST_STATS_URL=http://127.0.0.1:1/ "$kest" "$magazine" >"$output" 2>"$errors") &
viewer=$!
for _ in $(seq 300); do
    grep -q "command: probe_done" "$output" && break
    kill -0 "$viewer" 2>/dev/null || break
    sleep 0.1
done
wait_for "command: probe_done"
expect() { grep -qF -- "command: probe_result | args: $1" "$output" || fail "no '$1'"; }

# The Chinese lines (in 宋体, _sans, _serif, _typewriter) are drawn: each
# row of the window holds ink.
find_window
import -window "$window" "$work/shot.png"
for row in 0 1 2 3; do
    expect "width $row|true"
    ink=$(convert "$work/shot.png" -crop "400x36+20+$((30 + 12 + row * 40))" -colorspace Gray -threshold 50% \
        -format '%[fx:1-mean]' info:)
    awk -v ink="$ink" 'BEGIN { exit !(ink > 0.03) }' || fail "row $row of Chinese text has no ink ($ink)"
done

expect "picture|1234"
expect "picture again|1234"
expect "news|中文杂志"
expect "variables|中文"
expect "reply|copyfilesuccess"
cmp "$folder/resource/cover.jpg" "$home/Pictures/封面.jpg" || fail "the copy"

# Links, followed back to back, reach the desktop's handlers in turn; other
# schemes and scripts do not.
links=$'http://magazine.invalid/visit\nmailto:editor@magazine.invalid\nhttps://magazine.invalid/issue'
for _ in $(seq 50); do [ "$(cat "$work/opened.txt" 2>/dev/null)" = "$links" ] && break; sleep 0.1; done
sleep 1.2
[ "$(cat "$work/opened.txt" 2>/dev/null)" = "$links" ] || fail "opened: $(cat "$work/opened.txt" 2>/dev/null)"
grep -q "link javascript:.* is not opened" "$errors" || fail "the javascript: link was not refused"
grep -q "link file:///etc/passwd is not opened" "$errors" || fail "the file: link was not refused"
grep -q "command: forged" "$output" && fail "a script handed to the page reached the host"

# The magazine runs on: it answers, and closes cleanly.
find_window
xdotool key Escape
wait_closed
[ -z "$(ls -A "$work/tmp")" ] || fail "left in the temporary folder: $(ls -A "$work/tmp")"
echo "stored magazine: drawn, found, decoded, linked"
