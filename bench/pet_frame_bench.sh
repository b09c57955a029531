#!/usr/bin/env bash
# The pet's frame cost under Wine (bench/pet_frame_bench.cpp): RenderFrame of a 165 x 165 pet in
# both alpha modes and the per-pixel alpha pass, against memcpy measured in the same run. Builds
# what it needs (win64); its Wine session lives in build/bench/pet-wine. Never fails on timing.
#
# Each UpdateLayeredWindow is a round trip through the wineserver to Xvfb; with the three
# processes free to move between processors every trip may wake an idle one, which costs more than
# the drawing and makes the figures jump between runs. So the session (Xvfb, the wineserver) and
# the program run on processor 0, as in bench/update_bench.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build/bench
mkdir -p "$work"
[ -d build/win64 ] || cmake --preset win64 >/dev/null
cmake --build --preset win64 --target pet_frame_bench movie_player pet_movie >/dev/null
pin=()
[ "$(nproc)" -ge 2 ] && pin=(taskset -c 0)
source tests/wine/wine-env.sh
"${pin[@]}" "$root/tests/wine/wine-session.sh" start "$work/pet-wine" >/dev/null
trap '"$root/tests/wine/wine-session.sh" stop "$work/pet-wine" >/dev/null' EXIT
source "$work/pet-wine/session.env"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
"${pin[@]}" "$WINE" "$root/build/win64/bin/pet_frame_bench.exe" "$@" | tr -d '\r'
