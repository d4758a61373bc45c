#!/usr/bin/env bash
# The transport's load goals, measured on the loopback range only and bounded in time (about
# two minutes): builds Release, starts the server on 127.0.0.1 over a copy of the application
# folder, and runs bench/load/quin_load against it:
#   1. one kept-alive connection: every request after the first (static file, session page);
#   2. static files with 50 connections, and nginx (4 workers, as many as our I/O threads here)
#      serving the same file when it is installed;
#   3. 200 logged-on sessions as fast as they can, with the server's memory at start, half-way
#      and end; then the processor time 200 idle kept-alive connections cost;
#   4. 1,000 slow clients (one byte of a head or a body every 3 s, from 127.0.0.2 and up) while
#      200 logged-on sessions work, then SIGTERM while they are still connected;
# and the listen-queue overflows of the whole run.
# Usage: bench/load.sh [SECONDS_PER_PHASE]   (default 15; about 4 x that in all)
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-15}
build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIN_TESTS=OFF -DQUIN_BENCH=ON >/dev/null
cmake --build "$build" -j "${JOBS:-4}" --target quinview-server quin_web_files quin_users_file \
  quin_demo_survey quin_load >/dev/null
load="$build/bench/load/quin_load"
work=$(mktemp -d /tmp/quinload-XXXXXX)
server_pid=""
nginx_pid=""
cleanup() {
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/app"
cp -r "$build/web/Files" "$work/app/"

# Starts the server on a port the system chooses; sets server_pid and port.
start_server() {
  # With the heap setting of the deployment (README).
  GLIBC_TUNABLES=glibc.malloc.tcache_count=250 "$build/web/quinview-server" --host 127.0.0.1 --port 0 --app-dir "$work/app/" \
    >"$work/server.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 100); do
    grep -q "listening on" "$work/server.log" && break
    sleep 0.1
  done
  port=$(sed -n 's|.*http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$work/server.log")
  [ -n "$port" ] || { cat "$work/server.log"; exit 1; }
}

# Connections the kernel dropped because a listen queue was full, on the whole machine.
listen_overflows() {
  awk '/^TcpExt:/ { if (!n) { for (i = 1; i <= NF; i++) if ($i == "ListenOverflows") c = i; n = 1 }
                     else print $c }' /proc/net/netstat
}

echo "Load on $(nproc) cores; other programs running meanwhile: load average $(cut -d' ' -f1-3 /proc/loadavg)"
overflows=$(listen_overflows)
start_server

echo "== 1. One kept-alive connection"
"$load" keepalive "$port" /Files/Quin/Quin.css 2000
"$load" keepalive "$port" page 2000

echo "== 2. Static files, 50 connections"
"$load" static "$port" /Files/Quin/top1a.jpg 50 "$secs" | tee "$work/ours.txt" || true
if command -v nginx >/dev/null || [ -x /usr/sbin/nginx ]; then
  nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)
  nport=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  mkdir -p "$work/nginx"
  chmod -R a+rX "$work"  # nginx's workers may run as another user
  cat >"$work/nginx/nginx.conf" <<CONF
daemon off;
worker_processes 4;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  keepalive_requests 1000000;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  types { image/jpeg jpg; }
  server {
    listen 127.0.0.1:$nport;
    location /Files/Quin/ { alias $work/app/Files/Quin/; }
  }
}
CONF
  "$nginx_bin" -p "$work/nginx" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" &
  nginx_pid=$!
  sleep 1
  "$load" static "$nport" /Files/Quin/top1a.jpg 50 "$secs" | sed 's/^static/nginx (4 workers): static/' \
    | tee "$work/nginx.txt" || true
  kill "$nginx_pid"
  wait "$nginx_pid" 2>/dev/null || true
  nginx_pid=""
  ours=$(sed -n 's/.*: \([0-9]*\) requests\/s.*/\1/p' "$work/ours.txt")
  theirs=$(sed -n 's/.*: \([0-9]*\) requests\/s.*/\1/p' "$work/nginx.txt")
  echo "ratio to nginx: $(python3 -c "print(round($ours / $theirs, 2))")"
fi

echo "== 3. 200 logged-on sessions; then 200 idle kept-alive connections"
"$load" sessions "$port" 200 $((secs * 2)) "$server_pid" || true
"$load" idle "$port" 200 10 "$server_pid" || true

echo "== 4. 1000 slow clients while 200 logged-on sessions work, then SIGTERM"
"$load" slow "$port" 1000 $((secs + 12)) &
slow_pid=$!
sleep 5
"$load" sessions "$port" 200 "$secs" || true
start=$(date +%s%N)
kill -TERM "$server_pid"
wait "$server_pid" || true
server_pid=""
echo "server stopped $(( ($(date +%s%N) - start) / 1000000 )) ms after SIGTERM, slow clients still connected"
wait "$slow_pid" || true
echo "listen queue overflows during the run: $(( $(listen_overflows) - overflows ))"
