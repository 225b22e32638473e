#!/usr/bin/env bash
# The zip as a Windows user gets it, made by cpack from this build tree: its
# checksum, one folder holding exactly the three programs, the two DLLs and
# the guide (CRLF lines, naming every file), unpacked with unzip into a folder
# whose name has a space. Then, under Wine, from inside the unpacked folder:
# each program's --help and --version; no DLL imported but Windows' own; the
# guide's nullmeter example run as written, through cmd.exe, on a pair that
# nulls only once aligned (only its folders moved to the test's); the DLLs
# loaded by vsthost.exe from VstPlugins\ and nulltest.dll passing audio
# untouched in nullmeter.exe.
# Usage: zip_test.sh BUILD_DIR WORK_DIR PACKAGE_NAME VERSION
set -euo pipefail
wine_run=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/wine-run.sh
name=$3 version=$4
rm -rf "$2" && mkdir -p "$2"
# Absolute, since the checks run from inside the unpacked folder.
build=$(cd "$1" && pwd) work=$(cd "$2" && pwd)

fail() { echo -e "FAIL: $*" >&2; exit 1; }
programs=(nullmeter vsthost wavtool)
# Wine's drive Z: is the Unix root.
windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
# Windows programs end their lines with CR LF.
run() { "$wine_run" "$@" | tr -d '\r'; }

cpack --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 \
  || fail "cpack failed:\n$(cat "$work/cpack.log")"
folder=$name-$version-windows-x64
zip=$work/cpack/$folder.zip
[ -f "$zip" ] || fail "no $folder.zip; cpack made: $(ls "$work/cpack")"
(cd "$work/cpack" && sha256sum --check --quiet "$folder.zip.sha256") \
  || fail "$folder.zip.sha256 does not verify"

expected=$(printf "$folder/%s\n" README.txt nullmeter.exe vsthost.exe wavtool.exe \
  VstPlugins/nulltest.dll VstPlugins/tonegen.dll | sort)
listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
[ "$listed" = "$expected" ] || fail "the zip holds:\n$listed\nnot:\n$expected"

unpacked="$work/unpacked here"
unzip -q "$zip" -d "$unpacked"
cd "$unpacked/$folder"

lines=$(wc -l <README.txt)
[ "$lines" -gt 10 ] && [ "$(grep -c $'\r$' README.txt)" = "$lines" ] \
  || fail "README.txt: not every one of its $lines lines ends in CR LF"
guide=$(tr -d '\r' <README.txt)
grep -qF "$version" <<<"$(head -1 <<<"$guide")" || fail "README.txt's title lacks $version"
for file in 'VstPlugins\nulltest.dll' 'VstPlugins\tonegen.dll' nullmeter.exe vsthost.exe \
  wavtool.exe "$folder"; do
  grep -qF "$file" <<<"$guide" || fail "README.txt does not name $file"
done

for program in "${programs[@]}"; do
  help=$(run "./$program.exe" --help) || fail "$program.exe --help exits $?"
  grep -q "^Usage: $program" <<<"$help" || fail "$program.exe --help:\n$help"
  line=$(run "./$program.exe" --version) || fail "$program.exe --version exits $?"
  [ "$line" = "$program ($name) $version" ] || fail "$program.exe --version: $line"
done

# Nothing but Windows' own DLLs is imported: a Wine prefix's system32 holds
# those, and no compiler runtime or codec library.
system32=${PLUX_WINEPREFIX:-$build/wineprefix}/drive_c/windows/system32
for binary in ./*.exe VstPlugins/*.dll; do
  imports=$(x86_64-w64-mingw32-objdump -p "$binary" | awk '/DLL Name:/ { print $3 }')
  [ -n "$imports" ] || fail "$binary imports nothing"
  for dll in $imports; do
    [ -n "$(find "$system32" -maxdepth 1 -iname "$dll" -print -quit)" ] \
      || fail "$binary needs $dll, which Windows does not have"
  done
done

# The guide's example: a pair that nulls once aligned, where it names the
# user's files, and its two lines in a batch file run by cmd.exe.
music=$work/music
mkdir -p "$music"
run ./wavtool.exe synth "$(windows_path "$music/mix.wav")" --seconds 2 >/dev/null \
  || fail "wavtool.exe synth"
run ./wavtool.exe shift "$(windows_path "$music/mix.wav")" \
  "$(windows_path "$music/mix (render).wav")" 37 --invert >/dev/null || fail "wavtool.exe shift"
cd_line=$(grep -m1 '^  cd /d ' <<<"$guide") || fail "README.txt has no cd /d line"
example=$(grep -m1 '^  nullmeter.exe --' <<<"$guide") || fail "README.txt has no nullmeter.exe line"
downloads='%USERPROFILE%\Downloads\'
[[ $cd_line == *"$downloads"* && $example == *'C:\Music\'* ]] \
  || fail "the example moved: $cd_line / $example"
cd_line=${cd_line/"$downloads"/"$(windows_path "$unpacked")\\"}
example=${example//'C:\Music\'/"$(windows_path "$music")\\"}
printf '@echo off\r\n%s\r\n%s\r\nexit /b %%errorlevel%%\r\n' "$cd_line" "$example" \
  >"$work/example.bat"
cmd=$system32/cmd.exe
[ -f "$cmd" ] || fail "no $cmd"
if ! report=$(run "$cmd" /c "$(windows_path "$work/example.bat")"); then
  cat "$work/example.bat" >&2  # as it is: its backslashes are no escapes
  fail "the guide's example above fails:\n$report"
fi
grep -q '^alignment: B lags A by 37 frames .*polarity inverted' <<<"$report" \
  || fail "the example found no alignment:\n$report"
[ "$(tail -1 <<<"$report")" = "PASS: identical: all 192000 compared samples are equal" ] \
  || fail "the example does not null:\n$report"

# The DLLs, where the guide says they are.
for plugin in nulltest:6248 tonegen:1263948871; do
  info=$(run ./vsthost.exe info "VstPlugins\\${plugin%:*}.dll") \
    || fail "vsthost.exe info ${plugin%:*}.dll"
  grep -qE "^uniqueID: +${plugin#*:} " <<<"$info" || fail "${plugin%:*}.dll:\n$info"
done
verdict=$(run ./nullmeter.exe --plugin 'VstPlugins\nulltest.dll' "$(windows_path "$music/mix.wav")") \
  || fail "nullmeter.exe --plugin nulltest.dll:\n$verdict"
grep -q '^PASS: identical' <<<"$verdict" || fail "nulltest.dll changed the audio:\n$verdict"
echo "$folder.zip: $(wc -l <<<"$listed") files, the guide's example and both DLLs work"
