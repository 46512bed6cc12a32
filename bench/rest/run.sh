#!/usr/bin/env bash
# A magazine at rest: CPU (share of one core, the program and its web
# processes, over 10 s) and memory (resident and private MiB) of the packed
# probe movie and the demo magazine in a normal window, minimised, restored,
# fully covered and on another workspace, beside a bare WebKitGTK host that
# runs the same Ruffle on the same movie (bench/BareHost.cpp), on a
# private Xvfb. Each program runs REST_ROUNDS times (default 2), the viewer
# and the bare host taking turns; the table holds the medians.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${KEST_BUILD:-$top/build}
cmake --build "$build" --target kest kest_bare_host movie_Probe demo_magazine_folder kest_player_files >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-rest.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/probe" "$work/pictures"
cp "$build/movies/Probe.swf" "$work/probe/read.swf"
printf '<?xml version="1.0" encoding="GBK"?>\n<Book entrance="read.swf" width="640" height="480"><Page/></Book>\n' \
    >"$work/probe/kest.xml"
"$build/kest" -o "$work/probe.mag" -p "$work/probe" >/dev/null
"$top/tools/demo/pack.sh" "$build/kest" "$build/demo-magazine-folder" "$work/demo.mag" "$work/pictures" >/dev/null
ruffle=$top/node_modules/@ruffle-rs/ruffle
bare=$build/bench/kest_bare_host

results=$work/results.txt
rounds=${REST_ROUNDS:-2}
for round in $(seq "$rounds"); do
    TMPDIR=$work "$top/scripts/with-display.sh" bash -c "
        '$here/measure.sh' probe '$work/probe.mag'
        '$here/measure.sh' probe-bare '$bare' '$ruffle' '$build/movies/Probe.swf' 640 480
        '$here/measure.sh' demo '$work/demo.mag'
        '$here/measure.sh' demo-bare '$bare' '$ruffle' '$build/demo-magazine-folder/demo.swf' 800 600
    " 2>/dev/null | grep -E '^(probe|demo)' >>"$results"
done
echo "runs:"
sed 's/^/  /' "$results"
echo
awk '
    function median(list,   n, a, i, j, t) {
        n = split(list, a, " ")
        for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] + 0 > a[j] + 0; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
        return a[int((n + 1) / 2)]
    }
    { key = $1 " " $2; cpu[key] = cpu[key] " " $3; rss[key] = rss[key] " " $4; priv[key] = priv[key] " " $5
      if (!($2 in seen)) { seen[$2] = 1; states[++nstates] = $2 } }
    END {
        printf "%-7s %-10s %9s %9s %7s %9s %9s %9s %9s\n", "movie", "state", "cpu %", "bare %", "ratio", "rss MiB", "bare", "private", "bare"
        split("probe demo", movies, " ")
        for (m = 1; m <= 2; m++) for (s = 1; s <= nstates; s++) {
            k = movies[m] " " states[s]; b = movies[m] "-bare " states[s]
            if (!(k in cpu)) continue
            c = median(cpu[k]); cb = median(cpu[b])
            printf "%-7s %-10s %9.1f %9.1f %7s %9d %9d %9d %9d\n", movies[m], states[s], c, cb,
                (cb > 0.5 ? sprintf("%.2f", c / cb) : "-"), median(rss[k]), median(rss[b]), median(priv[k]), median(priv[b])
        }
    }' "$results"
