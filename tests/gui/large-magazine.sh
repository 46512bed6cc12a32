#!/usr/bin/env bash
# A magazine with 1 GiB of files its cover does not use is read straight from
# its package, even once its file was moved: nothing of it is written to the
# temporary folder, a copy of one of its files comes byte for byte from the
# package, and closing leaves nothing. One larger than a small tmpfs temporary folder plays alike, and a
# copy into its full Workspace fails with the reason.
# Usage: large-magazine.sh KEST COPIER_SWF
set -euo pipefail
kest=$1 movie=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-large.XXXXXX")
viewer=
cleanup() { [ -n "$viewer" ] && kill -KILL "$viewer" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"

home=$work/home
mkdir -p "$home/Desktop" "$work/config" "$work/tmp" "$work/small" "$work/src/video"
printf 'XDG_DESKTOP_DIR="%s/Desktop"\n' "$home" >"$work/config/user-dirs.dirs"
cp "$movie" "$work/src/read.swf"
printf '<Book entrance="read.swf" width="640" height="480"/>\n' >"$work/src/kest.xml"
printf 'video\\big.bin|%s/Desktop/big.bin\nvideo\\big.bin|big-copy.bin\n' "$home" >"$work/src/copy.txt"
head -c $((24 << 20)) /dev/urandom >"$work/src/video/big.bin"
"$kest" -o "$work/small.mag" -p "$work/src" >/dev/null
for i in 1 2 3 4; do head -c $((256 << 20)) /dev/zero >"$work/src/filler$i.bin"; done
"$kest" -o "$work/large.mag" -p "$work/src" >/dev/null
rm -f "$work/src/filler"*

# Runs a magazine with the temporary folder $1, inside the command ${wrap[@]}
# if set.
wrap=()
start() {
    : >"$output"
    rm -f "$home/Desktop/big.bin"
    (cd "$work" && exec ${wrap[@]+"${wrap[@]}"} env HOME="$home" XDG_CONFIG_HOME="$work/config" tmp="$1" \
        KEST_STARTUP_LOG=1 KEST_REGISTRY="$work/registry.sqlite" KEST_STATS_URL=http://127.0.0.1:9/ \
        "$2" >"$output" 2>"$errors") &
    viewer=$!
}

# The copy to the Desktop, then the one into the Workspace: $1 is its reply.
copied_from_package() {
    wait_for "command: probe_copied" 2
    grep -qxF "command: probe_copied | args: copyfilesuccess" "$output" || fail "the copy failed"
    cmp -s "$home/Desktop/big.bin" "$work/src/video/big.bin" || fail "the copy's bytes differ"
    [ "$(grep "command: probe_copied" "$output" | tail -1)" = "command: probe_copied | args: $1" ] ||
        fail "the copy into the Workspace was not $1"
}

end_by_term() {
    kill -TERM "$viewer"
    status=0
    wait "$viewer" || status=$?
    viewer=
    [ "$status" -eq 143 ] || fail "exit status $status after SIGTERM"
}

start "$work/tmp" "$work/large.mag"
# The reader moves the magazine's file while it opens.
for _ in $(seq 100); do [ -n "$(ls -A "$work/tmp")" ] && break; sleep 0.05; done
mv "$work/large.mag" "$work/moved.mag"
copied_from_package copyfilesuccess
written=$(cd "$work/tmp" && find . -type f)
[ "$written" = "./$(cd "$work/tmp" && ls)/big-copy.bin" ] || fail "the Workspace holds $written"
end_by_term
[ -z "$(ls -A "$work/tmp")" ] || fail "closing left $(ls -A "$work/tmp")"
echo "1 GiB magazine, moved while it opened: nothing of it written, copied 24 MiB byte for byte twice," \
     "nothing left after SIGTERM"

# An 8 MiB tmpfs of a mount namespace of our own; no namespace, no test.
unshare -rm true 2>/dev/null || { echo "cannot make a mount namespace here"; exit 77; }
wrap=(unshare -rm sh -c 'mount -t tmpfs -o size=8m kest "$0" && exec "$@"' "$work/small")
start "$work/small" "$work/small.mag"
wait_for "command: probe_started"
copied_from_package copyfilefail
grep -qF "big-copy.bin not copied: reading or writing failed" "$errors" || fail "no word of the failed copy"
end_by_term
echo "tmpfs of 8 MiB: a 24 MiB magazine played and copied from its package; the copy into it failed, said"
