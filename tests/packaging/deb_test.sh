#!/usr/bin/env bash
# The .deb as a Linux user gets it, made by cpack from this build tree: its
# checksum, its control data, exactly its files, a declared dependency for
# every shared library its programs and plug-ins link (each satisfied on this
# machine, so it installs here); then unpacked into a temporary root: the
# three programs run from /usr/bin, man finds and renders their manual pages,
# and the plug-ins in the VST 2 folder load in the packaged host and null
# through the packaged nullmeter.
# Usage: deb_test.sh BUILD_DIR WORK_DIR PACKAGE_NAME VERSION
set -euo pipefail
build=$1 work=$2 name=$3 version=$4
rm -rf "$work" && mkdir -p "$work"

fail() { echo -e "FAIL: $*" >&2; exit 1; }
programs=(nullmeter vsthost wavtool)

cpack --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 \
  || fail "cpack failed:\n$(cat "$work/cpack.log")"
arch=$(dpkg --print-architecture)
file=${name}_${version}_${arch}.deb
deb=$work/cpack/$file
[ -f "$deb" ] || fail "no $file; cpack made: $(ls "$work/cpack")"
(cd "$work/cpack" && sha256sum --check --quiet "$file.sha256") || fail "$file.sha256 does not verify"
[ "$(cut -d' ' -f3 "$deb.sha256")" = "$file" ] || fail "$file.sha256 names another file"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = "$name" ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"

expected=$(printf '%s\n' ./usr/bin/{nullmeter,vsthost,wavtool} ./usr/lib/vst/{nulltest,tonegen}.so \
  ./usr/share/man/man1/{nullmeter,vsthost,wavtool}.1.gz)
contents=$(dpkg-deb --contents "$deb")
files=$(awk '$1 !~ /^d/ { print $6 }' <<<"$contents" | sort)
[ "$files" = "$expected" ] || fail "the package holds:\n$files\nnot:\n$expected"
# Installed files belong to root, as dpkg would otherwise give them to a user.
owners=$(awk '{ print $2 }' <<<"$contents" | sort -u)
[ "$owners" = root/root ] || fail "owners: $owners"

root=$work/root
dpkg-deb --extract "$deb" "$root"

# Every library an ELF file of the package needs comes from a package it
# declares. Each is found through the dynamic linker's cache; dpkg knows it
# by that path or, with /lib merged into /usr/lib, by the file it leads to,
# and is asked about all of them at once.
depends=$(field Depends)
declared=" $(tr ',' '\n' <<<"$depends" | awk '{ print $1 }' | tr '\n' ' ')"
linker_cache=$(ldconfig -p)
libraries=()
for elf in "$root"/usr/bin/* "$root"/usr/lib/vst/*.so; do
  needed=$(readelf --dynamic "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
  [ -n "$needed" ] || fail "$elf: no NEEDED entries"
  for library in $needed; do
    path=$(awk -v l="$library" '$1 == l && /x86-64/ { print $NF; exit }' <<<"$linker_cache")
    [ -n "$path" ] || fail "$library (of ${elf#"$root"}) is not in the linker's cache"
    libraries+=("$path $(readlink -f "$path")")
  done
done
mapfile -t libraries < <(printf '%s\n' "${libraries[@]}" | sort -u)
# shellcheck disable=SC2046  # one word per path
owners=$(dpkg-query --search $(printf '%s\n' "${libraries[@]}") 2>/dev/null || true)
for paths in "${libraries[@]}"; do
  owner=$(awk -v a="${paths% *}" -v b="${paths#* }" '$NF == a || $NF == b {
            sub(/:.*/, "", $1); print $1; exit }' <<<"$owners")
  [ -n "$owner" ] || fail "no package owns ${paths% *}"
  [[ $declared == *" $owner "* ]] || fail "${paths% *} comes from $owner, which Depends lacks: $depends"
done
# ... and each declared dependency is installed here, in a version it accepts.
while read -r package relation wanted; do
  installed=$(dpkg-query --show --showformat='${db:Status-Status} ${Version}' "$package" 2>/dev/null) \
    || fail "Depends names $package, which no package database knows"
  [[ $installed == "installed "* ]] || fail "Depends names $package, not installed here"
  [ -z "$relation" ] || dpkg --compare-versions "${installed#installed }" "${relation//[()]/}" \
    "${wanted%)}" || fail "$package ${installed#installed } does not satisfy $relation $wanted"
done < <(tr ',' '\n' <<<"$depends" | sed 's/^ *//')
for package in libsndfile1 libsoxr0 libcairo2 fonts-liberation; do
  [[ $declared == *" $package "* ]] || fail "Depends lacks $package: $depends"
done

# The programs, as installed.
for program in "${programs[@]}"; do
  exe=$root/usr/bin/$program
  help=$("$exe" --help) || fail "$program --help exits $?"
  grep -q "^Usage: $program " <<<"$help" || fail "$program --help:\n$help"
  line=$("$exe" --version) || fail "$program --version exits $?"
  [ "$line" = "$program ($name) $version" ] || fail "$program --version: $line"
done

# The manual pages: found by man in the root's manual folder, rendered
# without a warning, named and versioned, and holding the options of --help.
export MANPATH=$root/usr/share/man
for program in "${programs[@]}"; do
  page=$(man -w "$program") || fail "man -w $program finds nothing"
  [ "$page" = "$root/usr/share/man/man1/$program.1.gz" ] || fail "man -w $program: $page"
  text=$(MANWIDTH=100 man --warnings -E UTF-8 -l "$page" 2>"$work/$program.warnings" | col -b)
  [ ! -s "$work/$program.warnings" ] || fail "$program.1: $(cat "$work/$program.warnings")"
  title=$(tr '[:lower:]' '[:upper:]' <<<"$program")
  grep -q "^$title(1)[[:space:]]" <<<"$text" || fail "$program.1 has no $title(1) header:\n$text"
  grep -qE "^ +$program - [a-z]" <<<"$text" || fail "$program.1 has no NAME line:\n$text"
  grep -q '^SYNOPSIS' <<<"$text" || fail "$program.1 has no SYNOPSIS:\n$text"
  grep -qF "$name $version" <<<"$text" || fail "$program.1 does not name $name $version"
done
# Rendered whole before the search: grep -q stops reading at its match, and
# under pipefail the page writer's broken pipe would fail the check.
rendered() { man -l "$MANPATH/man1/$1.1.gz" 2>/dev/null | col -b; }
grep -q -- '--align' <<<"$(rendered nullmeter)" || fail "nullmeter.1 lacks --align"
grep -q -- '--band-gain' <<<"$(rendered wavtool)" || fail "wavtool.1 lacks --band-gain"

# The VST 2 folder: the host loads each plug-in with its own ID, and
# nulltest passes a test file through untouched.
vst=$root/usr/lib/vst
for plugin in nulltest:6248 tonegen:1263948871; do
  info=$("$root/usr/bin/vsthost" info "$vst/${plugin%:*}.so") || fail "vsthost info ${plugin%:*}.so"
  grep -qE "^uniqueID: +${plugin#*:} " <<<"$info" || fail "${plugin%:*}.so:\n$info"
done
"$root/usr/bin/wavtool" synth "$work/programme.wav" --seconds 1 --rate 44100 \
  || fail "wavtool synth"
verdict=$("$root/usr/bin/nullmeter" --plugin "$vst/nulltest.so" "$work/programme.wav") \
  || fail "nullmeter --plugin nulltest.so:\n$verdict"
grep -q '^PASS: identical' <<<"$verdict" || fail "nulltest.so changed the audio:\n$verdict"
echo "$file: $(wc -l <<<"$files") files, Depends: $depends"
