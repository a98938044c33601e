#!/usr/bin/env bash
# Runs every fuzz target of the native build for a bounded time and fails on any finding.
#   scripts/fuzz.sh            about 30 seconds a target (the test command's run)
#   scripts/fuzz.sh 3600       an hour a target
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30} build=build/native/fuzz work=build/native/fuzz-work

shopt -s nullglob
targets=("$build"/*_fuzz)
[ ${#targets[@]} -gt 0 ] || { echo "fuzz: no fuzz targets built (is clang installed?)" >&2; exit 1; }
for target in "${targets[@]}"; do
  name=$(basename "$target" _fuzz) && corpus=$work/$name
  mkdir -p "$corpus" "$work/findings"
  echo "fuzz: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
      -artifact_prefix="$work/findings/$name-" "$corpus" "fuzz/corpus/$name" \
      >"$work/$name.log" 2>&1; then
    tail -n 40 "$work/$name.log" >&2
    echo "fuzz: $name found a fault; the input is in $work/findings" >&2 && exit 1
  fi
  grep -E '^stat::number_of_executed_units' "$work/$name.log" || true
done
