#!/usr/bin/env bash
# The server under attack, on the loopback range only and bounded in time: builds Release,
# starts the server on 127.0.0.1 over a copy of the application folder, and runs
# bench/load/quin_flood against it:
#   1. one address floods "/?survey=media2024", Demo logons and 1 MB start parameters, each for
#      SECONDS, while a visitor from another address logs on with a password twice a second
#      (goal: every logon under 1 s, the server's memory under 500 MB);
#   2. 300 opens of a survey whose information page's address never answers (a socket that
#      takes connections and never replies) while a logged-on user asks for its page
#      (goal: the user's p99 under 50 ms);
#   3. 20,000 slow uploads (one byte every 3 s) from 200 addresses, while a new client asks for
#      the style sheet twice a second (goal: served in under 1 s);
#   4. twenty attackers guessing "analyst"'s password from 5,000 addresses while its owner logs
#      on from an address that has not failed (goal: the owner logs on).
# Usage: bench/flood.sh [SECONDS]   (default 60; about 5 x that in all)
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-60}
build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIN_TESTS=OFF -DQUIN_BENCH=ON >/dev/null
cmake --build "$build" -j "${JOBS:-4}" --target quinview-server quin_web_files quin_users_file \
  quin_demo_survey quin-demosurvey quin_flood >/dev/null
flood="$build/bench/load/quin_flood"
work=$(mktemp -d /tmp/quinflood-XXXXXX)
server_pid=""
hole_pid=""
cleanup() {
  [ -n "$hole_pid" ] && kill "$hole_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/app"
cp -r "$build/web/Files" "$work/app/"

# A port that takes connections and never answers them.
python3 -c '
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(4096)
print(s.getsockname()[1], flush=True)
time.sleep(3600)' >"$work/hole.port" &
hole_pid=$!
for _ in $(seq 50); do [ -s "$work/hole.port" ] && break; sleep 0.1; done
hole=$(cat "$work/hole.port")
# The demonstration survey with an information page at that address, for the guest and the
# analyst.
sed "0,/  def infopage/s||  def infopage name = \"Web\"; addr = \"http://127.0.0.1:$hole/about\"; end;\n  def infopage|" \
  data/demo/demo.def >"$work/hole.def"
"$build/tools/demosurvey/quin-demosurvey" "$work/hole.def" data/demo/params.txt \
  "$work/app/Files/Quin/Surveys/Guest/blackhole.zos" >/dev/null

start_server() {
  "$build/web/quinview-server" --host 127.0.0.1 --port 0 --app-dir "$work/app/" \
    >"$work/server.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 100); do
    grep -q "listening on" "$work/server.log" && break
    sleep 0.1
  done
  port=$(sed -n 's|.*http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$work/server.log")
  [ -n "$port" ] || { cat "$work/server.log"; exit 1; }
}
stop_server() {
  kill "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  server_pid=""
}

echo "Flood on $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== 1. One address floods; a visitor logs on with a password meanwhile"
for mode in "survey $secs" "demo $secs" "params $secs"; do
  start_server
  set -- $mode
  if [ "$1" = survey ]; then
    "$flood" survey "$port" media2024 "$2" "$server_pid" || true
  else
    "$flood" "$1" "$port" "$2" "$server_pid" || true
  fi
  stop_server
done

echo "== 2. 300 opens of a survey whose information address never answers"
start_server
"$flood" opens "$port" blackhole 300 "$server_pid" || true
stop_server

echo "== 3. 20,000 slow uploads from 200 addresses (two processes: each has its own descriptors)"
start_server
"$flood" uploads "$port" 10000 100 "$secs" 0 &
first=$!
"$flood" uploads "$port" 10000 100 "$secs" 100 || true
wait "$first" || true
stop_server

echo "== 4. Twenty attackers on one login from 5,000 addresses; its owner elsewhere"
start_server
"$flood" guesses "$port" analyst 20 5000 "$secs" || true
stop_server
