# Shell helpers for the benchmarks that measure a program with the processes
# it starts (the web engine's). Source this file; the caller sets `root`, the
# program's pid.

# The program and everything it started.
tree() {
    ps -e -o pid=,ppid= | awk -v root="$root" '
        { parent[$1] = $2 }
        END { for (p in parent) { q = p; while (q in parent && q != root && q > 1) q = parent[q]; if (q == root) print p } }'
}

# The user and system ticks they have used.
ticks() {
    local total=0 pid
    for pid in $(tree); do
        # A process that has ended meanwhile counts nothing.
        total=$((total + $(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | awk '{ t = $12 + $13 } END { print t + 0 }')))
    done
    echo "$total"
}
