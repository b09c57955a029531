#!/usr/bin/env bash
# The nginx wrapper the Windows tests serve files with, black-box over loopback: files, byte
# ranges, both redirects and the access log; the stop file ending it with nothing left behind;
# a taken port and refused options. The update engine's Wine tests use it throughout.
set -u
wrapper=$1
failures=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: expected [$2], got [$3]"
        failures=$((failures + 1))
    fi
}

work=$(mktemp -d)
# The wrapper makes its private folder under TMPDIR: here it can be seen to go.
export TMPDIR=$work/tmp
mkdir "$TMPDIR" "$work/root" "$work/root/sub"
started=()
cleanup() {
    local pid
    for pid in "${started[@]}"; do
        kill -TERM "$pid" 2>/dev/null && timeout 6 tail --pid="$pid" -f /dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

head -c 300000 /dev/urandom >"$work/root/big.bin"
printf 'nested file\n' >"$work/root/sub/file.txt"

free_port() {
    python3 -c 'import socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# waits SECONDS COMMAND...: polls the command every 50 ms; its status when the time is up.
waits() {
    local tries=$(($1 * 20))
    shift
    until "$@"; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || return 1
        sleep 0.05
    done
}
gone() { ! kill -0 "$1" 2>/dev/null; }
exists() { [ -e "$1" ]; }

# http PORT PATH [RANGE]: prints "STATUS|LOCATION|CONTENT-RANGE" and leaves the body in
# $work/body; a redirect is reported, not followed.
http() {
    python3 - "$@" "$work/body" <<'EOF'
import http.client, sys
port, path, body_path = int(sys.argv[1]), sys.argv[2], sys.argv[-1]
headers = {'Range': sys.argv[3]} if len(sys.argv) == 5 else {}
connection = http.client.HTTPConnection('127.0.0.1', port, timeout=5)
connection.request('GET', path, headers=headers)
response = connection.getresponse()
open(body_path, 'wb').write(response.read())
print('%d|%s|%s' % (response.status, response.getheader('Location', ''),
                    response.getheader('Content-Range', '')))
EOF
}

# start NAME PORT [OPTION...]: starts the wrapper in the background with files named after NAME;
# its pid in $pid.
start() {
    local name=$1 port=$2
    shift 2
    "$wrapper" --listen "127.0.0.1:$port" --root "$work/root" --ready-file "$work/$name.ready" \
        --stop-file "$work/$name.stop" --log "$work/$name.log" "$@" 2>"$work/$name.err" &
    pid=$!
    started+=("$pid")
}

# --- Serving --------------------------------------------------------------------------------------
port=$(free_port)
start main "$port"
waits 10 exists "$work/main.ready"; check "ready within 10 s" 0 $?
check "the ready file says so" ready "$(cat "$work/main.ready" 2>&1)"
main_pid=$pid
nginx_pid=$(cat "$TMPDIR"/gatevane-nginx.*/nginx.pid 2>/dev/null)
check "nginx runs with its pid file in the private folder" 0 "$(kill -0 "$nginx_pid" 2>&1; echo $?)"

check "a whole file" "200||" "$(http "$port" /big.bin)"
check "its bytes" "" "$(cmp "$work/root/big.bin" "$work/body" 2>&1)"
check "a byte range" "206||bytes 100000-299999/300000" "$(http "$port" /big.bin bytes=100000-)"
check "the range's bytes" "" \
    "$(tail -c +100001 "$work/root/big.bin" | cmp - "$work/body" 2>&1)"
check "a nested file" "200||" "$(http "$port" /sub/file.txt)"
check "its text" "nested file" "$(cat "$work/body")"
check "a missing file" "404||" "$(http "$port" /none.txt)"
check "a relative redirect keeps the query" "302|/sub/file.txt?x=7|" \
    "$(http "$port" '/relative-redirect/sub/file.txt?x=7')"
check "an absolute redirect names the listening address" \
    "302|http://127.0.0.1:$port/sub/file.txt?x=7|" \
    "$(http "$port" '/absolute-redirect/sub/file.txt?x=7')"
check "a redirect's target is served" "200||" "$(http "$port" '/sub/file.txt?x=7')"

log=$(cat "$work/main.log" 2>&1)
check "the log has the request line, status and Range" 1 \
    "$(grep -c '"GET /big.bin HTTP/1.1" 206 range=bytes=100000- ' <<<"$log")"
check "a request without Range logs '-'" 1 \
    "$(grep -c '"GET /big.bin HTTP/1.1" 200 range=- ' <<<"$log")"
check "one line per request" 7 "$(wc -l <<<"$log")"

# A second wrapper on the same port must not take the first one's answers for its own.
start second "$port"
waits 10 gone "$pid"; check "a taken port: ended" 0 $?
wait "$pid"; check "a taken port: exit 1" 1 $?
check "a taken port: says why" 1 "$(grep -c 'already accepts connections' "$work/second.err")"
check "a taken port: no ready file" no "$(exists "$work/second.ready" && echo yes || echo no)"
check "the first one still serves" "200||" "$(http "$port" /sub/file.txt)"

touch "$work/main.stop"
waits 5 gone "$main_pid"; check "the stop file ends it within 5 s" 0 $?
wait "$main_pid"; check "stopped: exit 0" 0 $?
check "stopped: nginx ended too" 1 "$(kill -0 "$nginx_pid" 2>/dev/null; echo $?)"
check "stopped: ready file removed" no "$(exists "$work/main.ready" && echo yes || echo no)"
check "stopped: private folder removed" "" "$(ls -A "$TMPDIR")"
check "stopped: the port is closed" 1 \
    "$( (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; echo $?)"

# --- Refused options ------------------------------------------------------------------------------
refused() {  # refused DESCRIPTION MESSAGE OPTION...
    local description=$1 message=$2
    shift 2
    timeout 10 "$wrapper" --ready-file "$work/refused.ready" "$@" >/dev/null 2>"$work/refused.err"
    check "$description: exit 2" 2 $?
    check "$description: says why" 1 "$(grep -c -- "$message" "$work/refused.err")"
    check "$description: no ready file" no "$(exists "$work/refused.ready" && echo yes || echo no)"
}
refused "another machine's address" "not a loopback address" --listen 10.0.0.1:80 \
    --root "$work/root"
refused "no root" "--root DIR is required" --listen 127.0.0.1:8080
check "refusals leave no private folder" "" "$(ls -A "$TMPDIR")"
"$wrapper" --help | grep -q "^usage: run-nginx.sh"; check "--help prints usage" 0 $?

if [ $failures -eq 0 ]; then echo "nginx wrapper: all checks passed"; fi
exit $((failures > 0))
