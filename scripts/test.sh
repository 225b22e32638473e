#!/usr/bin/env bash
# All tests: native unit and host tests (plain, ASan+UBSan, TSan), the Windows
# tests under Wine (the real DLLs loaded with LoadLibrary, the host tool) and
# the integration tests of the demonstration pipeline.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${PLUX_JOBS:-$(nproc)}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" win native asan tsan

run_ctest() {
  echo "== tests: $1"
  ctest --test-dir "$root/build/$1" --output-on-failure -j "$jobs" "${@:2}"
}
run_ctest native
# fontconfig's configuration lives until FcFini, which a plug-in never calls:
# the suppressions cover that library's allocations in every asan test.
LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp run_ctest asan
run_ctest tsan
# Wine programs get a virtual display, for the windows the editors will open.
echo "== tests: win (under Wine)"
xvfb-run -a ctest --test-dir "$root/build/win" --output-on-failure -j "$jobs"
echo "== all tests passed"
