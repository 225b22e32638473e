#!/usr/bin/env bash
# Opens each plug-in's editor in the host tool while real audio plays and
# saves what it shows: nulltest fed with the given stereo file for one and a
# half seconds (its first one-second measuring window closes after one, and
# the display then shows the results), tonegen for one second on silence (it
# makes its own tone). Wine needs an X display to read window
# pixels, so without one the script runs itself again under xvfb-run.
# Usage: scripts/screenshots.sh WINDOWS_BIN_DIR PLUGIN_DIR IN.wav OUT_DIR
#   writes OUT_DIR/nulltest.png (500x250) and OUT_DIR/tonegen.png (100x100)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a "$root/scripts/screenshots.sh" "$@"
fi
win_bin=$1 plugins=$2 audio=$3 out=$4
mkdir -p "$out"
host() { "$root/scripts/wine-run.sh" "$win_bin/vsthost.exe" "$@"; }

host editor "$plugins/nulltest.dll" --in "$audio" --seconds 1.5 --out "$out/nulltest.png"
host editor "$plugins/tonegen.dll" --generate silence --seconds 1 --out "$out/tonegen.png"
