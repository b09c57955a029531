#!/usr/bin/env bash
# The launcher's start-up under Wine, against references measured in the same run:
#   1. start to the login window shown (Quarnel.exe /StartLogin:1), against the start of a program
#      that only shows a window (TrivialWindow.exe); and the launcher's working set idling there;
#   2. start to "更新完成" over the program folder of 2,000 files (1 GiB, bench/file_set.sh) whose
#      update list names every file with nothing to fetch, against md5sum -c of the same files.
# Both sides read from the page cache. Prints the best of five (1) or three (2) runs and the ratios
# against the targets (3x and 1.15x); never fails on timing. One benchmark at a time: the Wine
# session lives in build/bench/wine, as the others' does.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build/bench
mkdir -p "$work"
source bench/file_set.sh
make_file_set "$work"

cmake --preset native >/dev/null && cmake --build --preset native --target mkupdatelist >/dev/null
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Quarnel NetworkService login_bench trivial_window >/dev/null
bin=$root/build/win64/bin
listen=127.0.0.52:8052

# The program folder: the file set (linked), the launcher, its skin; the list names the set.
program=$work/login-program
www=$work/login-www
rm -rf "$program" "$www"
cp -al "$set_dir" "$program"
cp "$bin/Quarnel.exe" "$bin/NetworkService.dll" "$bin/Quarnel.run" "$program/"
cp -r "$bin/TesselRes" "$program/"
printf '[Hosts]\nUpdateHost=%s\n' "$listen" >"$program/Gatevane.ini"
for key in AdHost AccountHost WebHost ShopHost PayHost ForumHost WeChatHost; do
    echo "$key=127.0.0.53:8053" >>"$program/Gatevane.ini"
done
{
    echo "[logon]"
    for i in $(seq 0 8); do echo "logon$i="; done  # no lines: nothing probed, nothing waited for
} >"$program/ServerInfo.ini"
mkdir -p "$www/Update/New/config"
list=$work/login-update.txt
if [ ! -f "$list" ] || [ "$list" -ot "$set_list" ]; then
    "$root/build/native/tools/mkupdatelist" build "$set_dir" "http://$listen/files/" "$list" >/dev/null
fi
cp "$list" "$www/Update/New/config/Update.txt"

run=$(mktemp -d "$work/login-run.XXXXXX")
nginx_pid=
session=
cleanup() {
    [ -n "$nginx_pid" ] && { touch "$run/stop"; wait "$nginx_pid" 2>/dev/null || true; }
    [ -n "$session" ] && tests/wine/wine-session.sh stop "$session" >/dev/null 2>&1
    rm -rf "$run" "$program" "$www"
}
trap cleanup EXIT
tests/nginx/run-nginx.sh --listen "$listen" --root "$www" --ready-file "$run/ready" \
    --stop-file "$run/stop" --lifetime 900 >"$run/nginx.out" 2>&1 &
nginx_pid=$!
for _ in $(seq 200); do [ -f "$run/ready" ] && break; sleep 0.05; done
[ -f "$run/ready" ] || { echo "nginx did not start:"; cat "$run/nginx.out"; exit 1; }

source tests/wine/wine-env.sh
session=$work/wine
tests/wine/wine-session.sh start "$session" >/dev/null
source "$session/session.env"
windows() { local path=$1; echo "Z:${path//\//\\}"; }
bench() { timeout -k 5 300 "$WINE" "$bin/login_bench.exe" "$@" </dev/null | tr -d '\r'; }
best() { sort -n | head -1; }
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "== 1. start to the window shown (best of 5)"
trivial=$(for _ in 1 2 3 4 5; do bench window "$(windows "$bin/TrivialWindow.exe")" TrivialWindow; done)
launcher=$(for _ in 1 2 3 4 5; do
    bench window "$(windows "$program/Quarnel.exe")" GameLogin /StartLogin:1
done)
trivial_ms=$(cut -d' ' -f1 <<<"$trivial" | best)
launcher_ms=$(cut -d' ' -f1 <<<"$launcher" | best)
working_set=$(cut -d' ' -f2 <<<"$launcher" | sort -n | tail -1)
printf '  trivial window   %8.1f ms\n' "$trivial_ms"
printf '  login window     %8.1f ms   ratio %.2fx (target 3x)\n' "$launcher_ms" \
    "$(echo "$launcher_ms / $trivial_ms" | bc -l)"
printf '  working set at the idle login window: %d KiB\n' "$working_set"

echo
echo "== 2. start to 更新完成 over 2,000 files (1 GiB), nothing to fetch (best of 3)"
warm() { find "$set_dir" -type f -exec cat {} + >/dev/null; }
md5=$(for _ in 1 2 3; do
    warm
    start=$(date +%s.%N)
    (cd "$set_dir" && md5sum -c --quiet "$set_list")
    echo "($(date +%s.%N) - $start) * 1000" | bc -l
done | best)
update=$(for _ in 1 2 3; do warm; bench update "$(windows "$program/Quarnel.exe")"; done | best)
printf '  md5sum -c        %8.1f ms\n' "$md5"
printf '  launcher         %8.1f ms   ratio %.2fx (target 1.15x)\n' "$update" \
    "$(echo "$update / $md5" | bc -l)"
