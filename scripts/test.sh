#!/usr/bin/env bash
# Builds everything (64-bit and 32-bit Windows, native, native under the
# sanitizers, the fuzz targets) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# The Windows programs first: the native tests run launcher.exe under Wine.
export LAUNCHER_REQUIRE_WINE=1
jobs=$(nproc)
for preset in windows windows-x86 default asan fuzz; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
