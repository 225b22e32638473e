#!/usr/bin/env bash
# A host we did not write loads the native plug-ins: Ardour's VST 2 scanner
# (Debian's ardour package) opens each shared object through VSTPluginMain,
# asks what a host asks before offering a plug-in, and writes its cache
# record, which must describe our plug-ins as our own host tool does. Both
# lie in one folder and share one cache, as in a user's ~/.vst; then Ardour's
# plug-in manager discovers that folder from the cache, as Ardour does when it
# starts, and must list both, each under its own ID: a plug-in whose ID
# another already has is ignored and blacklisted ("VST-ID conflicts").
# Usage: ardour_scan_test.sh PLUGIN_DIR DISCOVERY_PRELOAD WORK_DIR
# (DISCOVERY_PRELOAD: ardour_discovery_preload.so, built beside this test)
set -euo pipefail
plugins=$1 preload=$2 work=$3
scanner=/usr/lib/ardour7/ardour-vst-scanner
rm -rf "$work" && mkdir -p "$work/vst"

fail() { echo -e "FAIL: $*" >&2; exit 1; }
[ -x "$scanner" ] || fail "$scanner is missing (scripts/install-deps.sh installs ardour)"
command -v ardour7-lua >/dev/null || fail "ardour7-lua is missing (Debian's ardour package)"

# Ardour keeps its records under $XDG_CACHE_HOME/ardour7 and its scan log
# under $XDG_CONFIG_HOME/ardour7; both stay inside the work folder.
ardour_env=(HOME="$work/home" XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config")
cp "$plugins/nulltest.so" "$plugins/tonegen.so" "$work/vst/"
# Ardour trusts a cache record only when the plug-in file is older, to the second.
touch -d '1 minute ago' "$work/vst/nulltest.so" "$work/vst/tonegen.so"

scan() {
  local name=$1 id=$2 expected_name=$3
  env "${ardour_env[@]}" LD_LIBRARY_PATH=/usr/lib/ardour7 \
    "$scanner" -f "$work/vst/$name.so" >"$work/$name.log" 2>&1 \
    || fail "the scanner refused $name.so:\n$(cat "$work/$name.log")"
  local record
  record=$(grep -lF "binary=\"$work/vst/$name.so\"" "$work/cache"/ardour7/vst/*.v2i 2>/dev/null \
    | xargs -r cat) || true
  [ -n "$record" ] || fail "no cache record for $name"
  echo "$record"
  for attribute in "id=\"$id\"" "name=\"$expected_name\"" 'creator="KESTRAVON"' 'n_inputs="2"' \
    'n_outputs="2"' 'is_instrument="0"' 'can_process_replace="1"' 'has_editor="1"'; do
    grep -qF -- "$attribute" <<<"$record" || fail "$name: no $attribute in:\n$record"
  done
}

# nulltest 6248; tonegen 'KVTG'.
scan nulltest 6248 'KESTRAVON - null testing - (20260721)'
scan tonegen 1263948871 'KESTRAVON - Tone Generator, 997 Hz, -18 dB FS - (20260720)'

# What Ardour's plug-in manager offers from our folder: one line per plug-in.
cat >"$work/list.lua" <<EOF
for p in ARDOUR.LuaAPI.list_plugins():iter() do
  if p.path:find("$work/vst/", 1, true) == 1 then
    print("listed " .. p.unique_id .. " " .. p.path)
  end
end
EOF
listing=$(env "${ardour_env[@]}" LXVST_PATH="$work/vst" LD_PRELOAD="$preload" \
  ardour7-lua "$work/list.lua" 2>&1) || fail "ardour7-lua failed:\n$listing"
echo "$listing"
scan_log=$(cat "$work/config"/ardour7/plugin_metadata/scan_log 2>/dev/null) \
  || fail "Ardour wrote no scan log: its plug-in manager did not look"
blacklist=$(cat "$work/cache"/ardour7/vst2_x64_blacklist.txt 2>/dev/null || true)
reports=$(printf '%s\n%s' "$scan_log" "$listing")
! grep -qi conflicts <<<"$reports" \
  || fail "Ardour reports an ID conflict:\n$(grep -i conflicts <<<"$reports")"
[ -z "$blacklist" ] || fail "Ardour blacklisted:\n$blacklist"
[ "$(grep -c '^listed ' <<<"$listing")" = 2 ] || fail "Ardour does not list exactly our two"
grep -qxF "listed 6248 $work/vst/nulltest.so" <<<"$listing" || fail "nulltest is not listed as 6248"
grep -qxF "listed 1263948871 $work/vst/tonegen.so" <<<"$listing" \
  || fail "tonegen is not listed as 1263948871"
echo "Ardour: both plug-ins load and are listed from one folder, each under its own ID"
