#!/usr/bin/env bash
# The report window under load, on the loopback range only: builds Release, starts
# quin-report-session on 127.0.0.1 with SESSIONS sessions (default 200) that each show a
# 40 x 12 table of the demonstration survey (bench/reports/demo_load.zor: demographics by age
# group, counts and column shares, the waves as the layer), and has bench/load/quin_load change
# every session's layer item as fast as it can: each change recalculates the table and sends
# the page. After a warm-up of a tenth of the time (at least 1 s), prints the latencies (goal:
# p99 under 100 ms, no error), the server's memory before the load, after the warm-up,
# half-way and at the end (goal: flat from the warm-up on) and its processor time per change.
# Usage: bench/repwindow_load.sh [SECONDS] [SESSIONS]   (defaults 20 and 200)
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-20}
sessions=${2:-200}
build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIN_TESTS=OFF -DQUIN_BENCH=ON >/dev/null
cmake --build "$build" -j "${JOBS:-4}" --target quin-report-session quin_web_files quin_users_file \
  quin_demo_survey quin_load >/dev/null
work=$(mktemp -d /tmp/quinrepload-XXXXXX)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/app"
cp -r "$build/web/Files" "$work/app/"
reports="$work/app/Files/Quin/Surveys/Guest/media2024.reports"
mkdir -p "$reports"
cp bench/reports/demo_load.zor "$reports/"

# With the heap setting of the deployment (README).
GLIBC_TUNABLES=glibc.malloc.tcache_count=250 "$build/web/quin-report-session" --app-dir "$work/app/" --report demo_load.zor \
  --sessions "$sessions" --session-timeout 600000 >"$work/sessions.txt" 2>&1 &
server_pid=$!
for _ in $(seq 600); do
  grep -q "listening on" "$work/sessions.txt" && break
  kill -0 "$server_pid" 2>/dev/null || { cat "$work/sessions.txt"; exit 1; }
  sleep 0.1
done
port=$(sed -n 's|.*http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$work/sessions.txt")
[ -n "$port" ] || { cat "$work/sessions.txt"; exit 1; }
# The sessions are named after the listening line: wait for all of them.
for _ in $(seq 600); do
  [ "$(grep -c '^session ' "$work/sessions.txt")" -ge "$sessions" ] && break
  sleep 0.1
done
echo "Load on $(nproc) cores; other programs running meanwhile: load average $(cut -d' ' -f1-3 /proc/loadavg)"
# The table's size as the page shows it.
first=$(awk '/^session /{print $2; exit}' "$work/sessions.txt")
curl -s "http://127.0.0.1:$port$first" | python3 -c '
import sys
s = sys.stdin.buffer.read().decode("latin-1")
t = s[s.find("<table class=main"):]
t = t[:t.find("</table>")]
rows = t.split("<tr>")[1:]
print("table: %d grid lines of %d cells (page %d bytes)" % (len(rows), rows[-1].count("<td"), len(s)))'
"$build/bench/load/quin_load" layers "$port" "$work/sessions.txt" "$secs" "$server_pid"
