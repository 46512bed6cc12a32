#!/usr/bin/env bash
# The main job: install what is missing, build kest, pack the demo magazine
# into build/demo-magazine and open it. Without a display it runs the
# magazine on a private Xvfb for a few seconds and saves a screenshot.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" normal

# Where the demo's "save this picture" control copies to.
pictures=${XDG_PICTURES_DIR:-}
if [ -z "$pictures" ] && command -v xdg-user-dir >/dev/null; then
    pictures=$(xdg-user-dir PICTURES)
    [ "$pictures" = "$HOME" ] && pictures=""
fi
pictures=${pictures:-$HOME/Pictures}
mkdir -p "$pictures"
if LC_ALL=C grep -q '[^ -~]' <<<"$pictures"; then
    echo "note: the pictures folder $pictures has a name that is not plain ASCII; saving pictures may fail"
fi

magazine="$top/build/demo-magazine"
"$top/tools/demo/pack.sh" "$top/build/kest" "$top/build/demo-magazine-folder" "$magazine" "$pictures"
echo "packed the demo magazine into $magazine (pictures are saved to $pictures)"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "opening it; close the window (or press Esc) to end"
    exec "$magazine"
fi
screenshot="$top/build/demo-screenshot.png"
echo "no display (neither DISPLAY nor WAYLAND_DISPLAY is set): showing the magazine on a private Xvfb for a few seconds"
"$top/scripts/with-display.sh" "$top/tools/demo/show-briefly.sh" "$magazine" "$screenshot"
echo "screenshot of the demo magazine: $screenshot"
