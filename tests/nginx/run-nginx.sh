#!/usr/bin/env bash
# run-nginx.sh: Debian's nginx as a well-behaved HTTP server for the update engine's tests, with the
# contract of the project's native test servers: the Windows tests start it through Wine with
# --ready-file, --stop-file, --log and --lifetime, wait for the ready file, and end it by creating
# the stop file (Wine gives no process handle to wait on). It removes the ready file when it exits.
#
#   starting --port accepts--> ready (ready file) --stop file / lifetime / signal--> stopped
#
# nginx runs in the foreground as a single process of the invoking user, its configuration, pid
# file, temp paths and error log in a private folder removed at exit.
set -uo pipefail
# Started through Wine, the environment may carry Windows values: use our own.
PATH=/usr/sbin:/usr/bin:/sbin:/bin
NGINX=/usr/sbin/nginx

usage() {
    cat <<'EOF'
usage: run-nginx.sh --listen ADDR:PORT --root DIR [OPTION]...

Serves the files under DIR with nginx (byte ranges included) until the stop file appears or the
lifetime ends.

  --listen ADDR:PORT   listen there (ADDR in 127.0.0.0/8, or 'localhost')
  --root DIR           the document root
  --ready-file PATH    write "ready\n" to PATH once the port accepts connections; removed on exit
  --stop-file PATH     exit as soon as PATH exists (checked every 50 ms)
  --lifetime SECONDS   exit after that long (default 120)
  --log PATH           nginx's access log: one line per request with the request line, the
                       status and the Range header
  --help               print this text

Besides the files:
  /relative-redirect/X   302 with "Location: /X"
  /absolute-redirect/X   302 with "Location: http://ADDR:PORT/X"
(the query, if any, is kept), and
  /slow/X                X at 256 KiB/s, as over a slow line.

Exit status: 0 clean exit, 1 nginx could not start or ended by itself (its error log is printed),
2 wrong arguments.
EOF
}

fail_usage() {
    echo "run-nginx.sh: $1 (see --help)" >&2
    exit 2
}

listen= root= ready_file= stop_file= log_file= lifetime=120
while [ $# -gt 0 ]; do
    case $1 in
        --help | -h) usage; exit 0 ;;
        --listen | --root | --ready-file | --stop-file | --log | --lifetime)
            [ $# -ge 2 ] || fail_usage "$1 needs a value"
            case $1 in
                --listen) [ -z "$listen" ] || fail_usage "--listen is given twice"; listen=$2 ;;
                --root) root=$2 ;;
                --ready-file) ready_file=$2 ;;
                --stop-file) stop_file=$2 ;;
                --log) log_file=$2 ;;
                --lifetime) lifetime=$2 ;;
            esac
            shift 2
            ;;
        *) fail_usage "unknown argument '$1'" ;;
    esac
done

[ -n "$listen" ] || fail_usage "--listen ADDR:PORT is required"
[ -n "$root" ] || fail_usage "--root DIR is required"
host=${listen%:*}
port=${listen##*:}
[ "$host" != "$listen" ] || fail_usage "--listen wants ADDR:PORT, not '$listen'"
# Only loopback, and never a name lookup: "localhost" is taken as 127.0.0.1.
[ "$host" = localhost ] && host=127.0.0.1
octet='(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])'
[[ $host =~ ^127\.$octet\.$octet\.$octet$ ]] ||
    fail_usage "'$host' is not a loopback address (127.0.0.0/8)"
[[ $port =~ ^[0-9]{1,5}$ ]] && [ "$((10#$port))" -ge 1 ] && [ "$((10#$port))" -le 65535 ] ||
    fail_usage "port of '$listen' is not a number from 1 to 65535"
port=$((10#$port))
[ -d "$root" ] || fail_usage "--root '$root' is not a folder"
root=$(cd "$root" && pwd) || fail_usage "cannot enter --root '$root'"
[[ $lifetime =~ ^[0-9]+(\.[0-9]+)?$ ]] || fail_usage "--lifetime wants seconds, not '$lifetime'"
fraction=${lifetime#*.}
[ "$fraction" = "$lifetime" ] && fraction=
fraction=$(printf '%-3.3s' "$fraction")
lifetime_ms=$((10#${lifetime%%.*} * 1000 + 10#${fraction// /0}))
[ "$lifetime_ms" -gt 0 ] && [ "$lifetime_ms" -le 86400000 ] ||
    fail_usage "--lifetime wants a number of seconds above 0 (at most 86400), not '$lifetime'"
for value in "$root" "$log_file"; do
    # These go into the configuration inside double quotes.
    [[ $value != *[\"\\\$\;{}]* ]] || fail_usage "'$value' holds a character nginx would misread"
done

now_ms() {
    local now=${EPOCHREALTIME/[.,]/}
    echo $((now / 1000))
}

port_accepts() {
    (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null
}

case ${TMPDIR-} in
    /*) temp_base=$TMPDIR ;;
    *) temp_base=/tmp ;;
esac
work=$(mktemp -d "$temp_base/gatevane-nginx.XXXXXX") || {
    echo "run-nginx.sh: cannot make a folder under $temp_base" >&2
    exit 1
}
nginx_pid=
ready_written=

stop_nginx() {
    [ -n "$nginx_pid" ] || return
    # TERM is nginx's fast shutdown; a server that ignores it for 5 s is killed.
    kill -TERM "$nginx_pid" 2>/dev/null
    local waited=0
    while kill -0 "$nginx_pid" 2>/dev/null && [ $waited -lt 100 ]; do
        sleep 0.05
        waited=$((waited + 1))
    done
    kill -0 "$nginx_pid" 2>/dev/null && kill -KILL "$nginx_pid" 2>/dev/null
    wait "$nginx_pid" 2>/dev/null
    nginx_pid=
}

cleanup() {
    stop_nginx
    [ -n "$ready_written" ] && rm -f "$ready_file"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 0' TERM INT HUP

fail_nginx() {
    echo "run-nginx.sh: $1; nginx's error log:" >&2
    # Before nginx opens its error log (a bad configuration), it complains on stderr only.
    if [ -s "$work/error.log" ]; then
        cat "$work/error.log" >&2
    else
        cat "$work/nginx.out" >&2 2>/dev/null
    fi
    exit 1
}

if [ -n "$log_file" ]; then
    access_log="access_log \"$log_file\" gatevane;"
else
    access_log="access_log off;"
fi
mkdir -p "$work/temp"
cat >"$work/nginx.conf" <<EOF
daemon off;
master_process off;
worker_processes 1;
pid "$work/nginx.pid";
error_log "$work/error.log" info;

events {
    worker_connections 64;
}

http {
    default_type application/octet-stream;
    log_format gatevane '\$remote_addr "\$request" \$status range=\$http_range '
                        'bytes=\$body_bytes_sent';
    $access_log
    client_body_temp_path "$work/temp/body";
    proxy_temp_path "$work/temp/proxy";
    fastcgi_temp_path "$work/temp/fastcgi";
    uwsgi_temp_path "$work/temp/uwsgi";
    scgi_temp_path "$work/temp/scgi";
    server_tokens off;

    server {
        listen $host:$port;
        server_name localhost;
        root "$root";

        location /relative-redirect/ {
            absolute_redirect off;
            rewrite ^/relative-redirect(/.*)\$ \$1 redirect;
        }
        location /absolute-redirect/ {
            rewrite ^/absolute-redirect(/.*)\$ http://$host:$port\$1 redirect;
        }
        location /slow/ {
            limit_rate 256k;
            rewrite ^/slow(/.*)\$ \$1 break;
        }
    }
}
EOF

# Something else answering on the port would pass for us below.
if port_accepts; then
    echo "run-nginx.sh: $host:$port already accepts connections" >&2
    exit 1
fi

"$NGINX" -p "$work/" -e "$work/error.log" -c "$work/nginx.conf" \
    >"$work/nginx.out" 2>&1 </dev/null &
nginx_pid=$!

deadline=$(($(now_ms) + 5000))
until port_accepts; do
    kill -0 "$nginx_pid" 2>/dev/null || {
        wait "$nginx_pid" 2>/dev/null
        nginx_pid=
        fail_nginx "nginx did not start"
    }
    [ "$(now_ms)" -lt "$deadline" ] || fail_nginx "nginx did not listen on $host:$port within 5 s"
    sleep 0.05
done

if [ -n "$ready_file" ]; then
    # Written whole, then renamed: a waiting test never reads half of it.
    if ! printf 'ready\n' >"$ready_file.tmp" || ! mv -f "$ready_file.tmp" "$ready_file"; then
        rm -f "$ready_file.tmp"
        echo "run-nginx.sh: cannot write $ready_file" >&2
        exit 1
    fi
    ready_written=1
fi

end=$(($(now_ms) + lifetime_ms))
while :; do
    [ -n "$stop_file" ] && [ -e "$stop_file" ] && break
    [ "$(now_ms)" -lt "$end" ] || break
    if ! kill -0 "$nginx_pid" 2>/dev/null; then
        wait "$nginx_pid" 2>/dev/null
        nginx_pid=
        fail_nginx "nginx ended by itself"
    fi
    sleep 0.05
done
exit 0
