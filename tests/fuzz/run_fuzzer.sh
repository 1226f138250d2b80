#!/usr/bin/env bash
# Runs one fuzz target for a fixed time on a scratch copy of its seed
# corpus (the shipped corpus stays as it is), and reports its executions.
set -euo pipefail
target=$1 seeds=$2 seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$seeds/." "$work/"
"$target" -max_total_time="$seconds" -print_final_stats=1 "$work" 2>"$work.log" || {
  tail -50 "$work.log"; rm -f "$work.log"; exit 1; }
grep -E 'stat::number_of_executed_units|Done' "$work.log" | tail -2
rm -f "$work.log"
