#!/usr/bin/env bash
# The main job: build kest and pack the demo magazine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" normal
magazine="$top/build/demo-magazine"
"$top/build/kest" -o "$magazine" -p "$top/examples/demo"
echo "packed $top/examples/demo into $magazine"
