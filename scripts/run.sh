#!/usr/bin/env bash
# Installs the dependencies, builds Plovane and starts it from this working copy.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
bash scripts/deps.sh
bash scripts/build.sh
if [ -x build/src/app/plovane ]; then
  exec build/src/app/plovane "$@"
fi
echo "Built everything; the plovane application itself arrives in a later step."
