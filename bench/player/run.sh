#!/usr/bin/env bash
# Start-up of the movie player: from starting a small host program to the
# probe movie's first fscommand (sent from its first frame), median of five
# runs after one warm-up, split into the web view's start (to our page
# running), Ruffle's start (to its instance existing) and the movie's load
# (to its data being in, then to its first frame's fscommand).
# There is no peer program to race here: the reference is the goal, 1.0 s.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${KEST_BUILD:-$top/build}
cmake --build "$build" --target kest_player_startup >/dev/null
program=$build/bench/player/kest_player_startup
movie=$build/movies/Probe.swf

measure() {
    for run in 0 1 2 3 4 5; do
        start=$(date +%s%N)
        line=$("$program" "$start" "$movie" 2>/dev/null)
        [ "$run" -eq 0 ] && continue # warm-up: page cache, fonts
        echo "$line"
    done
}

results=$("$top/scripts/with-display.sh" bash -c "$(declare -f measure); program='$program' movie='$movie' measure")
echo "$results" | sed 's/^/  run: /'

# Median of one named column of the result lines.
median() {
    echo "$results" | awk -v name="$1" '{ for (i = 1; i < NF; i += 2) if ($i == name) print $(i + 1) }' |
        sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
main=$(median main); page=$(median page); ruffle=$(median ruffle)
movie=$(median movie); total=$(median fscommand)
awk -v main="$main" -v page="$page" -v ruffle="$ruffle" -v movie="$movie" -v total="$total" \
    -v runs="$(echo "$results" | wc -l)" -v goal=1000 'BEGIN {
    printf "player start-up, median of %d runs (ms since the host program was started):\n", runs
    printf "  process start to main       %7.1f\n", main
    printf "  web view start (page ran)   %7.1f\n", page - main
    printf "  Ruffle start (instance)     %7.1f\n", ruffle - page
    printf "  movie load (data in)        %7.1f\n", movie - ruffle
    printf "  first frame to fscommand    %7.1f\n", total - movie
    printf "  total                       %7.1f   goal %d   ratio %.2f\n", total, goal, total / goal
}'
