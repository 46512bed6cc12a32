#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh [normal|sanitize]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-normal}
case "$kind" in
    normal)
        cmake -S "$top" -B "$top/build" -G Ninja >/dev/null
        cmake --build "$top/build"
        ;;
    sanitize)
        CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-sanitize" -G Ninja \
            -DCMAKE_BUILD_TYPE=Debug -DKEST_SANITIZE=ON >/dev/null
        cmake --build "$top/build-sanitize"
        ;;
    *) echo "usage: $0 [normal|sanitize]" >&2; exit 2 ;;
esac
