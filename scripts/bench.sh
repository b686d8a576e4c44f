#!/usr/bin/env bash
# Runs every benchmark binary of a build.
set -euo pipefail
build=${1:-build}
for bin in "$build"/bin/bench_*; do
  [ -x "$bin" ] || continue
  # The day benchmark needs a simulator and a data directory: `make bench-day` drives it.
  [ "$(basename "$bin")" = bench_day ] && continue
  echo "== $(basename "$bin")"
  "$bin" "${@:2}"
done
