#!/usr/bin/env bash
# Builds the native release tree and reports the performance figures: the
# rewrite benchmark (against a plain copy) and the whole-launcher comparison
# (against sed -i, memory, end-to-end delays). Prints figures; asserts none.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target launcher rewrite_benchmark \
  instant_installer generate_response peak_memory >/dev/null
# On the disk, and on tmpfs, where flushing to the disk costs nothing.
for dir in /tmp /dev/shm; do
  [[ -d "$dir" ]] || continue
  echo "=== rewrite benchmark in $dir (medians of 5)"
  LAUNCHER_BENCH_DIR=$dir build/default/bench/rewrite_benchmark --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true
  echo
  echo "=== the whole launcher in $dir"
  LAUNCHER_BENCH_DIR=$dir python3 bench/compare_launcher.py build/default "${RUNS:-5}"
  echo
done
if [[ -f build/windows/launcher.exe ]]; then
  echo "64-bit launcher.exe: $(stat -c %s build/windows/launcher.exe) bytes"
fi
