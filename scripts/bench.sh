#!/usr/bin/env bash
# Runs every benchmark binary of a build.
set -euo pipefail
build=${1:-build}
for bin in "$build"/bin/bench_*; do
  [ -x "$bin" ] || continue
  echo "== $(basename "$bin")"
  "$bin" "${@:2}"
done
