#!/usr/bin/env bash
# The working day end to end at two sizes: for SMALL (default 25000) and PERSONS (default 100000)
# generated persons, a fresh simulator and data directory, then bench_day runs the day's steps
# through the plug-in and prints per step: wall time, rows, rows per second, the floor (a prepared
# INSERT of as many rows in one transaction, same run, same kind of database file), the ratio,
# and the peak resident memory of the client and of the simulator. Then the cost per row of each
# step at both sizes, and `velmor demo` at PERSONS under /usr/bin/time (DEMO=0 skips it).
# PAYMENT=no leaves out the payment steps, and so the demo. ROUNDS=N (default 1) runs the day N
# times at each size and compares each step's best cost per row at the two sizes: one run of a
# few seconds moves with a shared machine as much as the growth being measured.
#
#   bench/day/day_bench.sh [BUILD_DIR] [PERSONS] [SMALL]
set -euo pipefail
BUILD=${1:-build}
PERSONS=${2:-100000}
SMALL=${3:-25000}
DEMO=${DEMO:-1}
PAYMENT=${PAYMENT:-yes}
ROUNDS=${ROUNDS:-1}
BIN="$BUILD/bin"
PLUGIN="$BUILD/lib/libVelmorService.so"
for p in "$BIN/velmor" "$BIN/velmor-taxsim" "$BIN/bench_day"; do
  [ -x "$p" ] || { echo "build velmor, velmor-taxsim and bench_day in $BUILD first" >&2; exit 1; }
done
TIME=/usr/bin/time
[ -x "$TIME" ] || { echo "/usr/bin/time is missing (apt-get install time)" >&2; exit 1; }

WORK=$(mktemp -d)
SIM_PID=
stop_sim() { [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null; SIM_PID=; true; }
cleanup() { stop_sim; rm -rf "$WORK"; }
trap cleanup EXIT

# Starts a simulator of $1 persons as the demo does; sets SIM_PID, URL and DJXH.
start_sim() {
  "$BIN/velmor-taxsim" --port 0 --persons "$1" --seed 1 --queue-declarations >"$WORK/sim.out" 2>"$WORK/sim.err" &
  SIM_PID=$!
  for _ in $(seq 1 600); do grep -q '^listening on ' "$WORK/sim.out" 2>/dev/null && break; sleep 0.1; done
  URL=$(sed -n 's/^listening on //p' "$WORK/sim.out")
  [ -n "$URL" ] || { echo "the simulator did not start: $(cat "$WORK/sim.err")" >&2; exit 1; }
  DJXH=$(curl -s -X POST -H 'Content-Type: application/json' -d '{}' "$URL/_taxsim/summary" | jq -r '.payers[0].djxh')
}

sim_peak_mb() { awk '/^VmHWM:/{printf "%.1f", $2/1024}' "/proc/$SIM_PID/status"; }

# Runs the day at $1 persons; its table goes to $WORK/day-$1-$2.txt ($2: the round).
run_day() {
  local n=$1 data="$WORK/data-$1"
  start_sim "$n"
  "$BIN/velmor" --data "$data" init --server "$URL" --djxh "$DJXH" >/dev/null
  "$BIN/bench_day" --data "$data" --plugin "$PLUGIN" --djxh "$DJXH" --sim-pid "$SIM_PID" --label "$n persons" \
    --payment "$PAYMENT" \
    | tee "$WORK/day-$n-$2.txt"
  stop_sim
  rm -rf "$data"
  echo
}

echo "machine: $(nproc) cores, $(awk '/MemTotal/{printf "%.1f GB", $2/1048576}' /proc/meminfo), $(uname -sr)"
echo
for round in $(seq 1 "$ROUNDS"); do
  run_day "$SMALL" "$round"
  run_day "$PERSONS" "$round"
done

# The cost per row of each row step at both sizes, the best of the rounds at each (linear growth
# keeps the ratio near 1).
echo "cost per row (us/row): step, at $SMALL, at $PERSONS, ratio (best of $ROUNDS run(s) at each size)"
awk -v small="$(ls "$WORK"/day-"$SMALL"-*.txt)" -v big="$(ls "$WORK"/day-"$PERSONS"-*.txt)" '
  function load(files, into,   file, i, k, line, f, name, n, list) {
    k = split(files, list, "\n")
    for (i = 1; i <= k; i++) {
      file = list[i]
      while ((getline line < file) > 0) {
        if (line ~ /^day at / || line ~ /^step / || line ~ /^total / || line ~ /^\(/) continue
        name = substr(line, 1, 22); sub(/ +$/, "", name)
        n = split(line, f, / +/)
        if (f[n] != "-" && (!(name in into) || f[n] + 0 < into[name] + 0)) into[name] = f[n]
        if (!(name in seen)) { seen[name] = 1; order[++count] = name }
      }
      close(file)
    }
  }
  BEGIN {
    load(small, a); load(big, b)
    for (i = 1; i <= count; i++) {
      s = order[i]
      if ((s in a) && (s in b) && a[s] > 0) printf "  %-22s %9.2f %9.2f %6.2fx\n", s, a[s], b[s], b[s] / a[s]
    }
  }'

if [ "$DEMO" != 0 ] && [ "$PAYMENT" != no ]; then
  echo
  start_sim "$PERSONS"
  "$TIME" -v "$BIN/velmor" --data "$WORK/demo-data" demo --server "$URL" --djxh "$DJXH" >"$WORK/demo.out" 2>"$WORK/demo.time" || {
    cat "$WORK/demo.out" "$WORK/demo.time" >&2; exit 1; }
  WALL=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$WORK/demo.time")
  RSS_KB=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$WORK/demo.time")
  grep -E '^== |（[0-9.]+ 秒）' "$WORK/demo.out" | paste - - | sed 's/^/  /' || true
  echo "velmor demo at $PERSONS persons: wall $WALL, client peak $((RSS_KB / 1024)) MB, simulator peak $(sim_peak_mb) MB"
fi
