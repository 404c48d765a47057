#!/usr/bin/env bash
# Configures and builds everything into build/ (the dependencies must be installed).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${PLOVANE_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build build -j"$(nproc)"
