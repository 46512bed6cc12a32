#!/usr/bin/env bash
# Chinese text end to end, as Linux users and stored magazines have it. A
# magazine made on Linux (a UTF-8 manifest with Chinese text before the
# entrance, a Chinese-named entrance movie) writes and reads a Chinese registry
# value and copies a file to and from Chinese names; a magazine as stored ones
# are (a GBK manifest, file names in GBK) runs under a GBK locale and under the
# plain C locale, and reads what the other locale wrote. The registry is named
# by a relative path, so it must stay where the viewer started.
# Usage: text-end-to-end.sh KEST SCRIPTED_SWF
set -euo pipefail
kest=$1 movie=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-text.XXXXXX")
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
source "$here/magazine-process.sh"
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }

# Lays out the folder $work/NAME: the movie as ENTRANCE, the manifest and the
# script given.
prepare() {
    local name=$1 entrance=$2 manifest=$3 script=$4
    mkdir -p "$work/$name/resource"
    cp "$movie" "$work/$name/$entrance"
    printf '%s' "$manifest" >"$work/$name/kest.xml"
    printf '%s' "$script" >"$work/$name/script.txt"
}

# Runs a magazine under a locale from $work, with a registry named relatively,
# until it closes itself; `expect` lines must all be printed on the way.
run() {
    local magazine=$1 locale=$2
    shift 2
    output=$work/out.txt errors=$work/err.txt
    local locales=()
    [ "$locale" = zh_CN.GBK ] && locales=(LOCPATH="$work/locales")
    (cd "$work" && env -u XDG_PICTURES_DIR -u XDG_DOCUMENTS_DIR "${locales[@]}" LC_ALL="$locale" LANG="$locale" tmp="$work/tmp" \
        XDG_CONFIG_HOME="$work/config" \
        KEST_REGISTRY=registry.sqlite KEST_STATS_URL=http://127.0.0.1:1/ \
        "$magazine" >"$output" 2>"$errors") &
    viewer=$!
    pids+=($viewer)
    wait_for "command: probe_loaded | args: "
    local line
    for line in "$@"; do
        wait_for "command: probe_echo | args: hdgetreg|$line"
    done
    wait_closed
    [ -z "$(ls -A "$work/tmp")" ] || fail "left in the temporary folder: $(ls -A "$work/tmp")"
}

mkdir -p "$work/tmp" "$work/图片" "$work/pictures" "$work/locales" "$work/config"
# Copies go only to the reader's folders: these two are the reader's.
printf 'XDG_PICTURES_DIR="%s/pictures"\nXDG_DOCUMENTS_DIR="%s/图片"\n' "$work" "$work" >"$work/config/user-dirs.dirs"
# A GBK locale of our own, where the system has none.
gbkLocale=zh_CN.GBK
localedef -i zh_CN -f GBK "$work/locales/zh_CN.GBK" >/dev/null 2>&1 || gbkLocale=C.UTF-8

# Made on Linux: UTF-8 throughout. "中" before the entrance swallowed its
# closing quote when UTF-8 was stepped as GBK.
prepare linux "第一期.swf" \
    $'<?xml version="1.0" encoding="UTF-8"?>\n<Book title="中" entrance="第一期.swf" width="640" height="480"><Page/></Book>\n' \
    $'writereg\tHKEY_CURRENT_USER|Software\\KestText|标题|第一期：春天\nreadreg\tHKEY_CURRENT_USER|Software\\KestText|标题\nCopyFile\tresource\\封面.jpg|'"$work"$'/图片/封面副本.jpg\nclose_window\t\n'
printf 'cover of the first issue' >"$work/linux/resource/封面.jpg"
"$kest" -o "$work/linux.mag" -p "$work/linux"
run "$work/linux.mag" C.UTF-8 regwritesuccess "第一期：春天" copyfilesuccess
cmp "$work/linux/resource/封面.jpg" "$work/图片/封面副本.jpg" || fail "copy to a Chinese name"
[ -f "$work/registry.sqlite" ] || fail "no registry where the viewer started: $(ls "$work")"

# As stored magazines are: a GBK manifest and GBK file names.
prepare stored "$(gbk 第二期.swf)" \
    "$(printf '<?xml version="1.0" encoding="GBK"?>\n<Book title="%s" entrance="%s" width="640" height="480"><Page/></Book>\n' \
        "$(gbk 春天的故事)" "$(gbk 第二期.swf)")" \
    $'readreg\tHKEY_CURRENT_USER|Software\\KestText|标题\nreadreg\tHKEY_CURRENT_USER|Software\\KestText|期号\nwritereg\tHKEY_CURRENT_USER|Software\\KestText|期号|第二期\nCopyFile\tresource\\封面.jpg|'"$work"$'/pictures/封面二.jpg\nclose_window\t\n'
printf 'cover of the second issue' >"$work/stored/resource/$(gbk 封面.jpg)"
"$kest" -o "$work/stored.mag" -p "$work/stored"
if [ "$gbkLocale" = zh_CN.GBK ]; then
    # Under a GBK locale the host's lines and names are GBK.
    run "$work/stored.mag" zh_CN.GBK "$(gbk 第一期：春天)" regreadfail regwritesuccess copyfilesuccess
    cmp "$work/stored/resource/$(gbk 封面.jpg)" "$work/pictures/$(gbk 封面二.jpg)" || fail "copy under GBK"
else
    echo "no GBK locale could be made; the stored magazine runs under C.UTF-8 only"
    run "$work/stored.mag" C.UTF-8 "第一期：春天" regreadfail regwritesuccess copyfilesuccess
fi
# The plain C locale counts as UTF-8; the value written under GBK reads right.
run "$work/stored.mag" C "第一期：春天" "第二期" regwritesuccess copyfilesuccess
cmp "$work/stored/resource/$(gbk 封面.jpg)" "$work/pictures/封面二.jpg" || fail "copy from a GBK name"
echo "text end to end: UTF-8 and GBK manifests, Chinese names, values and copies under $gbkLocale and C"
