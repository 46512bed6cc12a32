#!/usr/bin/env bash
# Builds the starter magazine's folder FOLDER: the movie compiled from
# Starter.hx (its size as kest.xml gives it), the manifest and resource/.
# `kest FOLDER` previews it. With MAGAZINE, the folder is also packed into
# that one file by kest ($KEST, else kest on the PATH).
# Usage: make.sh FOLDER [MAGAZINE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
folder=$1 magazine=${2:-}
mkdir -p "$folder"
"${HAXE:-haxe}" -cp "$here" -main Starter -swf "$folder/starter.swf" \
    -swf-version 11 -swf-header 640:480:30:f4f1ea
cp "$here/kest.xml" "$folder/"
cp -R "$here/resource" "$folder/"
if [ -n "$magazine" ]; then
    "${KEST:-kest}" -o "$magazine" -p "$folder"
fi
