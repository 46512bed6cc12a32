#!/usr/bin/env bash
# Times MarkupDoc::SetText against pugixml and libxml2 on a generated 64 MiB
# XML text, in one process, and reports the table's memory per element.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
"$top/scripts/build.sh" normal >/dev/null
program="$top/build/bench/markup/markup_bench"
if [ ! -x "$program" ]; then
    echo "markup benchmark: not built (pugixml or libxml2 missing)" >&2
    exit 1
fi
exec "$program" "$@"
