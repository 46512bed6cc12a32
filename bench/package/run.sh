#!/usr/bin/env bash
# Packing and extraction against tar (and cat, the copy limit), on a tree of
# about 1 GiB (4 x 200 MiB and 10,000 small files) and one ten times smaller.
# Five alternating runs each after a warm-up, medians of wall and CPU seconds,
# outputs overwritten in place, extraction into fresh folders.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
kest="$top/build/app/kest"
extract="$top/build/bench/package/kest-extract"
[ -x "$kest" ] && [ -x "$extract" ] || "$top/scripts/build.sh" normal >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-bench-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
runs=${KEST_BENCH_RUNS:-5}

make_tree() { # folder, size of each big file in MiB, number of small files
    local folder=$1 big=$2 small=$3
    mkdir -p "$folder"
    for i in 1 2 3 4; do
        head -c "$((big * 1048576))" /dev/urandom >"$folder/big$i.bin"
    done
    for ((i = 0; i < small; i++)); do
        local sub="$folder/d$((i % 100))"
        mkdir -p "$sub"
        head -c "$((1024 + (i * 7919) % 20480))" /dev/urandom >"$sub/f$i.dat"
    done
}

# Prints "wall cpu peakKiB" of one command.
measure() {
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null
    awk '{printf "%s %.2f %s\n", $1, $2 + $3, $4}' "$work/time"
}

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

report() { # label, our figures file, peer figures file, peer name
    local ourWall ourCpu peerWall peerCpu
    ourWall=$(cut -d' ' -f1 "$2" | median); ourCpu=$(cut -d' ' -f2 "$2" | median)
    peerWall=$(cut -d' ' -f1 "$3" | median); peerCpu=$(cut -d' ' -f2 "$3" | median)
    printf '%-28s kest %6.2f s (cpu %5.2f)   %-6s %6.2f s (cpu %5.2f)   ratio %.2f\n' \
        "$1" "$ourWall" "$ourCpu" "$4" "$peerWall" "$peerCpu" \
        "$(awk -v a="$ourWall" -v b="$peerWall" 'BEGIN {print (b > 0 ? a / b : 0)}')"
}

series() { # name, tree
    local name=$1 tree=$2 out="$work/$1"
    mkdir -p "$out"
    find "$tree" -type f -print0 | xargs -0 cat >/dev/null # warm the page cache
    # Warm-up, and outputs that later runs overwrite.
    "$kest" -o "$out/mag" -p "$tree"
    tar -cf "$out/mag.tar" -C "$tree" .
    : >"$out/pack.kest"; : >"$out/pack.tar"; : >"$out/pack.cat"
    for ((r = 0; r < runs; r++)); do
        measure "$kest" -o "$out/mag" -p "$tree" >>"$out/pack.kest"
        measure tar -cf "$out/mag.tar" -C "$tree" . >>"$out/pack.tar"
        measure bash -c "find '$tree' -type f -print0 | xargs -0 cat >'$out/all.cat'" >>"$out/pack.cat"
    done
    : >"$out/extract.kest"; : >"$out/extract.tar"
    for ((r = 0; r < runs; r++)); do
        mkdir "$out/x-tar-$r"
        measure "$extract" "$out/mag" "$out/x-kest-$r" >>"$out/extract.kest"
        measure tar -xf "$out/mag.tar" -C "$out/x-tar-$r" >>"$out/extract.tar"
    done
    report "$name: pack" "$out/pack.kest" "$out/pack.tar" tar
    report "$name: pack" "$out/pack.kest" "$out/pack.cat" cat
    report "$name: extract" "$out/extract.kest" "$out/extract.tar" tar
    local packPeak extractPeak
    packPeak=$(cut -d' ' -f3 "$out/pack.kest" | sort -n | tail -1)
    extractPeak=$(cut -d' ' -f3 "$out/extract.kest" | sort -n | tail -1)
    echo "$name: kest peak memory: pack $packPeak KiB, extract $extractPeak KiB"
    echo "$packPeak $extractPeak" >"$work/$name.peak"
    rm -rf "$out"/x-*
}

echo "making the trees in $work (outputs overwritten, warm page cache)"
make_tree "$work/tree-large" 200 10000
make_tree "$work/tree-small" 20 1000
series large "$work/tree-large"
series small "$work/tree-small"
read -r largePack largeExtract <"$work/large.peak"
read -r smallPack smallExtract <"$work/small.peak"
# The directory takes 1,036 bytes per entry (9,000 more entries in the large tree).
echo "peak memory growth, large over small tree: pack $(((largePack - smallPack) / 1024)) MiB," \
     "extract $(((largeExtract - smallExtract) / 1024)) MiB (directory difference" \
     "$((9100 * 1036 / 1048576)) MiB)"
