#!/usr/bin/env bash
# Start-up of a packed magazine beside a bare host: from running the program
# to its movie's first frame (the probe movie sends an fscommand from its first
# frame, which both print on standard output). Contestants, taking turns in
# each round on one private Xvfb (the first round is a warm-up: page cache,
# fonts):
#   small:  the packed probe movie with its manifest;
#   large:  the same with 1 GiB of filler files (KEST_FILLER_MIB, in
#           256 MiB files) that its movie does not use;
#   nobox:  the probe magazine without the engine's sandbox;
#   bare:   bench/BareHost.cpp, a minimal WebKitGTK window that loads the same
#           Ruffle and movie and does nothing else;
#   bare+:  the bare host with the engine settings the viewer makes for itself
#           (what is left of our lead when a host copies them);
#   before: with KEST_BEFORE=ANOTHER_KEST, the probe magazine packed with that
#           kest (an older build), to compare a change;
#   demo, starter: the demo and starter magazines, packed, to their movie's
#           first fscommand (which the viewer answers without printing it: its
#           start-up log tells), beside demo-bare+ and starter-bare+, the bare
#           host with our engine settings on the same movie.
# Prints the rounds, the medians with the ratios to the bare host, and the
# viewer's own breakdown (its KEST_STARTUP_LOG milestones).
# Usage: bench/startup/run.sh [ROUNDS]   (default 7)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${KEST_BUILD:-$top/build}
rounds=${1:-7}
cmake --build "$build" --target kest kest_bare_host movie_Probe demo_magazine_folder starter_magazine_folder \
    >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-startup.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/small" "$work/large/filler"
cp "$build/movies/Probe.swf" "$work/small/read.swf"
printf '<?xml version="1.0" encoding="GBK"?>\n<Book entrance="read.swf" width="640" height="480"><Page/></Book>\n' \
    >"$work/small/kest.xml"
cp "$work/small/"* "$work/large/"
filler=${KEST_FILLER_MIB:-1024}
for i in $(seq $(((filler + 255) / 256))); do head -c $((256 << 20)) /dev/urandom >"$work/large/filler/part$i.bin"; done
# KEST_BIN: another kest to pack with (an older build, to compare).
kest=${KEST_BIN:-$build/kest}
"$kest" -o "$work/small.mag" -p "$work/small"
"$kest" -o "$work/large.mag" -p "$work/large"
"$kest" -o "$work/demo.mag" -p "$build/demo-magazine-folder"
"$kest" -o "$work/starter.mag" -p "$build/starter-magazine-folder"
contestants="small large nobox bare bare+ demo demo-bare+ starter starter-bare+"
if [ -n "${KEST_BEFORE:-}" ]; then
    "$KEST_BEFORE" -o "$work/before.mag" -p "$work/small"
    contestants="$contestants before"
fi
source "$top/bench/await-line.sh"
bareHost="$build/bench/kest_bare_host $top/node_modules/@ruffle-rs/ruffle"
tuned="env JSC_useOMGJIT=false"
bare="$bareHost $build/movies/Probe.swf 640 480"
bareTuned="$tuned $bare"
demoBare="$tuned $bareHost $build/demo-magazine-folder/demo.swf 800 600"
starterBare="$tuned $bareHost $build/starter-magazine-folder/starter.swf 640 480"

# One start, until the movie's fscommand FIRST: "NAME total MS" and, for the
# viewer, "NAME STAGE MS" lines for its milestones (milliseconds since the
# start).
run_once() {
    local name=$1 first=$2 out=$work/out.txt err=$work/err.txt start shown program
    shift 2
    start=$(date +%s%N)
    start_and_await "$first" 30 "$out" "$err" env KEST_STARTUP_LOG=1 TMPDIR="$work" "$@"
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    [ -n "$shown" ] || { echo "$name failed"; return; }
    awk -v s="$start" -v name="$name" '/^kest: start-up / {
        stage = $4; for (i = 5; i <= NF && $i != "in"; i++) stage = stage "_" $i
        printf "%s %s %.1f\n", name, stage, $3 - s / 1e6 }' "$err"
    echo "$name total $(((shown - start) / 1000000))"
}

run_rounds() {
    for round in $(seq 0 "$rounds"); do
        for contestant in $contestants; do
            local lines
            case $contestant in
            small) lines=$(run_once small probe_started "$work/small.mag") ;;
            large) lines=$(run_once large probe_started "$work/large.mag") ;;
            nobox) lines=$(run_once nobox probe_started env WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 "$work/small.mag") ;;
            bare) lines=$(run_once bare probe_started $bare) ;;
            bare+) lines=$(run_once bare+ probe_started $bareTuned) ;;
            before) lines=$(run_once before probe_started "$work/before.mag") ;;
            demo) lines=$(run_once demo "first fscommand" bash -c 'exec "$0" 2>&1' "$work/demo.mag") ;;
            demo-bare+) lines=$(run_once demo-bare+ readreg $demoBare) ;;
            starter) lines=$(run_once starter "first fscommand" bash -c 'exec "$0" 2>&1' "$work/starter.mag") ;;
            starter-bare+) lines=$(run_once starter-bare+ fullscreen $starterBare) ;;
            esac
            [ "$round" -gt 0 ] && echo "$lines"
        done
    done
}

results=$("$top/scripts/with-display.sh" bash -c \
    "$(declare -f start_and_await run_once run_rounds); work='$work' rounds='$rounds' bare='$bare' bareTuned='$bareTuned' demoBare='$demoBare' starterBare='$starterBare' contestants='$contestants' run_rounds" 2>/dev/null)
echo "totals, ms (one column per round):"
echo "$results" | awk '$2 == "total" { t[$1] = t[$1] " " $3 } $2 == "failed" { t[$1] = t[$1] " failed" }
    END { for (n in t) printf "  %-6s%s\n", n, t[n] }' | sort
echo "$results" | awk -v filler="$filler" '
    function median(list,   n, a, i, j, t) {
        n = split(list, a, " ")
        for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] + 0 > a[j] + 0; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
        return n ? a[int((n + 1) / 2)] : -1
    }
    { present[$1] = 1 }
    $2 == "failed" { failed[$1]++; next }
    { v[$1, $2] = v[$1, $2] " " $3; seen[$1, $2] = 1 }
    END {
        bare = median(v["bare", "total"]); tuned = median(v["bare+", "total"])
        printf "\nmedians:  %-42s %7s %9s %9s\n", "", "ms", "vs bare", "vs bare+"
        split("small large nobox bare bare+ before", names, " ")
        split("probe magazine|probe magazine with " filler " MiB of filler|probe magazine without the sandbox|bare host|bare host with our engine settings|probe magazine, KEST_BEFORE", labels, "|")
        for (k = 1; k <= 6; k++) {
            if (!(names[k] in present)) continue
            t = median(v[names[k], "total"])
            printf "  %-50s %7d %9.2f %9.2f   (%d failed)\n", labels[k], t, t / bare, t / tuned, failed[names[k]]
        }
        printf "\nmagazines beside the bare host with our engine settings on the same movie:\n"
        split("demo starter", magazines, " ")
        for (k = 1; k <= 2; k++) {
            m = magazines[k]
            if (!(m in present) || !((m "-bare+") in present)) continue
            t = median(v[m, "total"]); b = median(v[m "-bare+", "total"])
            printf "  %-8s %7d ms, bare+ %7d ms: %.2f   (%d and %d failed)\n", m, t, b, t / b, failed[m], failed[m "-bare+"]
        }
        split("player_files package_checked statistics_begun page_ready ruffle_ready movie_loaded first_fscommand total", order, " ")
        split("web view begun|package checked|statistics request begun|player page ran|Ruffle instance ready|movie data in|first fscommand logged|first fscommand on stdout", label, "|")
        printf "\nthe viewer by stage (median ms since the start):"
        split("small large nobox before", viewers, " ")
        for (m = 1; m <= 4; m++) if ((viewers[m], "total") in seen) printf " %9s", viewers[m]
        printf "\n"
        for (k = 1; k <= 8; k++) if (("small", order[k]) in seen) {
            printf "  %-46s", label[k]
            for (m = 1; m <= 4; m++) if ((viewers[m], "total") in seen)
                printf " %9s", ((viewers[m], order[k]) in seen) ? sprintf("%.0f", median(v[viewers[m], order[k]])) : "-"
            printf "\n"
        }
    }'
