#!/usr/bin/env bash
# A magazine's sound is heard: on a sound server of the test's own (PulseAudio
# with a null sink, its monitor recorded), the movie's event sound (440 Hz)
# and the MP3 it streams from beside it (1000 Hz) both come out. Skipped
# (status 77) where no PulseAudio can be started.
# Usage: sound-heard.sh KEST SOUNDS_SWF MUSIC_MP3
set -euo pipefail
kest=$1 movie=$2 music=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kest-sound.XXXXXX")
viewer="" server="" recorder=""
trap 'kill $viewer $recorder $server 2>/dev/null || true; rm -rf "$work"' EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"
skip() { echo "SKIPPED: $*"; exit 77; }

command -v pulseaudio >/dev/null && command -v parec >/dev/null ||
    skip "no pulseaudio here (Debian packages pulseaudio and pulseaudio-utils)"
export XDG_RUNTIME_DIR=$work/run HOME=$work/home
mkdir -m 700 "$XDG_RUNTIME_DIR" "$HOME"
pulseaudio --daemonize=no --exit-idle-time=-1 -n --log-target=stderr \
    --load="module-native-protocol-unix auth-anonymous=1" --load="module-null-sink sink_name=kest_test" \
    2>"$work/pulse.log" &
server=$!
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || skip "pulseaudio could not be started: $(tail -3 "$work/pulse.log")"
parec -d kest_test.monitor --format=s16le --channels=1 --rate=44100 --raw >"$work/heard.raw" &
recorder=$!

mkdir -p "$work/src"
cp "$movie" "$work/src/read.swf"
cp "$music" "$work/src/music.mp3"
printf '<Book entrance="read.swf" width="320" height="240"/>\n' >"$work/src/kest.xml"
"$kest" -o "$work/mag" -p "$work/src"
KEST_REGISTRY="$work/registry.sqlite" KEST_STATS_URL=http://127.0.0.1:9/x "$work/mag" >"$output" 2>"$errors" &
viewer=$!
wait_for "command: sound | args: done" 1 300
sleep 0.5
kill "$recorder"
wait "$recorder" 2>/dev/null || true
recorder=

# Tenths of a second in which each tone stands out.
heard=$(python3 - "$work/heard.raw" <<'PY'
import array, math, sys
samples = array.array("h", open(sys.argv[1], "rb").read())
size = 4410
waves = {hertz: [(math.cos(2 * math.pi * hertz * i / 44100), math.sin(2 * math.pi * hertz * i / 44100))
                 for i in range(size)] for hertz in (440, 1000)}
counts = dict.fromkeys(waves, 0)
for start in range(0, len(samples) - size, size):
    chunk = samples[start:start + size]
    for hertz, wave in waves.items():
        re = sum(v * c for v, (c, s) in zip(chunk, wave))
        im = sum(v * s for v, (c, s) in zip(chunk, wave))
        counts[hertz] += math.hypot(re, im) / size > 300
print(counts[440], counts[1000])
PY
)
read -r event stream <<<"$heard"
[ "$event" -ge 5 ] || fail "the event sound was not heard ($event tenths of a second)"
[ "$stream" -ge 5 ] || fail "the streamed MP3 was not heard ($stream tenths of a second)"
kill -TERM "$viewer"
wait "$viewer" || true
echo "sound heard: the event sound for $event and the streamed MP3 for $stream tenths of a second"
