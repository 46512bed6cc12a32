#!/usr/bin/env bash
# A long fuzz campaign, outside CI: fuzz/campaign.sh [RUNS] [TARGET...]
# Runs each target of build-sanitize (scripts/build.sh sanitize) for RUNS
# inputs (default 10 million) in one process on one core, from its committed
# corpus fuzz/corpus/TARGET and its seeds, then keeps in that corpus the
# smallest set of inputs that covers what the run reached. Logs and the inputs
# of findings go to build-sanitize/campaign/. FUZZ_OPTIONS adds libFuzzer
# options (-max_len=512 keeps long inputs from slowing the run down).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-10000000}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(package_records_fuzz markup_fuzz player_routes_fuzz package_fuzz)
out=$top/build-sanitize/campaign
mkdir -p "$out"
status=0
for target in "${targets[@]}"; do
    binary=$top/build-sanitize/fuzz/$target
    kept=$top/fuzz/corpus/$target
    work=$out/$target-corpus
    mkdir -p "$kept" "$work"
    cp -n "$top/fuzz/$target-seeds"/* "$kept"/* "$work/" 2>/dev/null || true
    options=(-runs="$runs" -print_final_stats=1 -artifact_prefix="$out/$target-" ${FUZZ_OPTIONS:-})
    [ -f "$top/fuzz/$target.dict" ] && options+=(-dict="$top/fuzz/$target.dict")
    if ! ASAN_OPTIONS=detect_leaks=1 nice "$binary" "${options[@]}" "$work" >"$out/$target.log" 2>&1; then
        echo "$target: a finding, see $out/$target.log"
        status=1
    fi
    rm -rf "$kept.new"
    mkdir "$kept.new"
    nice "$binary" -merge=1 "$kept.new" "$work" >>"$out/$target.log" 2>&1
    rm -rf "$kept"
    mv "$kept.new" "$kept"
    echo "$target: $(grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$out/$target.log" |
        tr '\n' ' ')corpus $(ls "$kept" | wc -l) files"
done
exit $status
