#!/usr/bin/env bash
# Start rate of a packed magazine: starts the probe magazine N times, one
# after the other, on one private Xvfb (or each on a fresh one, as the first
# start of a session), and reports how many starts played
# (the movie's first fscommand reached standard output) and the time from
# the start to that fscommand (median, max, and how many took more than twice
# the median: a start that stalls). A start that does not play
# within 30 s, or ends before, counts as failed; its standard error is kept
# and its last start-up milestone shown.
# Usage: bench/startrate/run.sh [N] [bus|nobus] [one|fresh]   (default: 200 bus one)
#   bus:   a D-Bus session, as on a desktop;
#   nobus: no session bus address, as in a bare X session;
#   one:   all starts on one display and bus;
#   fresh: each start on a display and bus of its own.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${KEST_BUILD:-$top/build}
count=${1:-200} bus=${2:-bus} displays=${3:-one}
cmake --build "$build" --target kest movie_Probe >/dev/null
source "$top/bench/await-line.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-startrate.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/src" "$work/failed" "$work/all"
cp "$build/movies/Probe.swf" "$work/src/read.swf"
printf '<?xml version="1.0" encoding="GBK"?>\n<Book entrance="read.swf" width="640" height="480"><Page/></Book>\n' \
    >"$work/src/kest.xml"
# KEST_BIN: another kest to pack with (an older build, to compare).
"${KEST_BIN:-$build/kest}" -o "$work/small.mag" -p "$work/src"

# One line per start: "played MS" or "failed LAST-MILESTONE", plus
# "recovered" when the player had to start the movie again.
starts() {
    for i in $(seq "$first" "$last"); do
        local out=$work/out.txt err=$work/err.txt start program shown result=failed
        start=$(date +%s%N)
        start_and_await probe_started 30 "$out" "$err" env KEST_STARTUP_LOG=1 TMPDIR="$work" "$work/small.mag"
        [ -n "$shown" ] && result="played $(((shown - start) / 1000000))"
        kill "$program" 2>/dev/null || true
        wait "$program" 2>/dev/null || true
        cp "$err" "$work/all/$i.err"
        if [ "${result%% *}" = failed ]; then
            cp "$err" "$work/failed/$i.err"
            cp "$out" "$work/failed/$i.out"
            result="failed $(awk '/^kest: start-up / { $1 = $2 = $3 = ""; last = $0 } END { print last }' "$err" |
                sed 's/^ *//; s/ /_/g')"
        fi
        if grep -q "starting the movie again" "$err"; then
            result="$result recovered"
            cp "$err" "$work/failed/recovered-$i.err"
        fi
        echo "$result $i"
    done
}

if [ "$bus" = nobus ]; then
    runner=(env -u DBUS_SESSION_BUS_ADDRESS bash -c)
else
    runner=(bash -c)
fi
on_display() {
    "$top/scripts/with-display.sh" "${runner[@]}" \
        "$(declare -f start_and_await starts); first=$1 last=$2 work='$work' starts" 2>>"$work/display.log"
}
if [ "$displays" = fresh ]; then
    results=$(for i in $(seq "$count"); do on_display "$i" "$i"; done)
else
    results=$(on_display 1 "$count")
fi
echo "$results" | awk -v count="$count" -v bus="$bus" -v displays="$displays" '
    $1 == "played" { t[++n] = $2 }
    $1 == "failed" { failed[$2]++ }
    / recovered/ { recovered++ }
    END {
        for (i = 2; i <= n; i++) for (j = i; j > 1 && t[j - 1] > t[j]; j--) { x = t[j]; t[j] = t[j - 1]; t[j - 1] = x }
        printf "%s, %s display: %d of %d starts played", bus, displays, n, count
        if (n) {
            median = t[int((n + 1) / 2)]
            for (i = 1; i <= n; i++) slow += t[i] > 2 * median
            printf ", first fscommand after %d ms median, %d ms max, %d after more than twice the median", median, t[n], slow
        }
        printf "; %d needed the movie started again\n", recovered
        for (m in failed) printf "  failed after \"%s\": %d\n", m, failed[m]
    }'
# KEST_STARTRATE_KEEP: a folder for the standard error of the failed and the
# recovered starts and of the three slowest.
if [ -n "${KEST_STARTRATE_KEEP:-}" ]; then
    mkdir -p "$KEST_STARTRATE_KEEP"
    cp "$work/failed/"* "$KEST_STARTRATE_KEEP/" 2>/dev/null || true
    for i in $(echo "$results" | awk '$1 == "played" { print $2, $NF }' | sort -rn | head -3 | cut -d' ' -f2); do
        cp "$work/all/$i.err" "$KEST_STARTRATE_KEEP/slow-$i.err"
    done
    echo "standard error of the failed, recovered and slowest starts: $KEST_STARTRATE_KEEP"
fi
