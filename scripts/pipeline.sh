#!/usr/bin/env bash
# The demonstration pipeline, shared by the main job and the integration test:
#   1. tonegen renders two seconds at 48 kHz (float32, and rounded to 16 bits);
#   2. the two renders become one stereo file: left the tone, right its 16-bit copy;
#   3. nulltest (the DLL, in the host tool) passes that file through unchanged;
#   4. nullmeter runs the same nulltest code over the file and prints its results;
#   5. both editors, open in the host tool while audio plays (nulltest on the
#      pair until its first window has closed, tonegen on silence), saved as
#      OUT_DIR/nulltest.png and OUT_DIR/tonegen.png.
# Usage: scripts/pipeline.sh WINDOWS_BIN_DIR NATIVE_BIN_DIR PLUGIN_DIR OUT_DIR
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
win_bin=$1 native_bin=$2 plugins=$3 out=$4
mkdir -p "$out"
host() { "$root/scripts/wine-run.sh" "$win_bin/vsthost.exe" "$@"; }

echo "-- tonegen: two seconds at 48 kHz"
host render "$plugins/tonegen.dll" --generate silence --seconds 2 --rate 48000 \
  --out "$out/tone.wav"
host render "$plugins/tonegen.dll" --generate silence --seconds 2 --rate 48000 \
  --out-format pcm16 --out "$out/tone16.wav" >/dev/null
"$native_bin/wavtool" peak "$out/tone.wav"

echo "-- the tone (left) against its 16-bit copy (right)"
"$native_bin/wavtool" pair "$out/tone.wav" "$out/tone16.wav" "$out/tone-vs-16bit.wav"

echo "-- nulltest passes the pair through untouched"
host render "$plugins/nulltest.dll" --in "$out/tone-vs-16bit.wav" --out "$out/through.wav" >/dev/null
"$native_bin/wavtool" compare "$out/tone-vs-16bit.wav" "$out/through.wav"

echo "-- nulltest measurement (1 s windows)"
"$native_bin/nullmeter" "$out/tone-vs-16bit.wav"

echo "-- the editors, open while audio plays"
"$root/scripts/screenshots.sh" "$win_bin" "$plugins" "$out/tone-vs-16bit.wav" "$out"
