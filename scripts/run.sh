#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it from this working copy.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
bash scripts/deps.sh
bash scripts/build.sh --app
exec build/src/app/plovane "$@"
