#!/usr/bin/env bash
# Runs the demonstration pipeline on the real DLLs (in the host tool, under
# Wine) and checks what it prints; then measures a file whose channels are
# identical, which must null completely.
# Usage: pipeline_test.sh WINDOWS_BIN_DIR NATIVE_BIN_DIR WORK_DIR
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
win_bin=$1 native_bin=$2 work=$3
rm -rf "$work" && mkdir -p "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
expect() { grep -qE -- "$2" <<<"$1" || fail "expected /$2/ in:\n$1"; }

log=$("$root/scripts/pipeline.sh" "$win_bin" "$native_bin" "$win_bin" "$work" 2>&1) \
  || fail "pipeline failed:\n$log"
echo "$log"

# -18 dB FS peak: 10^(-18/20) = 0.125892541..., never above it.
expect "$log" 'channel 0: peak 0\.12589[0-9]+ \(-18\.00 dB FS\)'
expect "$log" 'channel 1: peak 0\.12589[0-9]+ \(-18\.00 dB FS\)'
expect "$log" 'are identical \(96000 frames\)'
# The tone against itself passes; against its 16-bit copy it fails, with
# the depth of the null: half a 16-bit step is about 17 bits down.
expect "$log" 'PASS: identical: all 192000 compared samples are equal'
expect "$log" 'FAIL: differs: [0-9]+ of 192000 samples; null depth 1[78]\.[0-9]{2} bits'
# The stereo pair's table: two windows of one second each.
expect "$log" 'window 2, channel 1: 1\.000 to 2\.000 s \(48000 frames\)'
# Left: a sine of peak -18 dB FS has an RMS 3.01 dB lower; 18 dB is 2.99 bits.
expect "$log" '  L \(A\) +-21\.01 +3\.49 +-18\.00 +2\.99'
expect "$log" '  R \(B\) +-21\.01 +3\.49 +-18\.00 +2\.99'
# Side: half the 16-bit rounding error, far below the signal (about 17 bits).
side=$(sed -n '/null test: the tone against its 16-bit copy/,$p' <<<"$log" | grep -E '^  S ' | head -1)
rms_db=$(awk '{print $2}' <<<"$side")
awk -v v="$rms_db" 'BEGIN { exit !(v < -100 && v > -115) }' || fail "side RMS $rms_db dB"
# The late, inverted copy: found, and identical once aligned.
expect "$log" 'alignment: B lags A by 37 frames \(37\.[0-9]+ frames, 0\.77[0-9] ms\), polarity inverted'
expect "$log" 'after alignment: +null depth 66\.44 bits'
# The drifting, fractionally late capture: each reason named, and nulled to
# far below 15 bits once aligned.
expect "$log" 'clock drift: \+50\.0000 ppm'
expect "$log" 'applied: B read from frame 10\.2500 for A.s frame 0 \(10 whole \+ 0\.2500\), resampled for \+50\.0000 ppm'
expect "$log" 'diagnosis: B lags A by 10\.25 samples'
expect "$log" "diagnosis: B's clock runs 50\.0 ppm fast"
expect "$log" 'PASS: nulls to at least 15 bits: null depth (1[89]|2[0-9])\.'
# The top octave half a dB lower: found in its band and nowhere else.
expect "$log" 'diagnosis: all channels: B is 0\.50 dB lower from the 16 kHz band up'
# nulltest.so under test, and the folder of renders.
expect "$log" 'latency: the plug-in reports 0 frames of latency and delays by 0 frames, as reported'
expect "$log" 'set/noise\.wav: PASS: identical'
expect "$log" 'PASS: all 2 pairs pass'
grep -q '<testsuite name="nullmeter" tests="2" failures="0"' "$work/renders.xml" || fail "JUnit report"
[ "$(grep -c '^PASS: identical' <<<"$log")" = 3 ] || fail "the aligned pair or the plug-in test did not pass"
[ "$(grep -c '^(exit status 1)' <<<"$log")" = 5 ] || fail "expected five failing null tests"
# The editors' pictures: PNG files of the editors' sizes, each framed in red,
# which the effects draw only once audio has reached them.
png_size() {
  [ "$(od -An -tx1 -N8 "$1" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$1 is not a PNG"
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}
pixel() { convert "$1" -format "%[fx:int(255*p{$2}.r+0.5)],%[fx:int(255*p{$2}.g+0.5)],%[fx:int(255*p{$2}.b+0.5)]" info:; }
expect_frame() {
  local png=$1 w=$2 h=$3 at
  [ "$(png_size "$png")" = "${w}x${h}" ] || fail "$png is $(png_size "$png"), not ${w}x${h}"
  for at in "$((w / 2)),0" "0,$((h / 2))" "$((w - 1)),$((h / 2))" "$((w / 2)),$((h - 1))"; do
    [ "$(pixel "$png" "$at")" = 255,0,0 ] || fail "$png at $at is $(pixel "$png" "$at"), not red"
  done
  # Inside the frame the background is black, where nothing else is drawn.
  [ "$(pixel "$png" "1,$((h / 2))")" = 0,0,0 ] || fail "$png at 1,$((h / 2)) is not black"
}
expect_frame "$work/nulltest.png" 500 250
expect_frame "$work/tonegen.png" 100 100
png_size "$work/nullmeter-plot.png" >/dev/null

# Identical channels cancel completely: side at the floor, -400 dB.
"$native_bin/wavtool" pair "$work/tone.wav" "$work/tone.wav" "$work/same.wav"
same=$("$native_bin/nullmeter" --windows --window 0.5 "$work/same.wav")
echo "$same"
expect "$same" 'window 4, channel 1: 1\.500 to 2\.000 s \(24000 frames\)'
expect "$same" '  S +-400\.00 +66\.44 +-400\.00 +66\.44'
expect "$same" '  M +-21\.01 +3\.49 +-18\.00 +2\.99'
# What a host reads from the DLL, and its state through a save and a load.
host() { "$root/scripts/wine-run.sh" "$win_bin/vsthost.exe" "$@"; }
info=$(host info "$win_bin/nulltest.dll")
echo "$info"
expect "$info" 'uniqueID: +6248 '
expect "$info" 'flags: +0x00001031 '
expect "$info" 'effectName: +KESTRAVON - null testing - \(20260721\)'
expect "$info" 'vendorVersion: +1000'
expect "$info" 'name "Window Duration \(Seconds\)", label "", display "1\.00"'
expect "$info" 'name "Display Smoothing", label "", display "0\.00"'
# The tone generator's ID is its own: hosts hold one plug-in per ID.
tone_info=$(host info "$win_bin/tonegen.dll")
echo "$tone_info"
expect "$tone_info" "uniqueID: +1263948871 \(0x4B565447 'KVTG'\)"
host render "$win_bin/nulltest.dll" --generate silence --seconds 0.1 --param 0=0.5 \
  --save-chunk "$work/state.bin" --out "$work/silence.wav" >/dev/null
[ "$(stat -c %s "$work/state.bin")" = 260 ] || fail "state chunk is not 65 values"
# Marker -1000.0, then the window slider at 5.0 (0x40A00000).
[ "$(od -An -tx1 -N8 "$work/state.bin" | tr -d ' \n')" = 00007ac40000a040 ] \
  || fail "chunk starts $(od -An -tx1 -N8 "$work/state.bin")"
host chunk "$win_bin/nulltest.dll" --load "$work/state.bin" --save "$work/state-again.bin"
cmp "$work/state.bin" "$work/state-again.bin" || fail "state changed through load and save"
echo "pipeline checks passed"
