#!/usr/bin/env bash
# One program at rest, on the current display: measure.sh LABEL COMMAND...
# Starts the program, lets it settle, then measures it in a normal window,
# minimised, restored, fully covered by another window and on another
# workspace. For each state it prints one line:
#   LABEL STATE CPU_PERCENT RSS_MIB PRIVATE_MIB [KIND:RSS/PSS/PRIVATE ...]
# CPU is the user and system time of the program and its child processes
# (the web engine's) over the window, as a share of one core: others' load on
# the machine does not count. Memory is resident and private (smaps_rollup).
set -euo pipefail
settle=${REST_SETTLE:-8} window=${REST_WINDOW:-10} pause=${REST_PAUSE:-2}
label=$1
shift
hz=$(getconf CLK_TCK)

"$@" >/dev/null 2>&1 &
root=$!
finish() { kill "$root" 2>/dev/null || true; wait "$root" 2>/dev/null || true; }
trap finish EXIT

source "$(dirname "$0")/../process-tree.sh"
memory() {
    local pid kind
    for pid in $(tree); do
        case $(cat "/proc/$pid/comm" 2>/dev/null) in
        WebKitWebProces*) kind=web ;;
        WebKitNetworkPr*) kind=network ;;
        *) kind=viewer ;;
        esac
        awk -v kind="$kind" '/^Rss:/ { rss = $2 } /^Pss:/ { pss = $2 } /^Private_(Clean|Dirty):/ { priv += $2 }
            END { printf "%s %d %d %d\n", kind, rss, pss, priv }' "/proc/$pid/smaps_rollup" 2>/dev/null || true
    done | awk '{ rss[$1] += $2; pss[$1] += $3; priv[$1] += $4; trss += $2; tpriv += $4 }
        END { printf "%.0f %.0f", trss / 1024, tpriv / 1024
              for (k in rss) printf " %s:%.0f/%.0f/%.0f", k, rss[k] / 1024, pss[k] / 1024, priv[k] / 1024 }'
}
measure() {
    local state=$1 before after start end
    before=$(ticks)
    start=$(date +%s%N)
    sleep "$window"
    after=$(ticks)
    end=$(date +%s%N)
    awk -v t=$((after - before)) -v hz="$hz" -v ns=$((end - start)) -v label="$label" -v state="$state" \
        -v mem="$(memory)" 'BEGIN { printf "%s %s %.1f %s\n", label, state, 100 * t / hz / (ns / 1e9), mem }'
}

wid=$(timeout 60 xdotool search --sync --onlyvisible --pid "$root" | head -n 1)
sleep "$settle"
measure normal
xdotool windowminimize "$wid"
sleep "$pause"
measure minimised
xdotool windowactivate "$wid"
sleep "$pause"
measure restored
xmessage -geometry 1600x1200+0+0 covering &
cover=$!
sleep "$pause"
measure covered
kill "$cover"
wait "$cover" 2>/dev/null || true
xdotool set_desktop_for_window "$wid" 1
sleep "$pause"
measure elsewhere
