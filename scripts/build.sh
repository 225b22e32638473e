#!/usr/bin/env bash
# Configures and builds one or more build trees under build/:
#   native  portable code, unit and host tests, benchmarks, native tools
#   asan    the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   tsan    the same with ThreadSanitizer
#   win     the Windows x86-64 DLLs, the host tool and the Windows tests (mingw-w64);
#           first the static mingw-w64 libsndfile and libsoxr into build/mingw-deps
#           (scripts/build-mingw-deps.sh, which rebuilds nothing that is up to date)
# Usage: scripts/build.sh [native|asan|tsan|win]...   (default: native win)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${PLUX_JOBS:-$(nproc)}

configure_and_build() {
  local kind=$1
  shift
  local dir=$root/build/$kind
  cmake -S "$root" -B "$dir" -G "Unix Makefiles" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

kinds=("$@")
[ ${#kinds[@]} -eq 0 ] && kinds=(native win)
for kind in "${kinds[@]}"; do
  echo "== build $kind"
  case $kind in
    native) configure_and_build native -DCMAKE_BUILD_TYPE=Release \
              -DPLUX_WINDOWS_BIN_DIR="$root/build/win/bin" ;;
    asan) configure_and_build asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLUX_BENCHMARKS=OFF \
            "-DPLUX_SANITIZE=address;undefined" ;;
    tsan) configure_and_build tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLUX_BENCHMARKS=OFF \
            -DPLUX_SANITIZE=thread ;;
    win) bash "$root/scripts/build-mingw-deps.sh" "$root/build/mingw-deps"
         configure_and_build win -DCMAKE_BUILD_TYPE=Release -DPLUX_BENCHMARKS=OFF \
           -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
           -DPLUX_MINGW_DEPS_DIR="$root/build/mingw-deps" ;;
    *) echo "build.sh: unknown build '$kind'" >&2; exit 2 ;;
  esac
done
