#!/usr/bin/env bash
# What drawing device text in the system's fonts costs: a page of Chinese
# text in device fonts (tools/movies/TextPage.hx) and the demo magazine,
# packed with this build and with an older one (KEST_BEFORE=OLD_KEST, which
# drew device text with Ruffle's built-in font), taking turns on one private
# Xvfb. Start-up: from running the magazine to the text page's third frame
# (its text drawn twice) or the demo's first fscommand. At rest: the CPU and
# memory of bench/rest/measure.sh in a normal window (share of one core).
# Usage: KEST_BEFORE=OLD_KEST bench/fonts/run.sh [ROUNDS]   (default 5)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${KEST_BUILD:-$top/build}
rounds=${1:-5}
before=${KEST_BEFORE:?"KEST_BEFORE names the older kest to compare with"}
cmake --build "$build" --target kest movie_TextPage demo_magazine_folder >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-fonts.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/text" "$work/pictures"
cp "$build/movies/TextPage.swf" "$work/text/page.swf"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<Book entrance="page.swf" width="800" height="600"/>\n' >"$work/text/kest.xml"
for build_name in now before; do
    kest=$build/kest
    [ "$build_name" = before ] && kest=$before
    "$kest" -q -o "$work/text-$build_name.mag" -p "$work/text"
    "$top/tools/demo/pack.sh" "$kest" "$build/demo-magazine-folder" "$work/demo-$build_name.mag" "$work/pictures" >/dev/null
done

# One start: "NAME MS", until `ready` (a pattern) is in its output.
start_once() {
    local name=$1 magazine=$2 ready=$3 start
    start=$(date +%s%N)
    KEST_STARTUP_LOG=1 TMPDIR=$work KEST_STATS_URL=http://127.0.0.1:1/ "$magazine" >"$work/out.txt" 2>&1 &
    local program=$!
    for _ in $(seq 6000); do grep -q "$ready" "$work/out.txt" && break; sleep 0.005; done
    echo "$name $((($(date +%s%N) - start) / 1000000))"
    kill "$program"
    wait "$program" 2>/dev/null || true
}
export -f start_once
export work

results=$("$top/scripts/with-display.sh" bash -c "
    for round in \$(seq 0 $rounds); do
        for build_name in now before; do
            lines=\$(start_once text-\$build_name '$work/text-'\$build_name.mag probe_started
                     start_once demo-\$build_name '$work/demo-'\$build_name.mag 'first fscommand')
            [ \$round -gt 0 ] && echo \"\$lines\"
        done
    done
    for build_name in now before; do
        REST_SETTLE=6 REST_WINDOW=8 '$top/bench/rest/measure.sh' text-\$build_name '$work/text-'\$build_name.mag | grep ' normal '
        REST_SETTLE=6 REST_WINDOW=8 '$top/bench/rest/measure.sh' demo-\$build_name '$work/demo-'\$build_name.mag | grep ' normal '
    done
" 2>/dev/null | grep -E '^(text|demo)-')
echo "$results" | awk '
    function median(list,   n, a, i, j, t) {
        n = split(list, a, " ")
        for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] + 0 > a[j] + 0; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
        return a[int((n + 1) / 2)]
    }
    NF == 2 { ms[$1] = ms[$1] " " $2 }
    NF > 2 && $2 == "normal" { cpu[$1] = $3; rss[$1] = $4; priv[$1] = $5 }
    END {
        printf "%-6s %12s %12s %7s   %12s %12s   %14s %14s\n", "page", "start ms", "before", "ratio", "rest cpu %", "before", "rss/private", "before"
        split("text demo", pages, " ")
        for (p = 1; p <= 2; p++) {
            n = pages[p] "-now"; b = pages[p] "-before"
            printf "%-6s %12d %12d %7.2f   %12.1f %12.1f   %8d/%-5d %8d/%-5d\n", pages[p], median(ms[n]), median(ms[b]),
                median(ms[n]) / median(ms[b]), cpu[n], cpu[b], rss[n], priv[n], rss[b], priv[b]
        }
    }'
