#!/usr/bin/env bash
# Builds the launcher and runs its start-up under Wine on a sample program folder. The login window
# is not part of the launcher yet, so start-up ends after its settings and command line and says so
# in its debugger output, which the demo prints. Then it shows the skins as the toolkit draws them
# and saves their screenshots, and last the desktop pet (scripts/demo_pet.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh
echo "== building"
cmake --preset native >/dev/null && cmake --build --preset native --target scramble >/dev/null
cmake --preset win64 >/dev/null && cmake --build --preset win64 >/dev/null

demo=$root/build/demo
program=$demo/program
rm -rf "$program"
mkdir -p "$program"
cp build/win64/bin/Quarnel.exe build/win64/bin/Quarnel.run "$program/"
cp -r build/win64/bin/TesselRes "$program/"

# The operator's files: nine logon lines on loopback with line 7 selected, an image skin.
{
    echo "[logon]"
    echo "selected=7"
    for i in $(seq 0 8); do echo "logon$i=$(build/native/tools/scramble "127.0.0.$((i + 2))")"; done
} >"$program/ServerInfo.ini"
printf '[Skin]\nKind=0\nImage=3\n' >"$program/SkinInfo.ini"

source tests/wine/wine-env.sh
tests/wine/wine-session.sh start "$demo/wine" >/dev/null
trap 'tests/wine/wine-session.sh stop "$demo/wine" >/dev/null' EXIT
source "$demo/wine/session.env"
windows_program="Z:${program//\//\\}"

run() {  # run DESCRIPTION [ARGUMENTS...]
    echo
    echo "== $1"
    shift
    (cd "$program" && "$WINE" "$root/build/win64/bin/run_traced.exe" "$windows_program\\Quarnel.exe" "$@" 2>&1 | tr -d '\r')
}

run "start-up in the sample folder (the update check would run)"
run "started by the lobby with /StartLogin:1 (no update check)" /StartLogin:1

echo
echo "== a verified new launcher left in UpdateDownLoad by the last update"
mkdir -p "$program/UpdateDownLoad"
cp build/win64/bin/Quarnel.exe "$program/UpdateDownLoad/Quarnel.exe"
run "start-up copies itself to QuarnelOld.exe, which moves the new one over Quarnel.exe once the
   old one ended and starts it with the same command line" /StartLogin:1
sleep 2
echo "  program folder now: $(cd "$program" && ls | tr '\n' ' ')"
echo "  (the new launcher, not traced here, deletes QuarnelOld.exe in its own start-up; had the"
echo "   swapping copy still been running then, the next start would delete it)"

echo
echo "== the launcher's skins, as its toolkit draws them (SkinPreview, the skin authors' tool)"
screens=$demo/screens
rm -rf "$screens" && mkdir -p "$screens"
for skin in Login/login.xml MessageBox/MessageBox.xml Register/RegisterWnd_S.xml; do
    shot="$screens/$(basename "$skin" .xml).png"
    "$WINE" "$root/build/win64/bin/SkinPreview.exe" "$skin" --list --screenshot "Z:${shot//\//\\}" \
        2>&1 | tr -d '\r' | iconv -f GBK -t UTF-8 | awk -F'\t' '{ printf "  %-22s %-18s %s\n", $1, $2, $4 }'
    echo "  -> $shot"
done

scripts/demo_pet.sh  # the desktop pet: placement, soft edges, click, drag, the watch
