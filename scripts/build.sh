#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh [normal|sanitize]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-normal}
case "$kind" in
    normal)
        cmake -S "$top" -B "$top/build" -G Ninja -DKEST_WERROR=ON -DKEST_MOVIES=ON >/dev/null
        cmake --build "$top/build"
        ;;
    sanitize)
        CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-sanitize" -G Ninja \
            -DCMAKE_BUILD_TYPE=Debug -DKEST_SANITIZE=ON -DKEST_WERROR=ON -DKEST_MOVIES=OFF >/dev/null
        cmake --build "$top/build-sanitize"
        ;;
    *) echo "usage: $0 [normal|sanitize]" >&2; exit 2 ;;
esac
