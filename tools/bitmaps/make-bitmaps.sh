#!/usr/bin/env bash
# Redraws the bitmaps in res/bitmaps from make-bitmaps.cpp. The PNG files are
# committed; run this after changing the drawing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=$(mktemp)
trap 'rm -f "$tool"' EXIT
c++ -std=c++20 -O1 -o "$tool" "$here/make-bitmaps.cpp" $(pkg-config --cflags --libs cairo)
mkdir -p "$here/../../res/bitmaps"
"$tool" "$here/../../res/bitmaps"
