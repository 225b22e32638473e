#!/usr/bin/env bash
# The demonstration pipeline, shared by the main job and the integration test:
#   1. tonegen renders two seconds at 48 kHz (float32, and rounded to 16 bits);
#   2. the two renders become one stereo file: left the tone, right its 16-bit copy;
#   3. nulltest (the DLL, in the host tool) passes that file through unchanged;
#   4. nullmeter, the null test of files with the very same nulltest code:
#      the tone against itself passes; against its 16-bit copy it fails, with
#      the depth of the null in bits, the per-window table of the stereo file,
#      and a plot (OUT_DIR/nullmeter-plot.png); a copy of a noise burst that
#      is 37 frames late and inverted fails as it is, and its offset and
#      polarity are found and the pair nulls after --align;
#      then the reasons a null fails, each shown and undone: a capture 10.25
#      frames late whose clock runs 50 ppm fast, inverted and 1 dB lower,
#      nulls to the noise floor after --align; a copy whose top octave is
#      half a dB lower is found in its band; nulltest.so passes its own
#      plug-in test (bit for bit, latency as reported); a folder of renders
#      against its golden files, with a JUnit report;
#   5. both editors, open in the host tool while audio plays (nulltest on the
#      pair until its first window has closed, tonegen on silence), saved as
#      OUT_DIR/nulltest.png and OUT_DIR/tonegen.png.
# Usage: scripts/pipeline.sh WINDOWS_BIN_DIR NATIVE_BIN_DIR PLUGIN_DIR OUT_DIR
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
win_bin=$1 native_bin=$(cd "$2" && pwd) plugins=$3 out=$4
mkdir -p "$out"
host() { "$root/scripts/wine-run.sh" "$win_bin/vsthost.exe" "$@"; }
# nullmeter's exit status is its verdict: show it, and stop only on an error (2).
nullmeter() {
  local status=0
  "$native_bin/nullmeter" "$@" || status=$?
  echo "(exit status $status)"
  [ "$status" -le 1 ]
}

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

echo "-- null test: the tone against itself"
nullmeter "$out/tone.wav" "$out/tone.wav"

echo "-- null test: the tone against its 16-bit copy"
# From the output folder, so that the plot's title names just the files.
(cd "$out" && nullmeter tone.wav tone16.wav --plot nullmeter-plot.png)

echo "-- null test: the stereo pair, window by window (1 s windows)"
nullmeter --windows "$out/tone-vs-16bit.wav"

echo "-- null test: a noise burst against a copy 37 frames late and inverted"
host render "$plugins/nulltest.dll" --generate noise:0.25 --seconds 2 --rate 48000 \
  --out "$out/noise.wav" >/dev/null
"$native_bin/wavtool" shift "$out/noise.wav" "$out/noise-late-inverted.wav" 37 --invert
nullmeter "$out/noise.wav" "$out/noise-late-inverted.wav"
echo "-- the same pair with --align"
nullmeter --align "$out/noise.wav" "$out/noise-late-inverted.wav"

echo "-- why it doesn't null: a capture 10.25 frames late, its clock 50 ppm fast, inverted, 1 dB lower"
"$native_bin/wavtool" synth "$out/programme.wav" --seconds 10
"$native_bin/wavtool" synth "$out/capture.wav" --seconds 10 --delay 10.25 --ppm 50 --gain -1 --invert
nullmeter "$out/programme.wav" "$out/capture.wav"
echo "-- the same pair with --align: offset, fraction and drift undone"
nullmeter --align --bits 15 "$out/programme.wav" "$out/capture.wav"

echo "-- a copy whose top octave is half a dB lower: where the difference lies"
"$native_bin/wavtool" synth "$out/programme-eq.wav" --seconds 10 --above 11200 --band-gain -0.5
nullmeter --bands "$out/programme.wav" "$out/programme-eq.wav"

echo "-- nulltest.so under test: transparent, latency as reported, random block sizes"
nullmeter --plugin "$native_bin/nulltest.so" --block random "$out/programme.wav"

echo "-- a folder of renders against its golden files, with a JUnit report for CI"
rm -rf "$out/golden" "$out/renders"
mkdir -p "$out/golden/set" "$out/renders/set"
cp "$out/tone.wav" "$out/noise.wav" "$out/golden/set/"
cp "$out/tone.wav" "$out/noise.wav" "$out/renders/set/"
nullmeter "$out/golden" "$out/renders" --junit "$out/renders.xml"

echo "-- the editors, open while audio plays"
"$root/scripts/screenshots.sh" "$win_bin" "$plugins" "$out/tone-vs-16bit.wav" "$out" "$native_bin"
