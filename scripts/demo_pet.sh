#!/usr/bin/env bash
# The desktop pet's demo under Wine: the stand-in movie player is registered, a window of the game
# hall (PetWatchedWindow.exe, full screen, colourful) is opened, and OstrelPet.dll is started to
# watch it. The pet stands in the lower right corner with soft edges, is clicked (the watched
# window reports message 1111), right-clicked (nothing), dragged, and ends about two seconds after
# the watched window closes; then the same with a version 8 player, whose alpha the pet makes from
# two renders. Screenshots go to build/demo/screens/pet-*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh
echo "== building the pet"
[ -f build/win64/build.ninja ] || cmake --preset win64 >/dev/null
cmake --build --preset win64 --target OstrelPet movie_player pet_movie pet_watched_window \
    pet_frame_preview >/dev/null

demo=$root/build/demo
screens=$demo/screens
folder=$demo/pet-program
mkdir -p "$screens"
rm -f "$screens"/pet-*.png
rm -rf "$folder" && mkdir -p "$folder/TesselRes/Skin/OstrelSystem"
bin=$root/build/win64/bin
cp "$bin/OstrelPet.dll" "$bin/MoviePlayer.dll" "$bin/PetWatchedWindow.exe" \
    "$bin/PetFramePreview.exe" "$folder/"
cp "$bin/TesselRes/Skin/OstrelSystem/pet.swf" "$folder/TesselRes/Skin/OstrelSystem/"

source tests/wine/wine-env.sh
session=$demo/pet-wine
tests/wine/wine-session.sh start "$session" >/dev/null
driver_pid=
cleanup() {
    exec 3>&- 2>/dev/null || true
    [ -n "$driver_pid" ] && kill "$driver_pid" 2>/dev/null || true
    tests/wine/wine-session.sh stop "$session" >/dev/null
}
trap cleanup EXIT
source "$session/session.env"
class_key='HKLM\Software\Classes\CLSID\{D27CDB6E-AE6D-11CF-96B8-444553540000}'

echo "== the stand-in movie player registered under the Flash player's class id (per machine)"
(cd "$folder" && "$WINE" regsvr32 /s MoviePlayer.dll)
"$WINE" reg query "$class_key\\InprocServer32" 2>/dev/null | tr -d '\r' | iconv -f GBK -t UTF-8 |
    grep "REG_SZ" | sed 's/^ */  /'

# The watched window takes its commands from a pipe and answers in its log.
fifo=$demo/pet-commands
log=$demo/pet-watched.log
rm -f "$fifo" "$log" && mkfifo "$fifo"
(cd "$folder" && exec "$WINE" PetWatchedWindow.exe GameHall <"$fifo" >"$log" 2>/dev/null) &
driver_pid=$!
exec 3>"$fifo"
answers=0
ask() {  # ask COMMAND: sends it and prints the answer lines that arrive
    echo "$1" >&3
    answers=$((answers + 1))
    for _ in $(seq 300); do
        [ "$(grep -vc '^message 1111' "$log" 2>/dev/null || true)" -gt "$answers" ] && break
        sleep 0.1
    done
    sed -n "$((printed + 1)),\$p" "$log" | tr -d '\r' | sed 's/^/  /'
    printed=$(wc -l <"$log")
}
printed=0
for _ in $(seq 100); do grep -q "open" "$log" 2>/dev/null && break; sleep 0.1; done
sed 's/^/  /' "$log" | tr -d '\r'
printed=$(wc -l <"$log")

shots=0
next_png() {  # next_png NAME: the next numbered screenshot's file
    shots=$((shots + 1))
    png=$screens/pet-$shots-$1.png
}

shoot() {  # shoot NAME [CROP]: the whole screen, or a part of it enlarged 3 times
    next_png "$1"
    if [ -n "${2:-}" ]; then
        import -window root -crop "$2" +repage -filter point -resize 300% "$png"
    else
        import -window root "$png"
    fi
    echo "  -> $png"
}

pet_crop() {  # the pet's rectangle as a crop geometry, from the last "pet at X,Y, WxH"
    grep -o 'pet at [0-9-]*,[0-9-]*, [0-9]*x[0-9]*' "$log" | tail -1 |
        sed -E 's/pet at ([0-9-]+),([0-9-]+), ([0-9]+)x([0-9]+)/\3x\4+\1+\2/'
}

pet_round() {  # pet_round VERSION
    local version=$1
    "$WINE" reg add "$class_key" /v PlayerVersion /t REG_DWORD /d "$version" /f >/dev/null 2>&1
    echo
    echo "== OstrelPet.dll /Title:GameHall with a version $version player"
    (cd "$folder" && "$WINE" OstrelPet.dll /Title:GameHall; echo "  OstrelPet.dll ended, exit code $?") &
    local pet=$!
    ask wait-pet
    shoot "desktop-v$version"
    shoot "closeup-v$version" "$(pet_crop)"
    # Xvfb shows partly transparent pixels premultiplied, unblended; this is the same kind of frame
    # blended with its alpha, as a compositing desktop shows it.
    local bmp=$demo/pet-frame.bmp
    next_png "blended-v$version"
    (cd "$folder" && "$WINE" PetFramePreview.exe "Z:${bmp//\//\\}" | tr -d '\r' | sed 's/^/  /')
    convert "$bmp" -filter point -resize 300% "$png" && rm -f "$bmp"
    echo "  -> $png"
    if [ "$version" != 8 ]; then
        ask click
        ask right-click
        ask "drag -300 -200"
        shoot "dragged-v$version"
    fi
    local closed
    closed=$(date +%s.%N)
    ask close
    wait "$pet"
    awk -v a="$closed" -v b="$(date +%s.%N)" \
        'BEGIN { printf "  the pet ended %.1f s after the watched window closed\n", b - a }'
    shoot "ended-v$version"
    ask open
}

pet_round 10
pet_round 8
ask quit >/dev/null || true
