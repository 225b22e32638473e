#!/usr/bin/env bash
# Runs a test program that opens X windows: on the display in DISPLAY when
# there is one, else on a virtual display of its own.
# Usage: with_display.sh PROGRAM [ARGS...]
set -euo pipefail
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
