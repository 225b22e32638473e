#!/usr/bin/env bash
# Makes the release packages in out/release (what was there is replaced):
#   <name>-<version>-windows-x64.zip  from build/win: the three programs, the
#                                     two DLLs and a guide for Windows users
#   <name>_<version>_amd64.deb        from build/native: the programs in
#                                     /usr/bin with manual pages, the plug-ins
#                                     in /usr/lib/vst
# each beside its SHA-256 sum (<package>.sha256, checked with sha256sum -c).
# cmake/Packaging.cmake says what goes in.
# Usage: scripts/package.sh [--no-build]   (default: build both trees first)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
case ${1:-} in
  '') "$root/scripts/build.sh" win native ;;
  --no-build) ;;
  *) echo "usage: scripts/package.sh [--no-build]" >&2; exit 2 ;;
esac

out=$root/out/release
rm -rf "$out"
mkdir -p "$out"
for kind in win native; do
  build=$root/build/$kind
  if [ ! -f "$build/CPackConfig.cmake" ]; then
    echo "package: $build is not configured (scripts/build.sh $kind)" >&2
    exit 1
  fi
  echo "== package $kind"
  rm -rf "$build/release"
  if ! (cd "$build" && cpack --config CPackConfig.cmake >"$build/cpack.log" 2>&1); then
    cat "$build/cpack.log" >&2
    echo "package: cpack failed in $build" >&2
    exit 1
  fi
  for sum in "$build"/release/*.sha256; do
    cp "$sum" "${sum%.sha256}" "$out/"
  done
done
(cd "$out" && sha256sum --check --quiet -- *.sha256)
echo "== release packages in out/release:"
ls -l "$out"
