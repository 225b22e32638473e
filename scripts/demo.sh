#!/usr/bin/env bash
# The main job: installs what is missing, builds both plug-ins (the Windows
# DLLs and the Linux shared objects) into out/plugins, makes the release
# packages in out/release (see scripts/package.sh), runs the demonstration
# (see scripts/pipeline.sh) and copies the pictures of the two editors and
# the null-test plot it makes to docs/screenshots, which the README shows.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" win native
mkdir -p "$root/out/plugins"
cp "$root/build/win/bin/nulltest.dll" "$root/build/win/bin/tonegen.dll" "$root/out/plugins/"
cp "$root/build/native/bin/nulltest.so" "$root/build/native/bin/tonegen.so" "$root/out/plugins/"
echo "== plug-ins in out/plugins:"
ls -l "$root/out/plugins"
"$root/scripts/package.sh" --no-build
echo "== demonstration"
"$root/scripts/pipeline.sh" "$root/build/win/bin" "$root/build/native/bin" "$root/out/plugins" \
  "$root/out"
mkdir -p "$root/docs/screenshots"
cp "$root/out/nulltest.png" "$root/out/tonegen.png" "$root/out/nulltest-linux.png" \
  "$root/out/tonegen-linux.png" "$root/out/nullmeter-plot.png" "$root/docs/screenshots/"
echo "== pictures: docs/screenshots/nulltest.png, tonegen.png (the editors under Wine)," \
  "nulltest-linux.png, tonegen-linux.png (the native editors), nullmeter-plot.png"
