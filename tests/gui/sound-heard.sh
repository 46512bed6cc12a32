#!/usr/bin/env bash
# A magazine's sound is heard: on a PulseAudio server of the test's own, its
# null sink's monitor recorded, the movie's event sound (440 Hz) and the MP3
# it streams (1000 Hz) both come out. Skipped (77) where no PulseAudio starts.
# Usage: sound-heard.sh KEST SOUNDS_SWF MUSIC_MP3
set -euo pipefail
kest=$1 here=$(cd "$(dirname "$0")" && pwd) work=$(mktemp -d "${TMPDIR:-/tmp}/kest-sound.XXXXXX")
viewer="" pids=()
trap 'kill $viewer "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
output=$work/out.txt errors=$work/err.txt
source "$here/magazine-process.sh"
skip() { echo "SKIPPED: $*"; exit 77; }

command -v parec >/dev/null || skip "no pulseaudio here (packages pulseaudio, pulseaudio-utils)"
export XDG_RUNTIME_DIR=$work/run HOME=$work
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --load="module-native-protocol-unix auth-anonymous=1" \
    --load="module-null-sink sink_name=kest_test" 2>"$work/pulse.log" &
pids+=($!)
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || skip "pulseaudio did not start: $(tail -2 "$work/pulse.log")"
parec -d kest_test.monitor --format=s16le --channels=1 --rate=44100 --raw >"$work/heard.raw" &
pids+=($!)

mkdir "$work/src" && cp "$2" "$work/src/read.swf" && cp "$3" "$work/src/music.mp3"
printf '<Book entrance="read.swf" width="320" height="240"/>\n' >"$work/src/kest.xml"
"$kest" -o "$work/mag" -p "$work/src"
KEST_STATS_URL=http://127.0.0.1:9/x KEST_REGISTRY="$work/registry.sqlite" "$work/mag" >"$output" 2>"$errors" &
viewer=$!
wait_for "command: sound | args: done" 1 300
sleep 0.5
# Tenths of a second in which each tone stands out.
read -r event stream < <(python3 - "$work/heard.raw" <<'PY'
import array, cmath, sys
samples, size = array.array("h", open(sys.argv[1], "rb").read()), 4410
waves = [[cmath.exp(-2j * cmath.pi * hertz * i / 44100) for i in range(size)] for hertz in (440, 1000)]
print(*(sum(abs(sum(v * w for v, w in zip(samples[at:at + size], wave))) / size > 300
            for at in range(0, len(samples) - size, size)) for wave in waves))
PY
)
[ "$event" -ge 5 ] || fail "the event sound was not heard ($event tenths of a second)"
[ "$stream" -ge 5 ] || fail "the streamed MP3 was not heard ($stream tenths of a second)"
echo "sound heard: the event sound for $event and the streamed MP3 for $stream tenths of a second"
