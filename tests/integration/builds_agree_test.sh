#!/usr/bin/env bash
# The Windows DLLs (in the host tool, under Wine) and the Linux shared objects
# (in the native host tool) must make the same samples: the tone bit for bit,
# and noise passed through the null-test meter untouched by both.
# Usage: builds_agree_test.sh WINDOWS_BIN_DIR NATIVE_BIN_DIR PLUGIN_DIR WORK_DIR
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
win_bin=$1 native_bin=$2 plugins=$3 work=$4
rm -rf "$work" && mkdir -p "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }

render_both() {
  local name=$1
  shift
  "$root/scripts/wine-run.sh" "$win_bin/vsthost.exe" render "$win_bin/$name.dll" "$@" \
    --out "$work/$name-windows.wav" >/dev/null || fail "vsthost.exe render $name failed"
  "$native_bin/vsthost" render "$plugins/$name.so" "$@" --out "$work/$name-linux.wav" >/dev/null \
    || fail "vsthost render $name.so failed"
  # Identical means every sample equal, bit for bit: exit 0 and that verdict.
  local verdict
  verdict=$("$native_bin/nullmeter" "$work/$name-windows.wav" "$work/$name-linux.wav") \
    || fail "$name: the builds differ:\n$verdict"
  grep -q '^PASS: identical' <<<"$verdict" || fail "$name: no identical verdict:\n$verdict"
  echo "$name: the DLL and the shared object agree"
}

# A day's worth of phase would take too long; 10 s at 96 kHz runs the sine
# through almost a million arguments.
render_both tonegen --generate silence --seconds 10 --rate 96000 --precision 64 --out-format f64
render_both nulltest --generate noise:0.5 --seconds 2
