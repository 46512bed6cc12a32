#!/usr/bin/env bash
# What a page costs while the reader looks at it: the share of one core that
# the viewer and all its processes (the web engine's included) use over 8 s,
# after 12 s of rest, in a normal window, and the frames that reach the
# screen each second (X damage reports). Pages: the demo's cover, the starter
# magazine, a still page of filters, blend modes, a mask, a bitmap and
# device text, a page of Chinese device text, and a square that moves every
# frame. Beside each: the previous build (KEST_BEFORE=PATH_TO_OLD_KEST), or
# without one this build drawing every frame (KEST_EVERY_FRAME=1); the two
# take turns on one Xvfb, STILL_ROUNDS times (default 3); medians are shown.
# Usage: bench/still/run.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${KEST_BUILD:-$top/build}
cmake --build "$build" --target kest kest_frame_counter movie_Frames movie_TextPage demo_magazine_folder \
    starter_magazine_folder >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-still.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A folder for each page of the Frames and TextPage movies.
page() {
    mkdir -p "$work/$1"
    cp "$2" "$work/$1/$1.swf"
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<Book entrance="%s.swf" width="800" height="600"/>\n' "$1" \
        >"$work/$1/kest.xml"
}
page still "$build/movies/Frames.swf"
page moving "$build/movies/Frames.swf"
page text "$build/movies/TextPage.swf"
declare -A folders=([demo]=$build/demo-magazine-folder [starter]=$build/starter-magazine-folder
    [still]=$work/still [text]=$work/text [moving]=$work/moving)
pages="demo starter still text moving"

if [ -n "${KEST_BEFORE:-}" ]; then
    peer="previous build"
    run_peer() { "$KEST_BEFORE" "$1"; }
else
    peer="every frame drawn"
    run_peer() { KEST_EVERY_FRAME=1 "$build/kest" "$1"; }
fi
run_ours() { "$build/kest" "$1"; }

# measure LABEL PAGE COMMAND...: prints "LABEL PAGE CPU_PERCENT FRAMES_PER_SECOND".
measure() {
    local label=$1 name=$2
    shift 2
    # A fresh registry, so that the demo opens on its cover; no statistics sent.
    rm -f "$work/registry.sqlite"
    TMPDIR=$work KEST_REGISTRY=$work/registry.sqlite KEST_STATS_URL=http://127.0.0.1:9/x "$@" >/dev/null 2>&1 &
    local root=$! before after frames
    sleep 12
    before=$(ticks)
    frames=$("$build/bench/kest_frame_counter" 8)
    after=$(ticks)
    kill "$root"
    wait "$root" 2>/dev/null || true
    awk -v l="$label" -v p="$name" -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v f="$frames" \
        'BEGIN { printf "%s %s %.1f %s\n", l, p, 100 * t / hz / 8, f }'
}

results=$work/results.txt
export -f measure run_ours run_peer
export build work KEST_BEFORE
for round in $(seq "${STILL_ROUNDS:-3}"); do
    for name in $pages; do
        "$top/scripts/with-display.sh" bash -c "
            source '$top/bench/process-tree.sh'
            measure ours $name run_ours '${folders[$name]}'
            measure peer $name run_peer '${folders[$name]}'
        " 2>/dev/null | grep -E '^(ours|peer) ' >>"$results"
    done
done
echo "runs:"
sed 's/^/  /' "$results"
echo
awk -v peer="$peer" '
    function median(list,   n, a, i, j, t) {
        n = split(list, a, " ")
        for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] + 0 > a[j] + 0; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
        return a[int((n + 1) / 2)]
    }
    { cpu[$1 " " $2] = cpu[$1 " " $2] " " $3; fps[$1 " " $2] = fps[$1 " " $2] " " $4 }
    END {
        printf "peer: %s\n%-8s %9s %9s %7s %11s %11s\n", peer, "page", "cpu %", "peer %", "ratio", "frames/s", "peer f/s"
        split("demo starter still text moving", pages, " ")
        for (i = 1; i <= 5; i++) {
            o = "ours " pages[i]; p = "peer " pages[i]
            c = median(cpu[o]); cp = median(cpu[p])
            printf "%-8s %9.1f %9.1f %7s %11.1f %11.1f\n", pages[i], c, cp, (cp > 0 ? sprintf("%.2f", c / cp) : "-"),
                median(fps[o]), median(fps[p])
        }
    }' "$results"
