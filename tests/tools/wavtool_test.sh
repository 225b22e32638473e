#!/usr/bin/env bash
# wavtool as a script runs it, the same checks for the native program and for
# wavtool.exe under Wine: help and usage, every command, files in every
# container, names with spaces and non-ASCII characters (and, for the Windows
# program, a drive letter and backslashes), exit statuses.
# Usage: wavtool_test.sh WORK_DIR WAVTOOL...   (WAVTOOL: the program, or the
#        Wine runner followed by wavtool.exe)
set -euo pipefail
work=$1
shift
wavtool=("$@")
rm -rf "$work" && mkdir -p "$work"

fail() { printf 'FAIL: %b\n' "$*" >&2; exit 1; }
expect() { grep -qE -- "$2" <<<"$1" || fail "expected /$2/ in:\n$1"; }
# run STATUS ARGS...: runs wavtool, which must exit with STATUS; its output
# is in $out and $err.
run() {
  local want=$1 status=0
  shift
  "${wavtool[@]}" "$@" >"$work/out.txt" 2>"$work/err.txt" || status=$?
  out=$(cat "$work/out.txt") err=$(cat "$work/err.txt")
  [ "$status" = "$want" ] || fail "exit $status (not $want) for: $*\n$out\n$err"
}

windows=0
case "${wavtool[-1]}" in *.exe) windows=1 ;; esac

run 0 --help
expect "$out" '^usage: wavtool peak FILE'
expect "$out" 'wavtool synth OUT'
[ -z "$err" ] || fail "--help wrote to stderr: $err"
run 2
expect "$err" '^usage: wavtool peak FILE'
[ -z "$out" ] || fail "usage went to stdout"
run 2 peak
run 2 shift a.wav b.wav 12x
run 2 synth "$work/x.wav" --rate 7999

dir="$work/gr"$'\xc3\xbc'"n folder "$'\xe2\x99\xaa'
mkdir -p "$dir"
prog="$dir/pro gramme.flac"
run 0 synth "$prog" --seconds 0.5 --rate 44100 --seed 7
[ -f "$prog" ] || fail "synth wrote no file under its non-ASCII name"
run 0 peak "$prog"
peak=$out
expect "$peak" '^channel 0: peak 0\.[0-9]+ \(-[0-9.]+ dB FS\)$'
expect "$peak" 'channel 1: peak'

# A copy through every container compares equal to the 24-bit original;
# an inverted one differs and inverts back to it.
for ext in wav rf64 w64 aiff; do
  run 0 shift "$prog" "$dir/copy.$ext" 0
  run 0 compare "$prog" "$dir/copy.$ext"
  expect "$out" 'are identical \(22050 frames\)$'
done
run 0 shift "$prog" "$dir/inverted.w64" 0 --invert
run 1 compare "$prog" "$dir/inverted.w64"
expect "$out" 'differ$'
run 0 peak "$dir/inverted.w64"
[ "$out" = "$peak" ] || fail "inverting changed the peaks:\n$out\n$peak"
run 0 shift "$dir/inverted.w64" "$dir/back.wav" 0 --invert
run 0 compare "$prog" "$dir/back.wav"

# A delay puts silence first; pair makes a stereo file of two channels 0.
run 0 shift "$prog" "$dir/late.aiff" 100
run 0 pair "$dir/copy.wav" "$dir/copy.wav" "$dir/pair.wav"
run 0 peak "$dir/pair.wav"
expect "$out" 'channel 1: peak'
run 2 pair "$prog" "$dir/late.aiff" "$dir/unequal.wav"
expect "$err" 'differ in rate or length'

# Refusals: a missing input named as given, an output over an input, FLAC
# asked to hold floats, a folder that does not exist. Nothing is left behind.
before=$(ls "$dir" | sort)
run 2 peak "$dir/n"$'\xc3\xa4'"hte.wav"
expect "$err" "^wavtool: $dir/n"$'\xc3\xa4'"hte\\.wav: no such file$"
run 2 shift "$prog" "$prog" 5
expect "$err" 'is the same file as'
run 2 pair "$dir/copy.wav" "$dir/copy.wav" "$dir/pair.flac"
expect "$err" 'FLAC holds only 8-, 16- and 24-bit PCM'
run 2 shift "$prog" "$dir/no such/x.wav" 1
expect "$err" 'does not exist'
[ "$(ls "$dir" | sort)" = "$before" ] || fail "refused runs left files behind"

if [ "$windows" = 1 ]; then
  # The same folder as Windows spells it: drive Z: (Wine's view of /) and
  # backslashes.
  win_dir="Z:${dir//\//\\}"
  run 0 shift "$win_dir\\pro gramme.flac" "$win_dir\\drive.wav" 0
  [ -f "$dir/drive.wav" ] || fail "no file from a drive-letter path"
  run 0 compare "$win_dir\\drive.wav" "$dir/copy.wav"
  expect "$out" "^$(sed 's/[\\.]/\\&/g' <<<"$win_dir")\\\\drive\\.wav and "
fi
echo "wavtool: all checks passed"
