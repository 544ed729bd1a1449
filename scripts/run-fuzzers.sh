#!/usr/bin/env bash
# Runs every fuzz target in BUILD_DIR/bin (files named fuzz_*) for SECONDS each.
set -euo pipefail
build=$1 seconds=${2:-60}
status=0
for target in "$build"/bin/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  echo "fuzzing $name for ${seconds}s"
  work=$(mktemp -d)
  if ! (cd "$work" && "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus" >"$work/log" 2>&1); then
    tail -n 60 "$work/log"; status=1
  else
    grep -E '^(#[0-9]+ *DONE|Done)' "$work/log" | tail -n 1 || true
  fi
  rm -rf "$work"
done
exit $status
