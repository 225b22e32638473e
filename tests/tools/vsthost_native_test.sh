#!/usr/bin/env bash
# The native vsthost on the native plug-ins, as a script would run it: what a
# host reads from nulltest.so, the tone tonegen.so renders, a state chunk
# saved and loaded, the editors shown in an X window and saved as pictures,
# and the errors a user meets. The editor runs need a display (DISPLAY, or
# run the script under xvfb-run -a).
# Usage: vsthost_native_test.sh VSTHOST PLUGIN_DIR WORK_DIR
# (PLUGIN_DIR holds nulltest.so, tonegen.so and the fixture editorplugin.so)
set -euo pipefail
vsthost=$1 plugins=$2 work=$3
rm -rf "$work" && mkdir -p "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
expect() { grep -qE -- "$2" <<<"$1" || fail "expected /$2/ in:\n$1"; }

info=$("$vsthost" info "$plugins/nulltest.so")
echo "$info"
expect "$info" 'uniqueID: +6248 '
expect "$info" 'flags: +0x00001031 '
expect "$info" 'effectName: +KESTRAVON - null testing - \(20260721\)'
expect "$info" 'name "Window Duration \(Seconds\)", label "", display "1\.00"'
# The tone generator's ID is its own: hosts hold one plug-in per ID.
tone_info=$("$vsthost" info "$plugins/tonegen.so")
expect "$tone_info" "uniqueID: +1263948871 \(0x4B565447 'KVTG'\)"

tone=$("$vsthost" render "$plugins/tonegen.so" --generate silence --seconds 0.5 \
  --out "$work/tone.wav")
echo "$tone"
expect "$tone" 'out 0: peak 0\.125893 \(-18\.00 dBFS\)'
expect "$tone" 'out 1: peak 0\.125893 \(-18\.00 dBFS\)'
# FLAC out (24-bit PCM unless told otherwise) and in again, through the
# meter into AIFF: the tone's level survives.
"$vsthost" render "$plugins/tonegen.so" --generate silence --seconds 0.5 \
  --out "$work/tone.flac" >/dev/null
[ "$(head -c 4 "$work/tone.flac")" = fLaC ] || fail "tone.flac is not a FLAC file"
through=$("$vsthost" render "$plugins/nulltest.so" --in "$work/tone.flac" --out "$work/through.aiff")
expect "$through" 'rendered 24000 frames at 48000 Hz'
expect "$through" 'out 0: peak 0\.12589[0-9] \(-18\.00 dBFS\)'
[ "$(head -c 4 "$work/through.aiff")" = FORM ] || fail "through.aiff is not an AIFF file"
status=0
"$vsthost" render "$plugins/tonegen.so" --generate silence --out "$work/float.flac" \
  --out-format f32 2>"$work/err.txt" >/dev/null || status=$?
[ "$status" = 2 ] || fail "a float FLAC gave exit $status"
expect "$(cat "$work/err.txt")" 'FLAC holds only PCM'

"$vsthost" render "$plugins/nulltest.so" --generate silence --seconds 0.1 --param 0=0.5 \
  --save-chunk "$work/state.bin" --out "$work/silence.wav" >/dev/null
[ "$(stat -c %s "$work/state.bin")" = 260 ] || fail "state chunk is not 65 values"
# Marker -1000.0, then the window slider at 5.0 (0x40A00000), little-endian.
[ "$(od -An -tx1 -N8 "$work/state.bin" | tr -d ' \n')" = 00007ac40000a040 ] \
  || fail "state chunk starts $(od -An -tx1 -N8 "$work/state.bin")"
"$vsthost" chunk "$plugins/nulltest.so" --load "$work/state.bin" --save "$work/state-again.bin"
cmp "$work/state.bin" "$work/state-again.bin" || fail "state changed through load and save"

# A picture's size, and one pixel's red, green and blue (0 to 255).
size() { convert "$1" -format '%w x %h' info:; }
rgb() { convert "$1" -format "%[fx:round(255*p{$2,$3}.r)] %[fx:round(255*p{$2,$3}.g)] %[fx:round(255*p{$2,$3}.b)]" info:; }

# The fixture's editor: left half always red, right half green once audio
# above 0.01 was heard at an idle, grey before.
shot=$("$vsthost" editor "$plugins/editorplugin.so" --generate sine:1000:0.5 --seconds 0.3 \
  --out "$work/fixture.png")
echo "$shot"
expect "$shot" '^editor: 64 x 48$'
expect "$shot" 'played 14848 frames at 48000 Hz in blocks of 512, [0-9]+ editor idles in 0\.30 s'
expect "$shot" "saved 64 x 48 pixels to $work/fixture.png"
[ "$(size "$work/fixture.png")" = "64 x 48" ] || fail "fixture picture is $(size "$work/fixture.png")"
[ "$(rgb "$work/fixture.png" 0 0)" = "200 40 20" ] || fail "left half $(rgb "$work/fixture.png" 0 0)"
[ "$(rgb "$work/fixture.png" 63 47)" = "20 180 60" ] || fail "right half $(rgb "$work/fixture.png" 63 47)"
"$vsthost" editor "$plugins/editorplugin.so" --seconds 0.1 --out "$work/quiet.png" >/dev/null
[ "$(rgb "$work/quiet.png" 40 10)" = "90 90 90" ] || fail "silence showed $(rgb "$work/quiet.png" 40 10)"

# The plug-ins' editors after 1.5 s of a sine: their panel, framed in red
# one pixel wide once audio has run.
for case in nulltest:500:250 tonegen:100:100; do
  IFS=: read -r name width height <<<"$case"
  shot=$("$vsthost" editor "$plugins/$name.so" --generate sine:997:0.5 --seconds 1.5 \
    --out "$work/$name.png")
  echo "$shot"
  expect "$shot" "^editor: $width x $height\$"
  [ "$(size "$work/$name.png")" = "$width x $height" ] || fail "$name: $(size "$work/$name.png")"
  colours=$(convert "$work/$name.png" -format %k info:)
  [ "$colours" -ge 8 ] || fail "$name: a blank editor ($colours colours)"
  read -r r g b <<<"$(rgb "$work/$name.png" 0 $((height / 2)))"
  [ "$r" -ge 128 ] && [ "$g" -le 64 ] && [ "$b" -le 64 ] || fail "$name: edge $r $g $b is not red"
  read -r r g b <<<"$(rgb "$work/$name.png" 2 $((height / 2)))"
  [ "$r" -lt 128 ] || [ "$g" -gt 64 ] || [ "$b" -gt 64 ] || fail "$name: red reaches two pixels in"
done

status=0
"$vsthost" info "$work/missing.so" 2>"$work/err.txt" || status=$?
[ "$status" = 1 ] || fail "a missing plug-in gave exit $status"
expect "$(cat "$work/err.txt")" 'no such plug-in file'
status=0
DISPLAY= "$vsthost" editor "$plugins/editorplugin.so" --seconds 0.1 --out "$work/none.png" \
  >/dev/null 2>"$work/err.txt" || status=$?
[ "$status" = 1 ] || fail "the editor without a display gave exit $status"
expect "$(cat "$work/err.txt")" '^vsthost: error: cannot open the X display \(DISPLAY is not set\)'
[ ! -e "$work/none.png" ] || fail "a picture without a display"
status=0
"$vsthost" editor "$plugins/editorplugin.so" --seconds 0.05 --out "$work/no/such/dir/x.png" \
  >/dev/null 2>"$work/err.txt" || status=$?
[ "$status" = 2 ] || fail "a picture in a missing folder gave exit $status"
expect "$(cat "$work/err.txt")" "^vsthost: error: --out $work/no/such/dir/x.png: cannot write"

# No output replaces the loaded plug-in, an input, a device or a folder,
# whatever the spelling: exit 2 before the plug-in runs, nothing left behind.
mkdir -p "$work/guard/sub"
cp "$plugins/nulltest.so" "$work/guard/p.so"
ln "$work/guard/p.so" "$work/guard/hard.so"
ln -s p.so "$work/guard/link.so"
mkfifo "$work/guard/fifo"
plugin_sum=$(md5sum <"$work/guard/p.so") state_sum=$(md5sum <"$work/state.bin")
refused() {
  local message=$1 status=0
  shift
  timeout 60 "$vsthost" "$@" >"$work/out.txt" 2>"$work/err.txt" || status=$?
  [ "$status" = 2 ] || fail "exit $status (not 2) for: $*"
  expect "$(cat "$work/err.txt")" "$message"
  [ ! -s "$work/out.txt" ] || fail "work began before the refusal of: $*"
}
refused 'is the same file as the plug-in' chunk "$work/guard/p.so" --save "$work/guard/p.so"
refused 'is the same file as the plug-in' chunk "$work/guard/p.so" --save "$work/guard/sub/../hard.so"
refused 'is the same file as the plug-in' render "$work/guard/p.so" --generate silence \
  --out "$work/guard/link.so"
refused 'is the same file as --load' chunk "$work/guard/p.so" --load "$work/state.bin" \
  --save "$work/state.bin"
refused 'is the same file as --in' render "$work/guard/p.so" --in "$work/tone.wav" \
  --out "$work/guard/../tone.wav"
refused 'is a directory' render "$work/guard/p.so" --generate silence \
  --save-chunk "$work/guard/sub" --out "$work/guard/left.wav"
refused 'is a FIFO' editor "$work/guard/p.so" --seconds 0.1 --out "$work/guard/fifo"
refused 'is also the file of --out' render "$work/guard/p.so" --generate silence \
  --out "$work/guard/same" --save-chunk "$work/guard/same"
if mknod "$work/guard/null" c 1 3 2>/dev/null; then
  refused 'is a character device' render "$work/guard/p.so" --generate silence \
    --out "$work/guard/null"
  [ -c "$work/guard/null" ] || fail "the device node was replaced"
fi
# An input that is a FIFO with no writer is refused, not waited on.
status=0
timeout 60 "$vsthost" render "$work/guard/p.so" --in "$work/guard/fifo" \
  --out "$work/guard/x.wav" 2>"$work/err.txt" >/dev/null || status=$?
[ "$status" = 1 ] || fail "a FIFO input gave exit $status"
expect "$(cat "$work/err.txt")" 'is a FIFO \(named pipe\), not a regular file'
[ "$(md5sum <"$work/guard/p.so")" = "$plugin_sum" ] || fail "the plug-in file changed"
[ "$(md5sum <"$work/state.bin")" = "$state_sum" ] || fail "the loaded chunk changed"
[ -L "$work/guard/link.so" ] || fail "the link to the plug-in was replaced"
leftover=$(ls "$work/guard" | grep -vxE 'fifo|hard\.so|link\.so|null|p\.so|sub' || true)
[ -z "$leftover" ] || fail "refused runs left files behind: $leftover"
# A link to a file of its own is written through and stays a link.
ln -s ../tone.wav "$work/guard/tone-link.wav"
"$vsthost" render "$work/guard/p.so" --generate silence --seconds 0.1 \
  --out "$work/guard/tone-link.wav" >/dev/null
[ -L "$work/guard/tone-link.wav" ] || fail "a link output was replaced"
[ "$(stat -c %s "$work/tone.wav")" -lt 50000 ] || fail "the link's file was not written"
echo "native vsthost: all checks passed"
