#!/usr/bin/env bash
# Installs the Debian packages listed in debian-packages.txt that are missing,
# and the npm packages of package.json when node_modules is out of date.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")

missing=()
while read -r name; do
    case "$name" in ''|'#'*) continue ;; esac
    if ! dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed'; then
        # A command of that name already on the machine (e.g. node from
        # another source) is as good as the package.
        if [ "$name" = nodejs ] && command -v node >/dev/null; then continue; fi
        if [ "$name" = npm ] && command -v npm >/dev/null; then continue; fi
        missing+=("$name")
    fi
done < "$here/debian-packages.txt"

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ -f "$top/package.json" ]; then
    stamp="$top/node_modules/.kest-installed"
    if [ ! -f "$stamp" ] || [ "$top/package-lock.json" -nt "$stamp" ]; then
        (cd "$top" && npm ci --no-audit --no-fund --loglevel=error)
        touch "$stamp"
    fi
fi
