#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it from this working copy.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: there is no desktop session here (neither DISPLAY nor WAYLAND_DISPLAY is set), and Plovane" \
    "needs one to show its windows; it is installed and built all the same, to start from a desktop session" >&2
fi
bash scripts/deps.sh
bash scripts/build.sh --app
exec build/src/app/plovane "$@"
