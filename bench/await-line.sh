# Shell helper for the start-up benchmarks: runs a program and waits for a
# line of its standard output without polling (a poll loop's processes take a
# share of the cores that the start being measured needs). Source this file.

# start_and_await PATTERN SECONDS OUT ERR COMMAND...: runs COMMAND with its
# standard output copied to OUT until a line matching PATTERN (then the rest
# is not read) and its standard error to ERR. Returns once that line came,
# the program ended, or SECONDS passed; sets `program` (its pid: the caller
# ends it) and `shown` (when the line came, in ns since the epoch; empty when
# it did not).
start_and_await() {
    local pattern=$1 limit=$2 out=$3 err=$4
    shift 4
    coproc AWAITED { exec "$@" 2>"$err"; }
    program=$AWAITED_PID
    shown=
    if timeout "$limit" sed -u "/$pattern/q" <&"${AWAITED[0]}" >"$out" && grep -q "$pattern" "$out"; then
        shown=$(date +%s%N)
    fi
}
