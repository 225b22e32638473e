#!/usr/bin/env bash
# Runs a Windows program under Wine and passes its exit code through.
# Used as CMAKE_CROSSCOMPILING_EMULATOR, so CTest calls it as
#   wine-run.sh PROGRAM.exe ARGS...
# The Wine prefix is $PLUX_WINEPREFIX if set, else <build dir>/wineprefix where
# <build dir> is the nearest ancestor of PROGRAM holding CMakeCache.txt.
set -euo pipefail

if [ $# -lt 1 ] || [ "$1" = --help ] || [ "$1" = -h ]; then
  echo "usage: wine-run.sh PROGRAM.exe [ARGS...]" >&2
  exit 2
fi

script_dir=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
wine_dir=${PLUX_WINE_DIR:-/usr/lib/wine}
wine=$wine_dir/wine64
wineserver=$wine_dir/wineserver

program=$1
shift
if [ ! -f "$program" ]; then
  echo "wine-run: no such program: $program" >&2
  exit 127
fi
program=$(readlink -f "$program")
if [ ! -x "$wine" ]; then
  echo "wine-run: $wine not found (run scripts/install-deps.sh)" >&2
  exit 127
fi

find_build_dir() {
  local dir
  dir=$(dirname "$1")
  while :; do
    if [ -f "$dir/CMakeCache.txt" ]; then
      printf '%s\n' "$dir"
      return 0
    fi
    [ "$dir" = / ] && return 1
    dir=$(dirname "$dir")
  done
}

if [ -n "${PLUX_WINEPREFIX:-}" ]; then
  prefix=$PLUX_WINEPREFIX
elif build_dir=$(find_build_dir "$program"); then
  prefix=$build_dir/wineprefix
else
  # A program outside any build tree still gets a prefix of its own.
  prefix=${XDG_CACHE_HOME:-$HOME/.cache}/plux/wineprefix
fi
mkdir -p "$(dirname "$prefix")"
prefix=$(readlink -f "$prefix")

export WINEPREFIX=$prefix
export WINEDEBUG=-all
# Wine maps Unix file names through the locale: UTF-8, whatever the machine's
# default, so that non-ASCII paths survive.
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

ready=$prefix/.plux-ready
if [ ! -f "$ready" ]; then
  # Parallel CTest jobs all arrive here on a fresh tree: one creates the
  # prefix, the others wait and then find it ready.
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$ready" ]; then
    echo "wine-run: creating Wine prefix $prefix" >&2
    if ! "$wine" wineboot --init >/dev/null 2>&1 9>&-; then
      echo "wine-run: wineboot failed for $prefix" >&2
      exit 1
    fi
    # A relative name keeps regedit independent of how Wine maps the cwd.
    (cd "$script_dir" && "$wine" regedit /S wine-fonts.reg >/dev/null 2>&1 9>&-) || true
    # The server writes the registry to disk when it exits.
    "$wineserver" -w 9>&- || true
    if ! grep -q 'Liberation Sans' "$prefix/user.reg" 2>/dev/null; then
      echo "wine-run: could not import wine-fonts.reg into $prefix" >&2
      exit 1
    fi
    touch "$ready"
  fi
  exec 9>&-
fi

# Wine's desktop process connects to the X display of the first program of a
# server session and keeps it, so a program for another display (or for none)
# waits until the session of the previous one has ended. Otherwise a window
# opened under xvfb-run right after a display-less run cannot be created.
# Each xvfb-run has an authority file of its own, which tells two displays of
# the same number apart.
display="${DISPLAY:-} ${XAUTHORITY:-}"
display_file=$prefix/.plux-display
if [ "$(cat "$display_file" 2>/dev/null || true)" != "$display" ]; then
  "$wineserver" -w || true
  printf '%s\n' "$display" >"$display_file"
fi

exec "$wine" "$program" "$@"
