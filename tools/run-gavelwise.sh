#!/usr/bin/env bash
# Starts Gavelwise from the built program folder on its bundled database.
set -euo pipefail
dir=$1
exe="$dir/gavwis2"
if [ ! -x "$exe" ]; then
  echo "Gavelwise was not built: $exe is missing." >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
No display is available, so Gavelwise cannot open its window.
Start it on a virtual display instead:
    xvfb-run -a $exe
or run it from a desktop session with:  make run
MSG
  exit 1
fi
exec "$exe"
