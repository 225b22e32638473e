#!/usr/bin/env bash
# The null test of two long files: nullmeter against sox's own null test
# (`sox -m A -v -1 B -n stat`, the difference's statistics), on two 10-minute
# 48 kHz stereo 24-bit files, in one run. Prints the best of three wall-clock
# times of each command, their ratio and each one's peak memory. A benchmark,
# not a test: the figures depend on the machine. When the Windows build is
# there, nullmeter.exe runs under Wine on the same files in the same run,
# its times beside the native tool's.
# Installs sox and GNU time (for the memory figure) when they are missing.
# Usage: bench/nullmeter_vs_sox.sh [NATIVE_BIN_DIR] [MINUTES] [WINDOWS_BIN_DIR]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=${1:-$root/build/native/bin}
minutes=${2:-10}
win_bin=${3:-$root/build/win/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

need=()
command -v sox >/dev/null || need+=(sox)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${need[@]}" >/dev/null
fi

seconds=$((minutes * 60))
echo "== two ${minutes}-minute 48 kHz stereo 24-bit files"
# A: pink noise; B: A 0.01 dB quieter, so that every sample differs a little.
# A is band-limited below 0.42 of the rate, as programme material is, so that
# the drifting copy C can null deeply once aligned.
sox -n -r 48000 -c 2 -b 24 "$work/a.wav" synth "$seconds" pinknoise vol 0.3 sinc -20k
sox "$work/a.wav" -b 24 "$work/b.wav" gain -0.01
# C: A through a clock 40 ppm fast (sox's speed resamples), 3 dB lower and
# inverted: drift and a fractional offset for --align to find and undo.
sox "$work/a.wav" -b 24 "$work/c.wav" speed 1.00004 gain -3 vol -1
ls -l "$work/a.wav" "$work/b.wav" "$work/c.wav"

# Best of three wall-clock times, in seconds; the peak memory of the last run, in MB.
measure() {
  local best= t
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1 || true
    t=$(tail -1 "$work/time" | awk '{print $1}')
    best=$(awk -v a="$best" -v b="$t" 'BEGIN { print (a == "" || b < a) ? b : a }')
  done
  echo "$best $(tail -1 "$work/time" | awk '{printf "%.1f", $2 / 1024}')"
}

read -r sox_s sox_mb < <(measure sox -m "$work/a.wav" -v -1 "$work/b.wav" -n stat)
read -r plain_s plain_mb < <(measure "$bin/nullmeter" "$work/a.wav" "$work/b.wav")
read -r align_s align_mb < <(measure "$bin/nullmeter" --align "$work/a.wav" "$work/b.wav")
read -r drift_s drift_mb < <(measure "$bin/nullmeter" --align "$work/a.wav" "$work/c.wav")
read -r bands_s bands_mb < <(measure "$bin/nullmeter" --bands "$work/a.wav" "$work/b.wav")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '%-34s %8s %8s %10s\n' command seconds "x sox" "peak MB"
printf '%-34s %8s %8s %10s\n' "sox -m A -v -1 B -n stat" "$sox_s" 1.00 "$sox_mb"
printf '%-34s %8s %8s %10s\n' "nullmeter A B" "$plain_s" "$(ratio "$plain_s" "$sox_s")" "$plain_mb"
printf '%-34s %8s %8s %10s\n' "nullmeter --align A B" "$align_s" "$(ratio "$align_s" "$sox_s")" "$align_mb"
printf '%-34s %8s %8s %10s\n' "nullmeter --align A C (drift)" "$drift_s" "$(ratio "$drift_s" "$sox_s")" "$drift_mb"
printf '%-34s %8s %8s %10s\n' "nullmeter --bands A B" "$bands_s" "$(ratio "$bands_s" "$sox_s")" "$bands_mb"
echo "--bands on top of the plain comparison: $(ratio "$(awk -v a="$bands_s" -v b="$plain_s" 'BEGIN { print a - b }')" "$sox_s") x sox"
"$bin/nullmeter" --align "$work/a.wav" "$work/c.wav" | grep -E "alignment|drift|applied|after alignment" || true

if [ -f "$win_bin/nullmeter.exe" ]; then
  echo "== nullmeter.exe under Wine on the same files"
  wine_run=$root/scripts/wine-run.sh
  # Wine's drive Z: is the Unix root.
  windows() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
  wa=$(windows "$work/a.wav") wb=$(windows "$work/b.wav") wc=$(windows "$work/c.wav")
  # The first run starts the Wine server (and makes the prefix on a fresh tree).
  "$wine_run" "$win_bin/nullmeter.exe" --help >/dev/null
  read -r wplain_s wplain_mb < <(measure "$wine_run" "$win_bin/nullmeter.exe" "$wa" "$wb")
  read -r walign_s walign_mb < <(measure "$wine_run" "$win_bin/nullmeter.exe" --align "$wa" "$wb")
  read -r wdrift_s wdrift_mb < <(measure "$wine_run" "$win_bin/nullmeter.exe" --align "$wa" "$wc")
  read -r wbands_s wbands_mb < <(measure "$wine_run" "$win_bin/nullmeter.exe" --bands "$wa" "$wb")
  printf '%-34s %8s %8s %10s\n' command seconds "x native" "peak MB"
  printf '%-34s %8s %8s %10s\n' "nullmeter.exe A B" "$wplain_s" "$(ratio "$wplain_s" "$plain_s")" "$wplain_mb"
  printf '%-34s %8s %8s %10s\n' "nullmeter.exe --align A B" "$walign_s" "$(ratio "$walign_s" "$align_s")" "$walign_mb"
  printf '%-34s %8s %8s %10s\n' "nullmeter.exe --align A C (drift)" "$wdrift_s" "$(ratio "$wdrift_s" "$drift_s")" "$wdrift_mb"
  printf '%-34s %8s %8s %10s\n' "nullmeter.exe --bands A B" "$wbands_s" "$(ratio "$wbands_s" "$bands_s")" "$wbands_mb"
  echo "(peak MB of the Wine loader process, not of the Windows program alone)"
fi

echo "== a folder of 100 one-minute pairs, one at a time and in one parallel run"
mkdir -p "$work/golden" "$work/renders"
sox "$work/a.wav" "$work/one-a.wav" trim 0 60
sox "$work/b.wav" "$work/one-b.wav" trim 0 60
for i in $(seq -w 1 100); do
  ln "$work/one-a.wav" "$work/golden/take$i.wav"
  ln "$work/one-b.wav" "$work/renders/take$i.wav"
done
serial() { for f in "$work"/golden/*.wav; do "$bin/nullmeter" "$f" "$work/renders/${f##*/}" >/dev/null || true; done; }
export -f serial; export bin work
read -r serial_s _ < <(measure bash -c serial)
read -r folder_s folder_mb < <(measure "$bin/nullmeter" "$work/golden" "$work/renders")
printf '%-34s %8s\n' "100 pairs one at a time" "$serial_s"
printf '%-34s %8s %18s\n' "nullmeter GOLDEN RENDERS" "$folder_s" "peak $folder_mb MB"
echo "speed-up: $(ratio "$serial_s" "$folder_s") x"
