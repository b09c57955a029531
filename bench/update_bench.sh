#!/usr/bin/env bash
# The update engine (the Windows build, under Wine) against native tools, on loopback:
#   1. download throughput of one 256 MiB file from nginx: curl, the launcher's HTTP client, and
#      the download manager fetching it to disk and verifying it;
#   2. the update-list comparison's checksum pass over a program folder of 2,000 files (1 GiB)
#      against md5sum -c over the same files;
#   3. the download manager's peak memory for a 64 MiB, a 256 MiB and a 1 GiB update.
# Prints figures and ratios against references measured in the same run; never fails on timing.
#
# Data stays under build/bench for the next run: data-256MiB.bin (shared with md5_bench.sh) and the
# 1 GiB file set update-set/ with its list update-set.md5. The served folder holds links to them.
# A program folder being updated (up to 1 GiB) exists only while its update is measured. The Wine
# session lives in build/bench/wine, as md5_bench.sh's does: run one benchmark at a time.
#
# Placement: with two processors or more, the Wine side (the session's wineserver, the Windows
# programs) and the native contenders run on processor 0 and nginx on processor 1. Every Winsock,
# file and message call of a Windows program is a round trip to the wineserver; when the two sit on
# different processors each trip wakes an idle one, which on this virtual machine costs more than
# the call itself and makes the figures jump between runs. The rows marked "not pinned" show that
# cost, with the wineserver and the program free to move. Other load on the machine shows in every
# Wine figure at once: the load average is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build/bench
mkdir -p "$work"

listen=127.0.0.50:8050
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
cpus=$(nproc)
pin0=()
pin1=()
if [ "$cpus" -ge 2 ]; then
    pin0=(taskset -c 0)
    pin1=(taskset -c 1)
fi
base=http://$listen
mib=1048576

missing=()
command -v curl >/dev/null || missing+=(curl)
[ -x /usr/sbin/nginx ] || missing+=(nginx)
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
        >/dev/null
fi

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target http_download_bench update_bench compare_bench >/dev/null
bin=$root/build/win64/bin

# --- Data ---------------------------------------------------------------------------------------

big=$work/data-256MiB.bin
if [ ! -f "$big" ] || [ "$(stat -c %s "$big")" -ne $((256 * mib)) ]; then
    head -c $((256 * mib)) /dev/urandom >"$big"
fi

# The 1 GiB program folder of 2,000 files (bench/file_set.sh).
source bench/file_set.sh
make_file_set "$work"

# What nginx serves: big.bin and big0..3.bin are the 256 MiB file, mid.bin is the 64 MiB one.
www=$work/update-www
mkdir -p "$www"
link() { ln -f "$1" "$2" 2>/dev/null || ln -sf "$1" "$2"; }
link "$big" "$www/big.bin"
for i in 0 1 2 3; do link "$big" "$www/big$i.bin"; done
link "$set_dir/GameRes.pak" "$www/mid.bin"
big_sum=$(md5sum "$big" | cut -c1-32)  # also reads it into the page cache
mid_sum=$(awk '$2 == "GameRes.pak" { print $1 }' "$set_list")

# --- Server and Wine session --------------------------------------------------------------------

run=$(mktemp -d "$work/update-run.XXXXXX")
nginx_pid=
session=
cleanup() {
    if [ -n "$nginx_pid" ]; then
        touch "$run/stop"
        for _ in $(seq 200); do kill -0 "$nginx_pid" 2>/dev/null || break; sleep 0.05; done
        kill "$nginx_pid" 2>/dev/null || true
        wait "$nginx_pid" 2>/dev/null || true
    fi
    [ -n "$session" ] && "$root/tests/wine/wine-session.sh" stop "$session" >/dev/null 2>&1
    rm -rf "$run" "$work/update-program"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

"${pin1[@]}" "$root/tests/nginx/run-nginx.sh" --listen "$listen" --root "$www" \
    --ready-file "$run/ready" --stop-file "$run/stop" --lifetime 900 >"$run/nginx.out" 2>&1 &
nginx_pid=$!
for _ in $(seq 200); do
    [ -f "$run/ready" ] && break
    kill -0 "$nginx_pid" 2>/dev/null || break
    sleep 0.05
done
[ -f "$run/ready" ] || { echo "nginx did not start:"; cat "$run/nginx.out"; exit 1; }

source tests/wine/wine-env.sh
session=$work/wine
"${pin0[@]}" "$root/tests/wine/wine-session.sh" start "$session" >/dev/null  # its wineserver too
# shellcheck source=/dev/null
source "$session/session.env"

windows_path() { local path=$1; echo "Z:${path//\//\\}"; }
# A Windows program's one line of figures, run on processor 0 unless `pinned` is 0; the programs
# bound their own waits, this bounds Wine. An empty line counts as a failure.
pinned=1
figures() {
    local line name=${1##*/}
    if [ "$pinned" = 1 ]; then set -- "${pin0[@]}" "$WINE" "$@"; else set -- "$WINE" "$@"; fi
    line=$(timeout -k 5 600 "$@" </dev/null | tr -d '\r') && [ -n "$line" ] ||
        { echo "$name failed" >&2; return 1; }
    echo "$line"
}

# The processor ticks of this session's wineserver (one process serves every Wine call).
server_pid=
for pid in $(pgrep wineserver || true); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
        server_pid=$pid
    fi
done
server_ticks() { [ -n "$server_pid" ] && awk '{ print $14 + $15 }' "/proc/$server_pid/stat"; }
# figures "$@" with the wineserver and the program free to move between processors; prints nothing
# when there is a single processor or the wineserver is unknown.
figures_unpinned() {
    [ -n "$server_pid" ] && [ "$cpus" -ge 2 ] || return 0
    local line
    taskset -a -p -c "0-$((cpus - 1))" "$server_pid" >/dev/null
    pinned=0
    line=$(figures "$@") || line=
    pinned=1
    taskset -a -p -c 0 "$server_pid" >/dev/null
    [ -n "$line" ] || return 1
    echo "$line"
}
ticks_per_second=$(getconf CLK_TCK)

# --- 1. Download throughput ---------------------------------------------------------------------

curl_rate=0
for _ in 1 2 3; do
    speed=$("${pin0[@]}" curl -s -o /dev/null --max-time 60 -w '%{speed_download}' "$base/big.bin")
    curl_rate=$(awk -v b="$curl_rate" -v s="$speed" -v m=$mib \
        'BEGIN { r = s / m; print (r > b ? r : b) }')
done

line=$(figures "$bin/http_download_bench.exe" "$base/big.bin" 3)
read -r http_bytes http_rate _ _ <<<"$line"
[ "$http_bytes" -eq $((256 * mib)) ] ||
    { echo "the launcher's client got $http_bytes bytes"; exit 1; }
line=$(figures_unpinned "$bin/http_download_bench.exe" "$base/big.bin" 3)
read -r _ loose_rate _ _ <<<"$line"
line=$(figures "$bin/http_download_bench.exe" "$base/big.bin" 3 --window)
read -r _ window_rate _ _ <<<"$line"

# Where one chunk's time goes: a single download, with the wineserver's processor time around it
# (its share of Wine's start-up and exit is counted too, a few hundredths of a second).
chunk_split() {
    local before after line bytes rate callbacks processor
    before=$(server_ticks)
    line=$(figures "$1" "$base/big.bin" 1) || return 1
    after=$(server_ticks)
    read -r bytes rate callbacks processor <<<"$line"
    awk -v b="$bytes" -v r="$rate" -v c="$callbacks" -v p="$processor" -v s=$((after - before)) \
        -v t="$ticks_per_second" -v m=$mib 'BEGIN {
        printf "%.0f %.1f %.1f %.1f\n", b / c, b / m / r / c * 1e6, p / c * 1e6, s / t / c * 1e6
    }'
}
split_narrow=
if [ -n "$server_pid" ]; then split_narrow=$(chunk_split "$bin/http_download_bench.exe"); fi

# One update through the download manager: a fresh program folder with LobbyUpdate.log for the
# NAME=CHECKSUM pairs given, removed again once measured. Prints update_bench's line.
update_once() {
    local program=$1 folder=$work/update-program
    shift
    rm -rf "$folder"
    mkdir -p "$folder"
    {
        printf '[UPDATEFILELIST]\r\nUPDATEFILECOUNT=%d\r\nFILENETADDRESS=%s/\r\n' $# "$base"
        local i=0 pair
        for pair in "$@"; do
            printf 'FileIndex%d=%s\r\nFileCheckNum%d=%s\r\n' $i "${pair%%=*}" $i "${pair#*=}"
            i=$((i + 1))
        done
    } >"$folder/LobbyUpdate.log"
    local line
    line=$(figures "$bin/$program" "$(windows_path "$folder")") || { rm -rf "$folder"; return 1; }
    rm -rf "$folder"
    echo "$line"
}
# The faster of two runs.
update_best() {
    local first second
    first=$(update_once "$@") && second=$(update_once "$@") || return 1
    printf '%s\n%s\n' "$first" "$second" | sort -n | head -1
}

line=$(update_best update_bench.exe "big.bin=$big_sum")
read -r mgr_seconds mgr_rate mgr_peak mgr_start _ mgr_tail <<<"$line"
# The manager hashes on a second thread: with the wineserver and the program free to move, the
# hashing can run beside the receiving.
loose_mgr_rate=-
if [ -n "$server_pid" ] && [ "$cpus" -ge 2 ]; then
    taskset -a -p -c "0-$((cpus - 1))" "$server_pid" >/dev/null
    pinned=0
    line=$(update_best update_bench.exe "big.bin=$big_sum") && read -r _ loose_mgr_rate _ <<<"$line"
    pinned=1
    taskset -a -p -c 0 "$server_pid" >/dev/null
fi

# --- 2. Update-list comparison ------------------------------------------------------------------

find "$set_dir" -type f -exec cat {} + >/dev/null  # both contenders read from the page cache
md5sum_seconds=
for _ in 1 2 3; do
    start=$(date +%s.%N)
    (cd "$set_dir" && "${pin0[@]}" md5sum -c --quiet "$set_list") ||
        { echo "md5sum -c found mismatches"; exit 1; }
    end=$(date +%s.%N)
    md5sum_seconds=$(awk -v b="$md5sum_seconds" -v s="$start" -v e="$end" \
        'BEGIN { t = e - s; print (b == "" || t < b ? t : b) }')
done
find "$set_dir" -type f -exec cat {} + >/dev/null
set_arguments=("$(windows_path "$set_dir")" "$(windows_path "$set_list")" 3)
line=$(figures "$bin/compare_bench.exe" "${set_arguments[@]}")
read -r compare_files compare_mismatches compare_seconds _ open_seconds <<<"$line"
find "$set_dir" -type f -exec cat {} + >/dev/null
line=$(figures_unpinned "$bin/compare_bench.exe" "${set_arguments[@]}")
read -r _ _ loose_compare_seconds _ loose_open_seconds <<<"$line"
[ "$compare_files" -eq 2000 ] && [ "$compare_mismatches" -eq 0 ] ||
    { echo "compare_bench: $compare_mismatches of $compare_files files mismatched"; exit 1; }

# --- 3. Peak memory against update size ---------------------------------------------------------

line=$(update_once update_bench.exe "mid.bin=$mid_sum")
read -r small_seconds small_rate small_peak small_start _ _ <<<"$line"
line=$(update_once update_bench.exe \
    "big0.bin=$big_sum" "big1.bin=$big_sum" "big2.bin=$big_sum" "big3.bin=$big_sum")
read -r large_seconds large_rate large_peak large_start _ _ <<<"$line"

# --- Report ------------------------------------------------------------------------------------

na() { if [ -n "$1" ]; then echo "$1"; else echo "-"; fi; }
if [ "$cpus" -ge 2 ]; then
    placement="Wine side and native contenders on processor 0, nginx on processor 1"
else
    placement="one processor: everything shares it"
fi
awk -v curl="$curl_rate" -v http="$http_rate" -v loose="$(na "$loose_rate")" \
    -v window="$window_rate" \
    -v mgr="$mgr_rate" -v mgrs="$mgr_seconds" -v mgrt="$mgr_tail" -v lmgr="$loose_mgr_rate" \
    -v sn="$(na "$split_narrow")" \
    -v md5s="$md5sum_seconds" -v cmps="$compare_seconds" -v opens="$open_seconds" \
    -v lcmps="$(na "$loose_compare_seconds")" -v lopens="$(na "$loose_open_seconds")" \
    -v s64="$small_seconds" -v r64="$small_rate" -v p64="$small_peak" -v b64="$small_start" \
    -v p256="$mgr_peak" -v b256="$mgr_start" \
    -v s1g="$large_seconds" -v r1g="$large_rate" -v p1g="$large_peak" -v b1g="$large_start" \
    -v placement="$placement" -v cpus="$cpus" \
    -v load="$load_before / $(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
    row = "  %-46s %8.1f MiB/s  %.2fx curl\n"
    printf "%s\n\n", placement
    printf "1. one 256 MiB file from nginx on loopback (page cache); best of 3 (manager: of 2)\n"
    printf "  %-46s %8.1f MiB/s\n", "curl -o /dev/null, native", curl
    printf row, "HttpDownloadSocket, Wine", http, http / curl
    if (loose != "-") printf row, "  not pinned", loose, loose / curl
    printf row, "  thread with a top-level window (X display)", window, window / curl
    printf "  %-46s %8.1f MiB/s  %.2fx curl  %.2fx HttpDownloadSocket\n",
        "DownloadManager: to disk, MD5, install; Wine", mgr, mgr / curl, mgr / http
    if (lmgr != "-") printf row, "  not pinned (hashing beside receiving)", lmgr, lmgr / curl
    printf "  %-46s %8.2f s of its %.2f s\n", "  after the last byte (MD5 end, moves)", mgrt, mgrs
    if (sn != "-") {
        printf "  one data callback (one socket message, one recv), single download:\n"
        printf "    %-18s %8s %9s %15s %19s\n", "receive chunk", "bytes", "wall us",
            "program CPU us", "wineserver CPU us"
        row = "    %-18s %8d %9.1f %15.1f %19.1f\n"
        split(sn, a, " ")
        printf row, "65535 B (launcher)", a[1], a[2], a[3], a[4]
    }
    row = "  %-46s %8.2f s  %7.1f MiB/s  %.2fx md5sum -c\n"
    printf "\n2. update-list comparison: 2,000 files, 1 GiB (page cache); best of 3\n"
    printf "  %-46s %8.2f s  %7.1f MiB/s\n", "md5sum -c, native", md5s, 1024 / md5s
    printf row, "FileMd5Hex over every file, Wine", cmps, 1024 / cmps, md5s / cmps
    if (lcmps != "-") printf row, "  not pinned", lcmps, 1024 / lcmps, md5s / lcmps
    printf "  %-46s %8.2f s  (%.0f us a file)\n", "  opening and closing the files alone", opens,
        opens / 2000 * 1e6
    if (lopens != "-")
        printf "  %-46s %8.2f s  (%.0f us a file)\n", "    not pinned", lopens, lopens / 2000 * 1e6
    printf "\n3. download manager peak working set (GetProcessMemoryInfo) against update size\n"
    printf "  %-22s %8s %8s %10s %12s %8s\n", "update", "seconds", "MiB/s", "peak MiB",
        "before MiB", "growth"
    row = "  %-22s %8.2f %8.1f %10.1f %12.1f %8.1f\n"
    printf row, "1 x 64 MiB", s64, r64, p64, b64, p64 - b64
    printf row, "1 x 256 MiB (from 1.)", mgrs, mgr, p256, b256, p256 - b256
    printf row, "4 x 256 MiB = 1 GiB", s1g, r1g, p1g, b1g, p1g - b1g
    printf "  1 GiB peak / 64 MiB peak: %.2fx for 16x the bytes\n", p1g / p64
    printf "\nload average before / after: %s (%d processors)\n", load, cpus
}'
