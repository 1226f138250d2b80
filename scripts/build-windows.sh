#!/usr/bin/env bash
# Builds the 64-bit launcher.exe and its Wine test helpers if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
[[ -f build/windows/CMakeCache.txt ]] || cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"
