#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test inside a private
# desktop. Ends with CTest's summary; the exit code is non-zero when any test fails.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
bash scripts/deps.sh --tests
bash scripts/build.sh
cd build
exec bash "$here/scripts/test-desktop.sh" ctest --output-on-failure -j"$(nproc)" --timeout 600
