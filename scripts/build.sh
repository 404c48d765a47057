#!/usr/bin/env bash
# Configures and builds into build/ (the dependencies must be installed).
#   bash scripts/build.sh         the program, its tests and benchmarks
#   bash scripts/build.sh --app   the program alone (no test or benchmark libraries needed)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
with_tests=ON
case "${1:-}" in
  --app) with_tests=OFF ;;
  "") ;;
  *) echo "usage: $0 [--app]" >&2; exit 2 ;;
esac
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${PLOVANE_BUILD_TYPE:-RelWithDebInfo}" \
  -DPLOVANE_BUILD_TESTS=$with_tests -DPLOVANE_BUILD_BENCH=$with_tests >/dev/null
cmake --build build -j"$(nproc)"
