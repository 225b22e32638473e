#!/usr/bin/env bash
# nullmeter.exe (under Wine) and the native nullmeter must report the same:
# on the same pairs, the same JSON figure for figure and the same exit
# status, the file names aside (Windows spells them with a drive letter and
# backslashes): a level change window by window, a fractionally late and
# drifting capture aligned, a top-octave EQ in bands, a stereo file, two
# folders of renders, the null-test plug-in (DLL and shared object) and
# names with spaces and non-ASCII characters. Their plots of one pair have
# one size and look alike (a few pixels differ, where lines and glyphs are
# smoothed).
# Usage: nullmeter_builds_agree_test.sh WINDOWS_BIN_DIR NATIVE_BIN_DIR PLUGIN_DIR WORK_DIR
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
win_bin=$1 native_bin=$2 plugins=$3 work=$4
rm -rf "$work" && mkdir -p "$work"
work=$(cd "$work" && pwd)
export LC_ALL=C.UTF-8

fail() { printf 'FAIL: %b\n' "$*" >&2; exit 1; }

synth() { "$native_bin/wavtool" synth "$@" >/dev/null || fail "wavtool synth $*"; }
# Z: is Wine's drive for the Unix root.
windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# The material of every pair: 8 s of programme-like stereo at 48 kHz.
synth "$work/a.wav" --seconds 8 --channels 2 --seed 1
synth "$work/quieter.wav" --seconds 8 --channels 2 --seed 1 --gain -0.01
synth "$work/late.wav" --seconds 8 --channels 2 --seed 1 --delay 7.3 --ppm 40 --gain -3 --invert
synth "$work/eq.wav" --seconds 8 --channels 2 --seed 1 --above 8000 --band-gain -0.5
"$native_bin/wavtool" pair "$work/a.wav" "$work/quieter.wav" "$work/pair.wav" >/dev/null
named="$work/Mix ü 混音 x"
mkdir -p "$named" "$work/golden/voix 声" "$work/renders/voix 声"
cp "$work/a.wav" "$named/prise é 1.wav"
cp "$work/late.wav" "$named/prise é 2.wav"
cp "$work/a.wav" "$work/golden/voix 声/take é.wav"
cp "$work/a.wav" "$work/renders/voix 声/take é.wav"
cp "$work/a.wav" "$work/golden/mix.wav"
cp "$work/quieter.wav" "$work/renders/mix.wav"
cp "$work/eq.wav" "$work/golden/only-golden.wav"

# File names as their last part: the rest is each system's spelling, as
# is a plug-in's file type.
normalise() {
  sed -E -e 's/^( *"(path|path_a|path_b|folder_a|folder_b)": ")(.*[\\/])?([^\\/"]*)"/\1\4"/' \
    -e 's/(missing in [AB] \()[^)]*[\\/]([^\\/)]*)\)/\1\2)/' -e 's/nulltest\.dll/nulltest.so/g'
}

# One case: NAME, then the arguments, each FILE given as @FILE (absolute);
# %nulltest stands for each system's own build of the null-test plug-in.
agree() {
  local name=$1
  shift
  local native_args=() windows_args=() arg
  for arg in "$@"; do
    if [ "$arg" = %nulltest ]; then
      native_args+=("$plugins/nulltest.so")
      windows_args+=("$(windows_path "$win_bin/nulltest.dll")")
    elif [ "${arg:0:1}" = @ ]; then
      native_args+=("${arg:1}")
      windows_args+=("$(windows_path "${arg:1}")")
    else
      native_args+=("$arg")
      windows_args+=("$arg")
    fi
  done
  local native_status=0 windows_status=0
  "$native_bin/nullmeter" "${native_args[@]}" >"$work/$name-linux.out" 2>"$work/$name-linux.err" \
    || native_status=$?
  "$root/scripts/wine-run.sh" "$win_bin/nullmeter.exe" "${windows_args[@]}" \
    >"$work/$name-windows.out" 2>"$work/$name-windows.err" || windows_status=$?
  [ "$native_status" -le 1 ] || fail "$name: nullmeter failed:\n$(cat "$work/$name-linux.err")"
  [ "$native_status" = "$windows_status" ] \
    || fail "$name: exit status $native_status natively, $windows_status from nullmeter.exe:\n$(cat "$work/$name-windows.err")"
  normalise <"$work/$name-linux.out" >"$work/$name-linux.json"
  normalise <"$work/$name-windows.out" >"$work/$name-windows.json"
  diff -u "$work/$name-linux.json" "$work/$name-windows.json" >"$work/$name.diff" \
    || fail "$name: the reports differ:\n$(head -40 "$work/$name.diff")"
  local figures
  figures=$(grep -cE '": -?[0-9]' "$work/$name-linux.json" || true)
  [ "$figures" -gt 10 ] || fail "$name: hardly any figures in the report:\n$(head "$work/$name-linux.out")"
  echo "$name: the same $figures figures, exit status $native_status"
}

agree levels --json --windows @"$work/a.wav" @"$work/quieter.wav"
agree drift --json --windows --align @"$work/a.wav" @"$work/late.wav"
agree bands --json --align --bands third @"$work/a.wav" @"$work/eq.wav"
agree stereo --json @"$work/pair.wav"
agree folders --json --jobs 2 @"$work/golden" @"$work/renders"
agree plugin --json --block random:3 --plugin %nulltest @"$work/a.wav"
agree names --json --align @"$named/prise é 1.wav" @"$named/prise é 2.wav"
grep -q '"path": "prise é 2.wav"' "$work/names-windows.json" \
  || fail "names: nullmeter.exe does not name prise é 2.wav:\n$(head "$work/names-windows.out")"
grep -q '"pair": "voix 声/take é.wav"' "$work/folders-windows.json" \
  || fail "folders: nullmeter.exe does not pair voix 声/take é.wav"

# The plots of one pair: drawn by one code through cairo and GDI+.
"$native_bin/nullmeter" --bands --plot "$work/plot-linux.png" "$work/a.wav" "$work/eq.wav" \
  >/dev/null || true
"$root/scripts/wine-run.sh" "$win_bin/nullmeter.exe" --bands \
  --plot "$(windows_path "$work/plot-windows.png")" "$(windows_path "$work/a.wav")" \
  "$(windows_path "$work/eq.wav")" >/dev/null || true
size_linux=$(identify -format '%wx%h' "$work/plot-linux.png")
size_windows=$(identify -format '%wx%h' "$work/plot-windows.png")
[ "$size_linux" = "$size_windows" ] || fail "plot: $size_linux natively, $size_windows on Windows"
# Alike at a quarter of the size (each pixel the mean of 4 x 4): Wine's GDI+
# draws lines without anti-aliasing and its glyphs differ at their edges.
convert "$work/plot-linux.png" -filter box -resize 25% "$work/plot-linux-quarter.png"
convert "$work/plot-windows.png" -filter box -resize 25% "$work/plot-windows-quarter.png"
differing=$(compare -metric AE -fuzz 20% "$work/plot-linux-quarter.png" \
  "$work/plot-windows-quarter.png" "$work/plot-difference.png" 2>&1 >/dev/null || true)
pixels=$(identify -format '%[fx:w*h]' "$work/plot-linux-quarter.png")
[ "${differing%.*}" -le $((pixels * 2 / 100)) ] \
  || fail "plot: $differing of $pixels pixels differ at a quarter of the size (see $work/plot-difference.png)"
echo "plot: both $size_linux; at a quarter of the size $differing of $pixels pixels differ by more than 20 %"
