#!/usr/bin/env bash
# Start-up of a packed magazine: from running the magazine file to its movie's
# first frame (the probe movie sends an fscommand from its first frame, which
# the viewer prints on standard output). Two magazines: the probe movie with
# its manifest, and the same with 50 MiB of filler files. Median of five runs
# after one warm-up, on a private Xvfb, with the breakdown the viewer logs
# under KEST_STARTUP_LOG (milliseconds since the magazine was started).
# There is no peer program to race here: the reference is the goal, 1.0 s.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${KEST_BUILD:-$top/build}
cmake --build "$build" --target kest movie_Probe >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-startup.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/small" "$work/large/filler"
cp "$build/movies/Probe.swf" "$work/small/read.swf"
printf '<?xml version="1.0" encoding="GBK"?>\n<Book entrance="read.swf" width="640" height="480"><Page/></Book>\n' \
    >"$work/small/kest.xml"
cp "$work/small/"* "$work/large/"
for i in $(seq 10); do head -c $((5 << 20)) /dev/urandom >"$work/large/filler/part$i.bin"; done
# KEST_BIN: another kest to pack with (an older build, to compare).
kest=${KEST_BIN:-$build/kest}
"$kest" -o "$work/small.mag" -p "$work/small"
"$kest" -o "$work/large.mag" -p "$work/large"

# One run: "stage ms" lines, the last one "shown ms" when the movie's first
# fscommand reached standard output.
run_once() {
    local magazine=$1 out=$work/out.txt err=$work/err.txt
    : >"$out"
    local start viewer
    start=$(date +%s%N)
    KEST_STARTUP_LOG=1 TMPDIR=$work "$magazine" >"$out" 2>"$err" &
    viewer=$!
    for _ in $(seq 3000); do grep -q "probe_started" "$out" && break; sleep 0.005; done
    local shown
    shown=$(date +%s%N)
    kill "$viewer"; wait "$viewer" 2>/dev/null || true
    awk -v s="$start" '/^kest: start-up / {
        stage = $4; for (i = 5; i <= NF && $i != "in"; i++) stage = stage "_" $i
        printf "%s %.1f\n", stage, $3 - s / 1e6 }' "$err"
    echo "shown $(( (shown - start) / 1000000 ))"
}

measure() {
    local magazine=$1
    for run in 0 1 2 3 4 5; do
        local lines
        lines=$(run_once "$magazine")
        [ "$run" -eq 0 ] && continue # warm-up: page cache, fonts
        echo "$lines" | tr '\n' ' '
        echo
    done
}

report() {
    local name=$1 results=$2
    echo "$name:"
    echo "$results" | sed 's/^/  run: /'
    echo "$results" | awk -v goal=1000 '
        { for (i = 1; i < NF; i += 2) { v[$i, NR] = $(i + 1); seen[$i] = 1 } runs = NR }
        function median(name,   n, i, j, t, a) {
            n = 0; for (i = 1; i <= runs; i++) if ((name, i) in v) a[++n] = v[name, i]
            for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
            return n ? a[int((n + 1) / 2)] : -1 }
        END {
            split("extracted player_files statistics_begun statistics_done page_ready ruffle_ready movie_loaded first_fscommand shown", order, " ")
            split("package extracted|web view created|statistics request begun|statistics request done|player page ran|Ruffle instance ready|movie data in|first fscommand logged|first fscommand on stdout", label, "|")
            printf "  median of %d runs, ms since the magazine was started:\n", runs
            for (k = 1; k <= 9; k++) if (order[k] in seen) printf "    %-28s %7.1f\n", label[k], median(order[k])
            total = median("shown")
            printf "    total %.0f ms   goal %d ms   ratio %.2f\n", total, goal, total / goal
        }'
}

small=$("$top/scripts/with-display.sh" bash -c "$(declare -f run_once measure); work='$work' measure '$work/small.mag'")
large=$("$top/scripts/with-display.sh" bash -c "$(declare -f run_once measure); work='$work' measure '$work/large.mag'")
report "probe magazine ($(stat -c %s "$work/small.mag") bytes)" "$small"
report "probe magazine with 50 MiB of filler ($(stat -c %s "$work/large.mag") bytes)" "$large"
