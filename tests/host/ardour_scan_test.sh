#!/usr/bin/env bash
# A host we did not write loads the native plug-ins: Ardour's VST 2 scanner
# (Debian's ardour package) opens each shared object through VSTPluginMain,
# asks what a host asks before offering a plug-in, and writes its cache
# record, which must describe our plug-ins as our own host tool does.
# Usage: ardour_scan_test.sh PLUGIN_DIR WORK_DIR
set -euo pipefail
plugins=$1 work=$2
scanner=/usr/lib/ardour7/ardour-vst-scanner
rm -rf "$work" && mkdir -p "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$scanner" ] || fail "$scanner is missing (scripts/install-deps.sh installs ardour)"

scan() {
  local name=$1 expected_name=$2
  # The scanner keeps its records under $XDG_CACHE_HOME/ardour7/vst.
  XDG_CACHE_HOME="$work/cache-$name" LD_LIBRARY_PATH=/usr/lib/ardour7 \
    "$scanner" -f "$plugins/$name.so" >"$work/$name.log" 2>&1 \
    || fail "the scanner refused $name.so:\n$(cat "$work/$name.log")"
  local record
  record=$(cat "$work/cache-$name"/ardour7/vst/*.v2i 2>/dev/null) || fail "no cache record for $name"
  echo "$record"
  for attribute in 'id="6248"' "name=\"$expected_name\"" 'creator="KESTRAVON"' 'n_inputs="2"' \
    'n_outputs="2"' 'is_instrument="0"' 'can_process_replace="1"' 'has_editor="1"'; do
    grep -qF -- "$attribute" <<<"$record" || fail "$name: no $attribute in:\n$record"
  done
}

scan nulltest 'KESTRAVON - null testing - (20260721)'
scan tonegen 'KESTRAVON - Tone Generator, 997 Hz, -18 dB FS - (20260720)'
echo "Ardour's scanner: both plug-ins load"
