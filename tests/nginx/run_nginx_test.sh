#!/usr/bin/env bash
# Smoke test of the nginx wrapper the Windows tests serve files with: it starts, answers a resumed
# download with the right range, and the stop file ends it with nothing left behind. Redirects,
# logs and refusals are exercised by the update engine's Wine tests, its real users.
set -u
wrapper=$1
work=$(mktemp -d)
export TMPDIR=$work/tmp  # the wrapper's private folder goes here, where it can be seen to go
mkdir "$TMPDIR" "$work/root"
trap 'kill -TERM $pid 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $1"; exit 1; }

head -c 300000 /dev/urandom >"$work/root/big.bin"
port=$(python3 -c 'import socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$wrapper" --listen "127.0.0.1:$port" --root "$work/root" --ready-file "$work/ready" \
    --stop-file "$work/stop" --log "$work/log" &
pid=$!
for _ in $(seq 200); do [ -e "$work/ready" ] && break; sleep 0.05; done
[ -e "$work/ready" ] || fail "not ready within 10 s"

answer=$(python3 - "$port" "$work/body" <<'EOF'
import http.client, sys
connection = http.client.HTTPConnection('127.0.0.1', int(sys.argv[1]), timeout=5)
connection.request('GET', '/big.bin?x=1', headers={'Range': 'bytes=100000-'})
response = connection.getresponse()
open(sys.argv[2], 'wb').write(response.read())
print(response.status, response.getheader('Content-Range'))
EOF
)
[ "$answer" = "206 bytes 100000-299999/300000" ] || fail "a resumed download: $answer"
tail -c +100001 "$work/root/big.bin" | cmp -s - "$work/body" || fail "the range's bytes differ"

touch "$work/stop"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
wait "$pid" || fail "the stop file did not end it with exit 0"
[ ! -e "$work/ready" ] || fail "ready file left behind"
[ -z "$(ls -A "$TMPDIR")" ] || fail "private folder left behind"
echo "1 passed, 0 failed"
