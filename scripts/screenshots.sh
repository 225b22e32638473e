#!/usr/bin/env bash
# Opens each plug-in's editor in the host tool while real audio plays and
# saves what it shows: nulltest fed with the given stereo file for one and a
# half seconds (its first one-second measuring window closes after one, and
# the display then shows the results), tonegen for one second on silence (it
# makes its own tone). Wine needs an X display to read window
# pixels, so without one the script runs itself again under xvfb-run.
# With NATIVE_BIN_DIR the native host tool does the same with the native
# plug-ins in that folder (nulltest.so, tonegen.so) in an X window.
# Usage: scripts/screenshots.sh WINDOWS_BIN_DIR PLUGIN_DIR IN.wav OUT_DIR [NATIVE_BIN_DIR]
#   writes OUT_DIR/nulltest.png (500x250) and OUT_DIR/tonegen.png (100x100),
#   and OUT_DIR/nulltest-linux.png and tonegen-linux.png with NATIVE_BIN_DIR
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a "$root/scripts/screenshots.sh" "$@"
fi
win_bin=$1 plugins=$2 audio=$3 out=$4 native_bin=${5:-}
mkdir -p "$out"
host() { "$root/scripts/wine-run.sh" "$win_bin/vsthost.exe" "$@"; }

host editor "$plugins/nulltest.dll" --in "$audio" --seconds 1.5 --out "$out/nulltest.png"
host editor "$plugins/tonegen.dll" --generate silence --seconds 1 --out "$out/tonegen.png"
if [ -n "$native_bin" ]; then
  "$native_bin/vsthost" editor "$native_bin/nulltest.so" --in "$audio" --seconds 1.5 \
    --out "$out/nulltest-linux.png"
  "$native_bin/vsthost" editor "$native_bin/tonegen.so" --generate silence --seconds 1 \
    --out "$out/tonegen-linux.png"
fi
