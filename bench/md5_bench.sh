#!/usr/bin/env bash
# The launcher's file checksum against md5sum on the same 256 MiB file, natively and (the Windows
# build) under Wine. Prints throughputs and ratios; never fails on timing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build/bench
mkdir -p "$work"

cmake -S . -B "$work/native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGATEVANE_TESTS=OFF >/dev/null
cmake --build "$work/native" --target file_md5_bench >/dev/null
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target file_md5_bench >/dev/null

data=$work/data-256MiB.bin
if [ ! -f "$data" ] || [ "$(stat -c %s "$data")" -ne 268435456 ]; then
    head -c 268435456 /dev/urandom >"$data"
fi
cat "$data" >/dev/null  # every contender reads from the page cache

best_md5sum=0
reference=
for _ in 1 2 3; do
    start=$(date +%s.%N)
    reference=$(md5sum "$data" | cut -d' ' -f1)
    end=$(date +%s.%N)
    best_md5sum=$(awk -v b="$best_md5sum" -v s="$start" -v e="$end" 'BEGIN { r = 256 / (e - s); print (r > b ? r : b) }')
done

read -r native_sum native_rate < <("$work/native/bench/file_md5_bench" "$data" 3)

source tests/wine/wine-env.sh
"$root/tests/wine/wine-session.sh" start "$work/wine" >/dev/null
source "$work/wine/session.env"
wine_data="Z:${data//\//\\}"
read -r wine_sum wine_rate < <("$WINE" "$root/build/win64/bin/file_md5_bench.exe" "$wine_data" 3 | tr -d '\r')
"$root/tests/wine/wine-session.sh" stop "$work/wine" >/dev/null

for sum in "$native_sum" "$wine_sum"; do
    [ "$sum" = "$reference" ] || { echo "checksum mismatch: $sum, md5sum says $reference"; exit 1; }
done
awk -v m="$best_md5sum" -v n="$native_rate" -v w="$wine_rate" 'BEGIN {
    printf "file checksum of 256 MiB (page cache), best of 3 runs\n"
    printf "  md5sum                    %8.1f MiB/s\n", m
    printf "  FileMd5Hex core, native   %8.1f MiB/s  %.2fx md5sum\n", n, n / m
    printf "  FileMd5Hex, Windows/Wine  %8.1f MiB/s  %.2fx md5sum\n", w, w / m
}'
