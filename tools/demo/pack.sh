#!/usr/bin/env bash
# Packs the demo magazine into one file. The movie cannot read the
# environment, so the pictures folder for its "save this picture" control is
# written into the package as savefolder.txt, which the movie loads.
# Usage: pack.sh KEST FOLDER OUT PICTURES_FOLDER
set -euo pipefail
kest=$1 folder=$2 out=$3 pictures=$4
stage=$(mktemp -d "${TMPDIR:-/tmp}/kest-demo-pack.XXXXXX")
trap 'rm -rf "$stage"' EXIT
cp -R "$folder/." "$stage"
printf '%s\n' "$pictures" >"$stage/savefolder.txt"
"$kest" -o "$out" -p "$stage"
