#!/usr/bin/env bash
# Runs every test: the unit tests, the gui tests under Xvfb, and the unit
# tests and fuzz targets again under AddressSanitizer and UBSan.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" normal
"$top/scripts/build.sh" sanitize

status=0
(cd "$top/build" && ctest -L unit --output-on-failure -j2) || status=1
"$top/scripts/with-display.sh" bash -c "cd '$top/build' && ctest -L gui --output-on-failure" || status=1
(cd "$top/build-sanitize" && ctest -L 'sanitize|fuzz' --output-on-failure) || status=1
exit $status
