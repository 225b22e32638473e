#!/usr/bin/env bash
# The native vsthost on the native plug-ins, as a script would run it: what a
# host reads from nulltest.so, the tone tonegen.so renders, a state chunk
# saved and loaded, and the errors a user meets.
# Usage: vsthost_native_test.sh VSTHOST PLUGIN_DIR WORK_DIR
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

tone=$("$vsthost" render "$plugins/tonegen.so" --generate silence --seconds 0.5 \
  --out "$work/tone.wav")
echo "$tone"
expect "$tone" 'out 0: peak 0\.125893 \(-18\.00 dBFS\)'
expect "$tone" 'out 1: peak 0\.125893 \(-18\.00 dBFS\)'

"$vsthost" render "$plugins/nulltest.so" --generate silence --seconds 0.1 --param 0=0.5 \
  --save-chunk "$work/state.bin" --out "$work/silence.wav" >/dev/null
[ "$(stat -c %s "$work/state.bin")" = 260 ] || fail "state chunk is not 65 values"
# Marker -1000.0, then the window slider at 5.0 (0x40A00000), little-endian.
[ "$(od -An -tx1 -N8 "$work/state.bin" | tr -d ' \n')" = 00007ac40000a040 ] \
  || fail "state chunk starts $(od -An -tx1 -N8 "$work/state.bin")"
"$vsthost" chunk "$plugins/nulltest.so" --load "$work/state.bin" --save "$work/state-again.bin"
cmp "$work/state.bin" "$work/state-again.bin" || fail "state changed through load and save"

status=0
"$vsthost" info "$work/missing.so" 2>"$work/err.txt" || status=$?
[ "$status" = 1 ] || fail "a missing plug-in gave exit $status"
expect "$(cat "$work/err.txt")" 'no such plug-in file'
echo "native vsthost: all checks passed"
