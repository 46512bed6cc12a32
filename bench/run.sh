#!/usr/bin/env bash
# Runs every benchmark: each bench/*/run.sh prints our figures beside a peer's.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/../scripts/setup.sh"
"$here/../scripts/build.sh" normal >/dev/null
for script in "$here"/*/run.sh; do
    echo "== $(basename "$(dirname "$script")")"
    "$script"
done
