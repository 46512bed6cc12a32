# Shell helpers for tests that run a packed magazine as a process and watch
# it through its standard output and the X server. Source this file; the
# caller sets `output` and `errors` (the viewer's stdout and stderr files),
# `viewer` (its pid) and, for the geometry helpers, `window`.

fail() {
    echo "FAILED: $*"
    echo "--- stdout"; cat "$output"
    echo "--- stderr"; grep -v ALSA "$errors" | tail -20
    exit 1
}

# Waits until standard output holds `count` lines with `text`, at most
# `tenths` tenths of a second (15 s).
wait_for() {
    local text=$1 count=${2:-1} tenths=${3:-150}
    for _ in $(seq "$tenths"); do
        [ "$(grep -cF -- "$text" "$output")" -ge "$count" ] && return 0
        kill -0 "$viewer" 2>/dev/null || break
        sleep 0.1
    done
    fail "no '$text' (x$count)"
}

geometry() {
    xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width/ {w=$NF} /Height/ {h=$NF} END {print x "," y " " w "x" h}'
}

wait_geometry() {
    for _ in $(seq 50); do [ "$(geometry)" = "$1" ] && return 0; sleep 0.1; done
    fail "window is $(geometry), not $1"
}

# The viewer's window, given the keyboard focus.
find_window() {
    window=$(xdotool search --onlyvisible --pid "$viewer" | head -1)
    [ -n "$window" ] || fail "no window"
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
}

# Waits for the viewer to end by itself with status 0.
wait_closed() {
    for _ in $(seq 100); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$viewer" 2>/dev/null && fail "the viewer did not close"
    wait "$viewer" || fail "the viewer exited with $?"
}

# A process's descendants: the web engine's processes lie below bubblewrap's
# when sandboxed.
descendants() { local child; for child in $(pgrep -P "$1"); do echo "$child"; descendants "$child"; done; }

# Kills the viewer's web processes.
kill_web_processes() {
    local process
    for process in $(descendants "$viewer"); do
        [ "$(cat "/proc/$process/comm" 2>/dev/null)" = WebKitWebProces ] && kill -KILL "$process"
    done
    return 0
}
