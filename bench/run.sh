#!/usr/bin/env bash
# Runs every benchmark: bench/*/run.sh, one after the other.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
status=0
for script in "$here"/*/run.sh; do
    echo "== ${script#"$here"/}"
    "$script" || status=1
done
exit $status
