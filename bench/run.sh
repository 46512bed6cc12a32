#!/usr/bin/env bash
# Runs every benchmark under bench/: each folder's run.sh in turn.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
status=0
for script in "$here"/*/run.sh; do
    [ -x "$script" ] || continue
    echo "== $(basename "$(dirname "$script")")"
    "$script" || status=1
done
exit $status
