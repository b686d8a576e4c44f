#!/usr/bin/env bash
# End-to-end benchmark of the roster download: the simulator generates N persons (default
# 100000); `velmor scheme sync` stores the scheme account, then `velmor roster sync --full`
# downloads and stores the whole roster, measured with /usr/bin/time -v (wall time, peak memory).
# Prints rows per second of the download and, from bench_roster, of the prepared-insert baseline.
#
#   bench/scheme/roster_sync_bench.sh [BUILD_DIR] [PERSONS]
set -euo pipefail
BUILD=${1:-build}
PERSONS=${2:-100000}
BIN="$BUILD/bin"
[ -x "$BIN/velmor" ] && [ -x "$BIN/velmor-taxsim" ] || { echo "build velmor and velmor-taxsim in $BUILD first" >&2; exit 1; }
TIME=/usr/bin/time
[ -x "$TIME" ] || { echo "/usr/bin/time is missing (apt-get install time)" >&2; exit 1; }

WORK=$(mktemp -d)
SIM_PID=
cleanup() { [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null; wait 2>/dev/null || true; rm -rf "$WORK"; }
trap cleanup EXIT

"$BIN/velmor-taxsim" --port 0 --persons "$PERSONS" --async-pending 2 >"$WORK/sim.out" 2>"$WORK/sim.err" &
SIM_PID=$!
for _ in $(seq 1 600); do grep -q '^listening on ' "$WORK/sim.out" 2>/dev/null && break; sleep 0.1; done
URL=$(sed -n 's/^listening on //p' "$WORK/sim.out")
[ -n "$URL" ] || { echo "the simulator did not start: $(cat "$WORK/sim.err")" >&2; exit 1; }

DATA="$WORK/data"
"$BIN/velmor" --data "$DATA" init --server "$URL" --djxh 10000000000000000001 >/dev/null
"$BIN/velmor" --data "$DATA" scheme sync
$TIME -v "$BIN/velmor" --data "$DATA" roster sync --full 2>"$WORK/time.txt" | tail -1
grep -v 'Command being timed' "$WORK/time.txt" | grep -E '^\s*(roster|velmor)' || true
WALL=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$WORK/time.txt")
RSS_KB=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$WORK/time.txt")
"$BIN/velmor" --data "$DATA" roster count | tee "$WORK/count.txt"
# `roster count` prints a header line and a line of values: the column named $1.
column() { awk -v name="$1" 'NR==1{for (i = 1; i <= NF; i++) if ($i == name) c = i} NR==2 && c {print $c}' "$WORK/count.txt"; }
persons=$(column persons)
items=$(column items)
secs=$(echo "$WALL" | awk -F: '{ if (NF==3) print $1*3600+$2*60+$3; else print $1*60+$2 }')
rows=$((persons * 2 + items))   # persons, their enrolments with the agency, their items
echo "roster sync --full: ${PERSONS} persons, wall ${WALL} (${secs} s), peak ${RSS_KB} kB," \
     "$(awk -v r="$rows" -v s="$secs" 'BEGIN{printf "%.0f", r/s}') rows/s end to end (${rows} rows)"
if [ -x "$BIN/bench_roster" ]; then
  "$BIN/bench_roster" --persons="$PERSONS" 2>&1 | grep -iE 'rows|ratio|prepared' || true
fi
