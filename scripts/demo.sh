#!/usr/bin/env bash
# The main job: one working day of the client against the simulated server. Starts velmor-taxsim
# on a free loopback port with a generated scenario, points a fresh data directory at it, and runs
# the day's steps through the `velmor` command line. Any failed step stops the demo non-zero.
#   scripts/demo.sh [BUILD_DIR]        PERSONS=N changes the scenario's size (default 5000)
set -euo pipefail
build=${1:-build}
persons=${PERSONS:-5000}
bin="$build/bin"
work=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

step() { printf '\n== %s\n' "$1"; }

step "Simulated server ($persons persons)"
"$bin/velmor-taxsim" --port 0 --persons "$persons" >"$work/taxsim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 200); do
  grep -q '^listening on ' "$work/taxsim.out" && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$work/taxsim.out" >&2; exit 1; }
  sleep 0.05
done
url=$(sed -n 's/^listening on //p' "$work/taxsim.out" | head -n 1)
[ -n "$url" ] || { echo "demo: the simulator did not start" >&2; exit 1; }
echo "listening on $url"
# The generated state is deterministic; its first payer is the one the client works for.
"$bin/velmor-taxsim" --persons "$persons" --write-scenario "$work/scenario.json" >/dev/null
djxh=$(set +o pipefail; grep -o '"djxh" *: *"[0-9]*"' "$work/scenario.json" | head -n 1 | grep -o '[0-9]\{2,\}')

velmor() { "$bin/velmor" --data "$work/data" "$@"; }
year=$(date +%Y)

step "Data directory for payer $djxh"
velmor init --server "$url" --djxh "$djxh"
step "Rules"
velmor dict update
step "Scheme account"
velmor scheme sync
step "Roster"
velmor roster sync --full
step "Enrolment states"
velmor roster refresh-states
step "Declaration list"
velmor declare sync --from "$year-01" --to "$year-12"
step "Declaration"
velmor declare submit examples/declaration.json
step "Payment state"
velmor declare payment-state
step "Summary"
velmor roster count
velmor declare list
