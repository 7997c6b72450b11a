#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for the given number of seconds each.
# Any crash, leak or sanitizer report fails the run.
set -euo pipefail
build=$1
seconds=$2
shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no fuzz targets built"
  exit 0
fi
status=0
for t in "${targets[@]}"; do
  [ -x "$t" ] || continue
  name=$(basename "$t")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds=$(find . -path "./$build" -prune -o -type d -path "*/fuzz/corpus/$name" -print | head -n 1)
  log="$build/$name.log"
  echo "fuzz: $name for ${seconds}s"
  if "$t" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/$name-" \
       "$corpus" ${seeds:+"$seeds"} >"$log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$log" | sed "s/^/fuzz: $name /"
  else
    echo "fuzz: $name FAILED, see $log"
    tail -n 40 "$log"
    status=1
  fi
done
exit $status
