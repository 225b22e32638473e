#!/usr/bin/env bash
# Builds static mingw-w64 (x86-64) libraries of libsndfile (with FLAC, Ogg,
# Vorbis and Opus) and libsoxr for the Windows build of the tools, from the
# Debian source packages of the machine's own release, and installs them into
# PREFIX_DIR (include/, lib/, lib/pkgconfig/).
#
#   scripts/build-mingw-deps.sh [PREFIX_DIR]     (default: build/mingw-deps)
#
# Everything it downloads or builds stays under PREFIX_DIR:
#   apt/    a private apt configuration holding the deb-src entries
#   work/   unpacked sources, build trees, logs, stamps, the check program
#   wine/   the Wine prefix the check runs in
# A library is rebuilt only when its Debian source version, its build options
# or a library it depends on changed, so a second run does nothing. The source
# indexes are fetched once (again only when the system's sources change); to
# look for newer Debian versions, set PLUX_MINGW_DEPS_UPDATE=1.
set -euo pipefail
# A command failing outside the checks below still says where.
trap 'echo "build-mingw-deps: failed at line $LINENO" >&2' ERR

say() { printf 'build-mingw-deps: %s\n' "$*"; }
# A progress line ("libogg 1.3.5-3 ...") is finished by its result or, if a
# step fails, by the error.
line_open=0
begin() { printf 'build-mingw-deps: %s ...' "$*"; line_open=1; }
end() { echo " $*"; line_open=0; }
die() {
  [ "$line_open" = 0 ] || echo
  line_open=0
  printf 'build-mingw-deps: %s\n' "$*" >&2
  exit 1
}

usage() {
  echo "usage: scripts/build-mingw-deps.sh [PREFIX_DIR]   (default: build/mingw-deps)"
}
case "${1:-}" in
  -h|--help) usage; exit 0 ;;
  -*) usage >&2; exit 2 ;;
esac
[ $# -le 1 ] || { usage >&2; exit 2; }

start_time=$(date +%s)
repo_root=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." && pwd)
# A PREFIX_DIR given is taken from the current directory, the default from the
# repository root.
prefix=${1:-$repo_root/build/mingw-deps}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)

work=$prefix/work
apt_dir=$prefix/apt
logs=$work/logs
stamps=$work/stamps
mkdir -p "$work/src" "$work/build" "$logs" "$stamps"

# Two runs on one prefix would unpack and install over each other.
exec 9>"$work/lock"
flock 9

host=x86_64-w64-mingw32
# The posix-thread variants, as the project's own Windows build uses them.
cc=$host-gcc-posix

# Runs a command with its output going to LOG; on failure shows the end of the
# log and stops.
run_logged() {
  local log=$1 what=$2
  shift 2
  if ! "$@" >>"$log" 2>&1; then
    [ "$line_open" = 0 ] || echo
    line_open=0
    echo "---- last lines of $log ----" >&2
    tail -n 40 "$log" >&2
    echo "----" >&2
    die "$what failed (full log: $log)"
  fi
}

# ---------------------------------------------------------------------------
# Build tools. Installed with the system's apt only when missing.
# ---------------------------------------------------------------------------
tool_packages=(
  # apt-get source unpacks with dpkg-source; it applies the Debian patches
  # with patch and unpacks the .tar.xz files with xz.
  dpkg-dev patch xz-utils
  # The libraries are built with their upstream CMake builds (Debian's
  # libsndfile tarball has no generated configure script), Opus with the
  # configure script its tarball ships, so no autotools are needed.
  cmake make
  # The cross compilers and binutils (objdump, nm).
  g++-mingw-w64-x86-64-posix
  # The check program is linked with the flags from the .pc files.
  pkg-config
  # The check program runs under Wine.
  wine64
  # The lock above.
  util-linux
)

is_installed() {
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)" = installed ]
}

missing=()
for p in "${tool_packages[@]}"; do
  is_installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
  say "installing ${missing[*]} (log: $logs/apt-install.log)"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  : >"$logs/apt-install.log"
  run_logged "$logs/apt-install.log" "apt-get update" \
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
  run_logged "$logs/apt-install.log" "installing ${missing[*]}" \
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi

# ---------------------------------------------------------------------------
# A private apt configuration with deb-src entries for the archives the system
# installs from. The system's own configuration is only read.
# ---------------------------------------------------------------------------
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/preferences.d" \
  "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
[ -f "$apt_dir/status" ] || : >"$apt_dir/status"

apt_opts=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::Etc::Preferences=$apt_dir/preferences"
  -o "Dir::Etc::PreferencesParts=$apt_dir/preferences.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::State::status=$apt_dir/status"
  -o "Dir::State::extended_states=$apt_dir/extended_states"
  -o "Dir::Cache=$apt_dir/cache"
  # Kept here rather than rebuilt from the indexes on every apt-cache call.
  -o "Dir::Cache::pkgcache=$apt_dir/cache/pkgcache.bin"
  -o "Dir::Cache::srcpkgcache=$apt_dir/cache/srcpkgcache.bin"
)

# Where this system keeps its source lists (normally /etc/apt/sources.list and
# /etc/apt/sources.list.d/).
sys_list=/etc/apt/sources.list
sys_parts=/etc/apt/sources.list.d
eval "$(apt-config shell sys_list Dir::Etc::sourcelist/f sys_parts Dir::Etc::sourceparts/d)"
sys_parts=${sys_parts%/}

new_sources=$apt_dir/new
rm -rf "$new_sources"
mkdir -p "$new_sources/sources.list.d"

# One-line format: "deb [options] URI SUITE COMPONENT..." becomes the same line
# with deb-src; existing deb-src lines are kept as they are.
one_line_to_src() {
  local line
  while IFS= read -r line || [ -n "$line" ]; do
    if [[ $line =~ ^[[:space:]]*deb(-src)?([[:space:]]+.*)$ ]]; then
      printf 'deb-src%s\n' "${BASH_REMATCH[2]}"
    fi
  done
}

# deb822 format: every stanza whose Types include deb is kept with
# "Types: deb-src"; its URIs, Suites, Components, Signed-By and so on stay.
deb822_to_src() {
  awk '
    BEGIN { RS = ""; FS = "\n" }
    {
      out = ""; wanted = 0
      for (i = 1; i <= NF; i++) {
        line = $i
        if (line ~ /^#/) continue
        if (tolower(line) ~ /^types:/) {
          n = split(substr(line, index(line, ":") + 1), types, /[ \t]+/)
          for (j = 1; j <= n; j++)
            if (types[j] == "deb" || types[j] == "deb-src") wanted = 1
          line = "Types: deb-src"
        }
        out = out line "\n"
      }
      if (wanted) printf "%s\n", out
    }'
}

{
  if [ -f "$sys_list" ]; then
    one_line_to_src <"$sys_list"
  fi
  for f in "$sys_parts"/*.list; do
    if [ -f "$f" ]; then one_line_to_src <"$f"; fi
  done
} | sort -u >"$new_sources/sources.list"
for f in "$sys_parts"/*.sources; do
  [ -f "$f" ] || continue
  out=$new_sources/sources.list.d/$(basename "$f")
  deb822_to_src <"$f" >"$out"
  [ -s "$out" ] || rm -f "$out"
done
if [ ! -s "$new_sources/sources.list" ] &&
   [ -z "$(ls -A "$new_sources/sources.list.d")" ]; then
  die "no deb entries in $sys_list or $sys_parts/ to derive source entries from"
fi

# Fetch the indexes when there are none yet (or the last fetch did not
# finish), when the system's sources changed since, or when asked to.
need_update=${PLUX_MINGW_DEPS_UPDATE:-0}
[ "$need_update" = 0 ] || need_update=1
if ! diff -r -q "$new_sources/sources.list" "$apt_dir/sources.list" >/dev/null 2>&1 ||
   ! diff -r -q "$new_sources/sources.list.d" "$apt_dir/sources.list.d" >/dev/null 2>&1; then
  need_update=1
fi
update_stamp=$stamps/apt-update.stamp
[ -f "$update_stamp" ] || need_update=1
if [ "$need_update" = 1 ]; then
  rm -f "$update_stamp"
  rm -rf "$apt_dir/sources.list" "$apt_dir/sources.list.d"
  mv "$new_sources/sources.list" "$apt_dir/sources.list"
  mv "$new_sources/sources.list.d" "$apt_dir/sources.list.d"
  rm -f "$apt_dir/cache/"*.bin
  say "fetching the source indexes (log: $logs/apt-update.log)"
  : >"$logs/apt-update.log"
  run_logged "$logs/apt-update.log" "apt-get update (private configuration)" \
    apt-get "${apt_opts[@]}" update
  compgen -G "$apt_dir/lists/*_Sources*" >/dev/null ||
    die "apt-get update fetched no source indexes (log: $logs/apt-update.log)"
  date -u +%FT%TZ >"$update_stamp"
fi
rm -rf "$new_sources"

# ---------------------------------------------------------------------------
# Versions: the newest version of each source package in the indexes.
# ---------------------------------------------------------------------------
source_packages=(libogg opus libvorbis flac libsndfile libsoxr)
declare -A version=()
showsrc=$(apt-cache "${apt_opts[@]}" showsrc --only-source "${source_packages[@]}" 2>/dev/null || true)
while read -r pkg ver; do
  if [ -z "${version[$pkg]:-}" ] || dpkg --compare-versions "$ver" gt "${version[$pkg]}"; then
    version[$pkg]=$ver
  fi
done < <(printf '%s\n' "$showsrc" | awk '
  /^Package: / { p = $2 }
  /^Version: / { print p, $2 }')
for pkg in "${source_packages[@]}"; do
  [ -n "${version[$pkg]:-}" ] ||
    die "Debian has no source package '$pkg' in the configured archives (see $apt_dir/sources.list*)"
done

# ---------------------------------------------------------------------------
# Cross builds
# ---------------------------------------------------------------------------
# The project's toolchain file with this prefix added to the search roots (so
# each library finds the ones installed before it and nothing of the build
# machine) and without its Wine emulator (nothing here runs the programs it
# builds while configuring).
toolchain=$work/toolchain.cmake
cat >"$toolchain" <<EOF
include("$repo_root/cmake/mingw-w64-x86_64.cmake")
list(PREPEND CMAKE_FIND_ROOT_PATH "$prefix")
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
unset(CMAKE_CROSSCOMPILING_EMULATOR)
EOF

# pkg-config, where a build asks it, must see only the libraries built here.
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig
export PKG_CONFIG_PATH=
unset PKG_CONFIG_SYSROOT_DIR

declare -A key=()

# build NAME SOURCE_PACKAGE "DEPENDENCIES" cmake|configure OPTION...
# Fetches and unpacks the Debian source package, then builds and installs it
# with its CMake build or its generated configure script.
build() {
  local name=$1 srcpkg=$2 deps=$3 system=$4
  shift 4
  local ver=${version[$srcpkg]}
  local k="$srcpkg $ver; $system $*" d
  for d in $deps; do
    k="$k; ${key[$d]}"
  done
  key[$name]=$k
  local stamp=$stamps/$name.stamp
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$k" ]; then
    say "$name $ver ... up to date"
    return
  fi
  rm -f "$stamp"

  local log=$logs/$name.log t0
  t0=$(date +%s)
  : >"$log"
  begin "$name $ver"

  # apt-get source unpacks into SRCPKG-UPSTREAMVERSION and refuses to unpack
  # over an existing directory; the downloaded files are reused.
  local upstream=${ver#*:}
  upstream=${upstream%-*}
  local src=$work/src/$srcpkg-$upstream
  rm -rf "$src"
  (cd "$work/src" && run_logged "$log" "apt-get source $srcpkg=$ver" \
    apt-get "${apt_opts[@]}" source --only-source "$srcpkg=$ver") || exit 1
  [ -d "$src" ] || die "$srcpkg $ver: apt-get source did not unpack into $src (log: $log)"

  local bld=$work/build/$name
  rm -rf "$bld"
  case $system in
    cmake)
      [ -f "$src/CMakeLists.txt" ] || die "$srcpkg $ver: no CMakeLists.txt in $src"
      run_logged "$log" "$name: cmake configure" \
        cmake -S "$src" -B "$bld" -G "Unix Makefiles" \
          -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
          -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_INSTALL_PREFIX="$prefix" \
          -DCMAKE_INSTALL_LIBDIR=lib \
          -DCMAKE_PREFIX_PATH="$prefix" \
          -DBUILD_SHARED_LIBS=OFF \
          -DBUILD_TESTING=OFF \
          "$@"
      run_logged "$log" "$name: build" cmake --build "$bld" -j2
      run_logged "$log" "$name: install" cmake --install "$bld"
      ;;
    configure)
      [ -x "$src/configure" ] || die "$srcpkg $ver: no configure script in $src"
      mkdir -p "$bld"
      # Maintainer mode off: the Debian patches give some files newer times
      # than the generated Makefiles, and nothing here has automake.
      (cd "$bld" && run_logged "$log" "$name: configure" \
        "$src/configure" --host="$host" --prefix="$prefix" --libdir="$prefix/lib" \
          --disable-shared --enable-static --disable-maintainer-mode \
          CC="$cc" "$@") || exit 1
      run_logged "$log" "$name: build" make -C "$bld" -j2
      run_logged "$log" "$name: install" make -C "$bld" install
      ;;
    *) die "unknown build system '$system' for $name" ;;
  esac
  printf '%s\n' "$k" >"$stamp"
  end "built ($(( $(date +%s) - t0 )) s)"
}

build libogg libogg "" cmake \
  -DINSTALL_DOCS=OFF

# Opus 1.3.1's CMake build is incomplete (its tarball lacks
# opus_buildtype.cmake, and it takes its version from "git describe", which
# here would describe this repository); its configure script is what Debian
# builds with. Without stack protection and _FORTIFY_SOURCE (which configure
# adds unless it is already defined): with mingw-w64 both need libssp, which
# every program would then have to link.
build opus opus "" configure \
  --disable-doc \
  --disable-extra-programs \
  --disable-stack-protector \
  CFLAGS="-O2" \
  CPPFLAGS="-D_FORTIFY_SOURCE=0"

build libvorbis libvorbis "libogg" cmake

build flac flac "libogg" cmake \
  -DBUILD_CXXLIBS=OFF \
  -DBUILD_PROGRAMS=OFF \
  -DBUILD_EXAMPLES=OFF \
  -DBUILD_DOCS=OFF \
  -DINSTALL_MANPAGES=OFF \
  -DWITH_OGG=ON \
  -DWITH_STACK_PROTECTOR=OFF \
  -DWITH_FORTIFY_SOURCE=OFF

# libsndfile finds the codecs with its own find modules (through the .pc
# files above). Those do not pass on FLAC__NO_DLL, without which FLAC's
# headers declare its functions as imported from a DLL. MPEG support would
# need mpg123 and LAME.
build libsndfile libsndfile "libogg opus libvorbis flac" cmake \
  -DCMAKE_C_FLAGS="-DFLAC__NO_DLL" \
  -DENABLE_EXTERNAL_LIBS=ON \
  -DENABLE_MPEG=OFF \
  -DBUILD_PROGRAMS=OFF \
  -DBUILD_EXAMPLES=OFF \
  -DBUILD_REGTEST=OFF \
  -DENABLE_CPACK=OFF \
  -DINSTALL_MANPAGES=OFF

# OpenMP would bring in libgomp-1.dll; the tools resample on their own threads.
build libsoxr libsoxr "" cmake \
  -DBUILD_TESTS=OFF \
  -DBUILD_EXAMPLES=OFF \
  -DWITH_OPENMP=OFF \
  -DWITH_LSR_BINDINGS=OFF

# ---------------------------------------------------------------------------
# pkg-config files for a static link
# ---------------------------------------------------------------------------
# libsndfile's own sndfile.pc names its codecs only in Requires.private; these
# list the whole static link line in
# dependency order (each library before the ones it uses).
pc_dir=$prefix/lib/pkgconfig
for lib in sndfile FLAC vorbisenc vorbis opus ogg soxr; do
  [ -f "$prefix/lib/lib$lib.a" ] || die "missing $prefix/lib/lib$lib.a after the build"
done
# If any of the objects still asks for stack protection or fortified string
# functions (-fstack-protector or _FORTIFY_SOURCE from a library's own build
# flags), the link needs libssp.
ssp=
if $host-nm -u "$prefix"/lib/lib{sndfile,FLAC,vorbisenc,vorbis,opus,ogg,soxr}.a 2>/dev/null |
   grep -Eq '__stack_chk_fail|__stack_chk_guard|__[a-z]+_chk$'; then
  ssp=" -lssp"
fi
# The upstream part of the Debian version (libsoxr installs no .pc file for a
# static build).
upstream_version() {
  local v=${version[$1]#*:}
  printf '%s\n' "${v%-*}"
}
sndfile_version=$(upstream_version libsndfile)
soxr_version=$(upstream_version libsoxr)
mkdir -p "$pc_dir"
cat >"$pc_dir/sndfile.pc" <<EOF
prefix=$prefix
exec_prefix=\${prefix}
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: sndfile
Description: A library for reading and writing audio files (static, with FLAC, Ogg Vorbis and Opus)
Version: $sndfile_version
Libs: -L\${libdir} -lsndfile
Libs.private: -lFLAC -lvorbisenc -lvorbis -lopus -logg -lm$ssp
Cflags: -I\${includedir}
EOF
cat >"$pc_dir/soxr.pc" <<EOF
prefix=$prefix
exec_prefix=\${prefix}
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: soxr
Description: High quality, one-dimensional sample-rate conversion library (static)
Version: $soxr_version
Libs: -L\${libdir} -lsoxr
Libs.private: -lm
Cflags: -I\${includedir}
EOF

# ---------------------------------------------------------------------------
# Check: a Windows program that writes and reads FLAC, Ogg Vorbis and Ogg Opus
# through libsndfile and resamples with soxr, linked with -static from the .pc
# files, may import only Windows system DLLs and must print OK under Wine.
# Run again when a library, a .pc file or this script (which holds the check)
# changed.
# ---------------------------------------------------------------------------
check_key="$(for n in libogg opus libvorbis flac libsndfile libsoxr; do printf '%s\n' "${key[$n]}"; done)
$(cat "$pc_dir/sndfile.pc" "$pc_dir/soxr.pc")
$(sha256sum <"${BASH_SOURCE[0]}")"
check_dir=$work/check
check_stamp=$stamps/check.stamp
if [ -f "$check_stamp" ] && [ "$(cat "$check_stamp")" = "$check_key" ]; then
  say "Wine check ... up to date"
else
  rm -f "$check_stamp"
  rm -rf "$check_dir"
  mkdir -p "$check_dir"
  log=$logs/check.log
  : >"$log"
  begin "Wine check"
  cat >"$check_dir/check.c" <<'EOF'
/* Writes and reads back FLAC, Ogg Vorbis and Ogg Opus files through
 * libsndfile and resamples a sine with soxr; prints OK when every result is
 * what it should be. */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sndfile.h>
#include <soxr.h>

#define PI 3.14159265358979323846

static int failures;

static void fail(const char *what) {
  printf("FAIL: %s\n", what);
  failures++;
}

static float tone(int i, int c, int rate) {
  /* A different frequency per channel, so swapped channels show. */
  double f = c == 0 ? 440.0 : 1000.0;
  return (float)(0.5 * sin(2.0 * PI * f * i / rate));
}

/* Signal-to-error ratio in dB of a decoded copy against the original. */
static double snr_db(const float *ref, const float *got, long n) {
  double s = 0, e = 0;
  for (long i = 0; i < n; i++) {
    s += (double)ref[i] * ref[i];
    e += (double)(ref[i] - got[i]) * (ref[i] - got[i]);
  }
  return e == 0 ? 200.0 : 10.0 * log10(s / e);
}

/* Opens PATH for reading and checks that it has FORMAT, two channels and
 * RATE; NULL (counted as a failure) if it cannot be opened. */
static SNDFILE *open_read(const char *path, int format, int rate) {
  SF_INFO info;
  memset(&info, 0, sizeof info);
  SNDFILE *f = sf_open(path, SFM_READ, &info);
  if (!f) {
    printf("FAIL: %s: open for reading: %s\n", path, sf_strerror(NULL));
    failures++;
    return NULL;
  }
  if ((info.format & SF_FORMAT_TYPEMASK) != (format & SF_FORMAT_TYPEMASK) ||
      (info.format & SF_FORMAT_SUBMASK) != (format & SF_FORMAT_SUBMASK)) {
    printf("FAIL: %s: read back as format 0x%x, wrote 0x%x\n", path, info.format, format);
    failures++;
  }
  if (info.channels != 2 || info.samplerate != rate) {
    printf("FAIL: %s: %d channels at %d Hz\n", path, info.channels, info.samplerate);
    failures++;
  }
  return f;
}

static SNDFILE *open_write(const char *path, int format, int rate) {
  SF_INFO info;
  memset(&info, 0, sizeof info);
  info.samplerate = rate;
  info.channels = 2;
  info.format = format;
  if (!sf_format_check(&info)) {
    printf("FAIL: %s: format 0x%x not supported by this libsndfile\n", path, format);
    failures++;
    return NULL;
  }
  SNDFILE *f = sf_open(path, SFM_WRITE, &info);
  if (!f) {
    printf("FAIL: %s: open for writing: %s\n", path, sf_strerror(NULL));
    failures++;
  }
  return f;
}

static void check_frames(const char *path, long got, long frames) {
  if (got != frames) {
    printf("FAIL: %s: read %ld frames, wrote %ld\n", path, got, frames);
    failures++;
  }
}

/* FLAC is lossless: the 16-bit samples come back exactly. */
static void check_flac(const char *path) {
  const int rate = 44100;
  const long frames = rate;
  short *in = malloc((size_t)frames * 2 * sizeof *in);
  short *out = calloc((size_t)(frames + 4096) * 2, sizeof *out);
  for (long i = 0; i < frames; i++)
    for (int c = 0; c < 2; c++) in[2 * i + c] = (short)lrintf(32767.0f * tone((int)i, c, rate));
  const int format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  SNDFILE *f = open_write(path, format, rate);
  if (f) {
    if (sf_writef_short(f, in, frames) != frames) fail("FLAC: short write");
    if (sf_close(f) != 0) fail("FLAC: close after writing");
    if ((f = open_read(path, format, rate))) {
      long got = (long)sf_readf_short(f, out, frames + 4096);
      sf_close(f);
      check_frames(path, got, frames);
      if (memcmp(in, out, (size_t)frames * 2 * sizeof *in) != 0) {
        printf("FAIL: %s: lossless round trip changed the samples\n", path);
        failures++;
      }
    }
  }
  free(in);
  free(out);
}

/* A lossy codec returns the same number of frames, aligned with the original
 * and close to it. */
static void check_lossy(const char *path, int format, int rate, double min_snr) {
  const long frames = rate; /* one second */
  float *in = malloc((size_t)frames * 2 * sizeof *in);
  float *out = calloc((size_t)(frames + 4096) * 2, sizeof *out);
  for (long i = 0; i < frames; i++)
    for (int c = 0; c < 2; c++) in[2 * i + c] = tone((int)i, c, rate);
  SNDFILE *f = open_write(path, format, rate);
  if (f) {
    if (sf_writef_float(f, in, frames) != frames) fail("short write");
    if (sf_close(f) != 0) fail("close after writing");
    if ((f = open_read(path, format, rate))) {
      long got = (long)sf_readf_float(f, out, frames + 4096);
      sf_close(f);
      check_frames(path, got, frames);
      double snr = snr_db(in, out, (got < frames ? got : frames) * 2);
      if (getenv("CHECK_VERBOSE")) printf("%s: %.1f dB\n", path, snr);
      if (!(snr >= min_snr)) {
        printf("FAIL: %s: %.1f dB signal to error, expected at least %.0f\n",
               path, snr, min_snr);
        failures++;
      }
    }
  }
  free(in);
  free(out);
}

static void check_soxr(void) {
  const double in_rate = 44100, out_rate = 48000;
  const size_t n_in = 44100;
  const size_t n_out = (size_t)(n_in * out_rate / in_rate + 0.5);
  float *in = malloc(n_in * sizeof *in), *out = calloc(n_out + 16, sizeof *out);
  for (size_t i = 0; i < n_in; i++) in[i] = (float)(0.5 * sin(2 * PI * 1000.0 * i / in_rate));
  size_t done = 0;
  soxr_error_t err = soxr_oneshot(in_rate, out_rate, 1, in, n_in, NULL,
                                  out, n_out + 16, &done, NULL, NULL, NULL);
  if (err) {
    printf("FAIL: soxr_oneshot: %s\n", err);
    failures++;
  } else {
    if (done != n_out) {
      printf("FAIL: soxr produced %zu samples, expected %zu\n", done, n_out);
      failures++;
    }
    /* Away from the ends the output is the same sine sampled at 48 kHz. */
    double worst = 0;
    for (size_t i = 1000; i + 1000 < done; i++) {
      double want = 0.5 * sin(2 * PI * 1000.0 * i / out_rate);
      double e = fabs(out[i] - want);
      if (e > worst) worst = e;
    }
    if (getenv("CHECK_VERBOSE")) printf("soxr: worst error %g\n", worst);
    if (!(worst < 1e-3)) {
      printf("FAIL: soxr output differs from the resampled sine by %g\n", worst);
      failures++;
    }
  }
  free(in);
  free(out);
}

int main(void) {
  check_flac("check.flac");
  check_lossy("check.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 20);
  check_lossy("check.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 10);
  check_soxr();
  if (failures) {
    printf("%d failures (%s)\n", failures, sf_version_string());
    return 1;
  }
  printf("OK\n");
  return 0;
}
EOF
  # The link line exactly as a consumer of the .pc files gets it.
  pc_flags=$(pkg-config --static --cflags --libs sndfile soxr)
  printf 'link flags: %s\n' "$pc_flags" >>"$log"
  # shellcheck disable=SC2086  # the flags are separate words
  run_logged "$log" "linking the check program" \
    "$cc" -std=c99 -O2 -Wall -static -o "$check_dir/check.exe" "$check_dir/check.c" $pc_flags

  # Windows' own DLLs only: a libwinpthread-1.dll, libgcc_s_seh-1.dll,
  # libssp-0.dll or libgomp-1.dll here would have to ship with the tools.
  dlls=$($host-objdump -p "$check_dir/check.exe" | sed -n 's/^[[:space:]]*DLL Name: *//p')
  printf 'imported DLLs: %s\n' "${dlls//$'\n'/ }" >>"$log"
  [ -n "$dlls" ] || { die "objdump found no imported DLLs in $check_dir/check.exe"; }
  system_dll='^(kernel32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+|ntdll|user32|advapi32|shell32|ole32|oleaut32|ws2_32|bcrypt|gdi32|winmm|shlwapi)\.dll$'
  foreign=$(printf '%s\n' "$dlls" | grep -Eiv "$system_dll" || true)
  if [ -n "$foreign" ]; then
    die "the check program needs DLLs that are not part of Windows: ${foreign//$'\n'/ }"
  fi

  wine=
  for w in "$(command -v wine64 || true)" /usr/lib/wine/wine64 "$(command -v wine || true)"; do
    if [ -n "$w" ] && [ -x "$w" ]; then wine=$w; break; fi
  done
  [ -n "$wine" ] || { die "no wine64 or wine found"; }
  export WINEPREFIX=$prefix/wine WINEDEBUG=-all
  # No Mono or Gecko installers for a console program.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  output=$(cd "$check_dir" && "$wine" ./check.exe 2>>"$log") || {
    printf '%s\n' "$output" >>"$log"
    [ "$line_open" = 0 ] || echo
    line_open=0
    printf '%s\n' "$output" >&2
    die "the check program failed under Wine (log: $log)"
  }
  printf '%s\n' "$output" >>"$log"
  output=${output//$'\r'/}
  if [ "$output" != OK ]; then
    [ "$line_open" = 0 ] || echo
    line_open=0
    printf '%s\n' "$output" >&2
    die "the check program printed something other than OK (log: $log)"
  fi
  printf '%s\n' "$check_key" >"$check_stamp"
  end "OK (imports ${dlls//$'\n'/ })"
fi

say "done in $(( $(date +%s) - start_time )) s: $prefix"
say "  PKG_CONFIG_LIBDIR=$pc_dir pkg-config --static --libs sndfile soxr"
