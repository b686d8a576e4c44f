#!/usr/bin/env bash
# The main job: what `make demo` runs.
set -euo pipefail
build=${1:-build}
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
"$build/bin/velmor" --data "$data" services
