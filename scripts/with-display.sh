#!/usr/bin/env bash
# Runs a command on a fresh Xvfb display with a window manager and a D-Bus
# session of its own, then stops them: scripts/with-display.sh COMMAND [ARGS...]
set -euo pipefail
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null & echo "pid $!")
read -r _ xvfbPid <&3
read -r displayNumber <&3
export DISPLAY=":$displayNumber"
openbox >/dev/null 2>&1 &
wmPid=$!
cleanup() { kill "$wmPid" "$xvfbPid" 2>/dev/null || true; }
trap cleanup EXIT
# Give the window manager a moment to take the screen.
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
# A session bus, as a desktop has one: without it the web view's process
# looks for one through dbus-launch, which is slow and, in the GLib of this
# distribution, can abort that process when a system call was interrupted.
dbus-run-session -- "$@"
