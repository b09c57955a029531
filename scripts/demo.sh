#!/usr/bin/env bash
# The launcher doing its whole job under Wine, on this machine: a release of the hall published with
# mkupdatelist on Debian's nginx, the logon server stand-in answering on two of the nine lines, and
# three remembered accounts in the registry as the hall's other program writes them. The launcher
# is started, updates the hall (screenshots while it checks and while it downloads), starts the
# lobby without a logon and ends; started again it has nothing to fetch, a remembered account is
# picked from the open list and the logon is driven through the window's accessibility interface;
# the lobby host stand-in's command line is decoded and printed. Screenshots land in
# build/demo/screens/. Then the skins as the toolkit draws them, and the desktop pet
# (scripts/demo_pet.sh).
#
#   scripts/demo.sh [--keep-open]
#     --keep-open   at the end, leave a launcher open for a person to use (on $DISPLAY when it is
#                   set, else on the demo's own virtual screen) and wait until it is closed
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
keep_open=
[ "${1-}" = --keep-open ] && keep_open=1
person_display=${DISPLAY-}
scripts/install-deps.sh
echo "== building"
cmake --preset native >/dev/null && cmake --build --preset native --target scramble mkupdatelist \
    logon_server_standin >/dev/null
cmake --preset win64 >/dev/null && cmake --build --preset win64 >/dev/null

demo=$root/build/demo
program=$demo/program
release=$demo/release
www=$demo/www
screens=$demo/screens
bin=$root/build/win64/bin
native=$root/build/native
rm -rf "$program" "$release" "$www" "$screens" "$demo/logon.log"
mkdir -p "$program" "$release/Games" "$release/TesselRes/Lobby" "$www/Update/New/config" "$screens"

# The hall as installed: the launcher, the lobby host, the network component, the skin, a lobby
# library. The release changes the library and adds a news file in a sub-folder and a 3 MB game.
cp "$bin/Quarnel.exe" "$bin/Quarnel.run" "$bin/NetworkService.dll" "$program/"
cp -r "$bin/TesselRes" "$program/"
echo "lobby 1.0" >"$program/Lobby.dll"
echo "lobby 1.1" >"$release/Lobby.dll"
echo "本周活动: 周末双倍积分" >"$release/TesselRes/Lobby/news.txt"
head -c 3000000 /dev/urandom >"$release/Games/Chess.dat"

# Published as an operator does; the files come through /slow/ (256 KiB/s) so the download shows.
"$native/tools/mkupdatelist" build "$release" http://127.0.0.50:8050/slow/Update/New/files/ \
    "$www/Update/New/config/Update.txt" --publish "$www/Update/New/files" >/dev/null
echo "== the release, as the launcher will read it"
"$native/tools/mkupdatelist" print "$www/Update/New/config/Update.txt" | sed 's/^/  /'

# The operator's files: nine logon lines on loopback (the stand-in answers on entries 3 and 7),
# the hall's sites on loopback, an image skin.
{
    echo "[logon]"
    echo "selected=0"
    for i in $(seq 0 8); do echo "logon$i=$("$native/tools/scramble" "127.0.0.$((i + 2))")"; done
} >"$program/ServerInfo.ini"
{
    echo "[Hosts]"
    echo "UpdateHost=127.0.0.50:8050"
    for key in AdHost AccountHost WebHost ShopHost PayHost ForumHost WeChatHost; do
        echo "$key=127.0.0.51:8051"
    done
} >"$program/Gatevane.ini"
printf '[Skin]\nKind=0\nImage=3\n' >"$program/SkinInfo.ini"

source tests/wine/wine-env.sh
tests/wine/wine-session.sh start "$demo/wine" >/dev/null
servers=()
cleanup() {
    for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done
    tests/wine/wine-session.sh stop "$demo/wine" >/dev/null
}
trap cleanup EXIT
source "$demo/wine/session.env"
windows_program="Z:${program//\//\\}"
win() {  # a Windows program's output, in UTF-8 (through a file: Wine's own helper processes can
          # keep a pipe open after the program ends)
    local out=$demo/wine-output.txt
    local status=0
    "$WINE" "$@" >"$out" 2>&1 || status=$?
    tr -d '\r' <"$out" | iconv -f GBK -t UTF-8 -c
    return $status
}
driver() { win "$bin/WindowDriver.exe" "$@"; }
shot() { echo "Z:${screens//\//\\}\\$1.png"; }
start_launcher() { (cd "$program" && "$WINE" "$windows_program\\Quarnel.exe" "$@" >/dev/null 2>&1 &); }
launcher_gone() {
    for _ in $(seq 1 300); do
        pgrep -f 'demo.program.Quarnel\.exe' >/dev/null || return 0
        sleep 0.1
    done
    return 1
}
lobby_logon() {  # what the lobby host stand-in received, unscrambled
    local line
    for _ in $(seq 1 100); do  # the lobby writes it once it runs, after the launcher has ended
        [ -s "$program/Quarnel.run.cmdline" ] && break
        sleep 0.1
    done
    line=$(sed -n 's/^command line: \[\(.*\)\]$/\1/p' "$program/Quarnel.run.cmdline" | tail -1)
    if [ "${line:0:1}" = " " ]; then
        echo "  scrambled: ${line}"
        echo "  decoded:   $("$native/tools/scramble" --decode-logon "${line:1}" | iconv -f GBK -t UTF-8 -c)"
    else
        echo "  no logon (the command line holds only the program: [$line])"
    fi
    rm -f "$program/Quarnel.run.cmdline"
}

# Three remembered accounts, written as the hall's other program writes them.
users='HKCU\Software\Velmora\GameTessel\UserInfo'
remember() {  # remember ID ACCOUNT PASSWORD FACE GAMEID
    win reg add "$users\\$1" /v UserAccount /t REG_SZ /d "$2" /f >/dev/null
    [ -z "$3" ] || win reg add "$users\\$1" /v UserPassword /t REG_SZ \
        /d "$("$native/tools/scramble" "$3")" /f >/dev/null
    win reg add "$users\\$1" /v FaceID /t REG_DWORD /d "$4" /f >/dev/null
    win reg add "$users\\$1" /v GameID /t REG_DWORD /d "$5" /f >/dev/null
}
remember 20101 "星河漫步" "starry-42" 5 880101
remember 20102 "chess_master" "" 12 880102
remember 20103 "lucky7" "seven-7" 0 0
win reg add 'HKCU\Software\Velmora\GameTessel\OptionLogon' /v LastUserID /t REG_DWORD /d 20101 \
    /f >/dev/null

# The account "lucky7" is taken; the stand-in says so with a remark (GBK, given as bytes).
"$native/tests/logon_server/logon_server_standin" --listen 127.0.0.5 --listen 127.0.0.9 \
    --taken-hex 6c75636b7937=b8c3d5cabac5d2d1b1bbd7a2b2e1 --log "$demo/logon.log" \
    --lifetime 600 >/dev/null 2>&1 &
servers+=($!)

echo
echo "== 1. the update server is slow to answer: the launcher checks, logon waits"
python3 -c "import socket,time; s=socket.socket(); s.bind(('127.0.0.50',8050)); s.listen(); time.sleep(6)" &
silent=$!
sleep 0.5
start_launcher
driver --window GameLogin --wait "UpdateState=正在检查更新..." --pause 400 --shot "$(shot 1-checking)" \
    --print UpdateState --print Logon
win taskkill /f /im Quarnel.exe >/dev/null || true
launcher_gone
kill "$silent" 2>/dev/null || true
wait "$silent" 2>/dev/null || true

echo
echo "== 2. the update runs to its end, then the lobby starts without a logon"
tests/nginx/run-nginx.sh --listen 127.0.0.50:8050 --root "$www" --lifetime 600 >/dev/null 2>&1 &
servers+=($!)
sleep 1
start_launcher
driver --window GameLogin --wait "UpdateState=当前更新第1个" --pause 5000 \
    --shot "$(shot 2-downloading)" --print UpdateState --print AllFileProgress
launcher_gone
echo "  launcher ended; program folder: $(cd "$program" && ls | tr '\n' ' ')"
echo "  TesselRes/Lobby/news.txt: $(cat "$program/TesselRes/Lobby/news.txt")"
lobby_logon

echo
echo "== 3. started again: nothing to fetch, the last user picked, the list of remembered accounts"
start_launcher
driver --window GameLogin --wait "UpdateState=更新完成" --wait "LogonAccount=星河漫步" --pause 300 \
    --shot "$(shot 3-ready)" --print UpdateState --print LogonAccount --print SavePassword \
    --print LogonLineAuto --press Account --pause 600 --shot "$(shot 4-accounts)"
echo "  ServerInfo.ini: $(grep selected "$program/ServerInfo.ini") (the first line that answered)"

echo
echo "== 4. lucky7 picked, the password emptied: the form refuses"
driver --window GameLogin --item 2 --wait "LogonAccount=lucky7" --set PassWord= --click Logon \
    --window UIMessageBox --pause 300 --shot "$(shot 5-empty-fields)" --print content \
    --click button1 --gone UIMessageBox

echo
echo "== 5. the last user again, on the 网通 line, logs on"
driver --window GameLogin --item 0 --wait "LogonAccount=星河漫步" --click LogonLine2 --pause 300 \
    --click Logon
launcher_gone
lobby_logon

echo
echo "== 6. a new player opens the form: the live checks, the random nickname, a refused submit"
start_launcher /StartLogin:1
driver --window GameLogin --click Register --window GameRegister --pause 300 \
    --set Account_edit=lucky7 --focus Account_edit --focus NickName_edit \
    --wait "Account_tooltip=已被注册" --click RandNickname_bt --set Pass_edit=123456 \
    --set Pass2_edit=123456 --focus Pass_edit --focus Pass2_edit --focus RealName_edit --pause 400 \
    --shot "$(shot 6-register-marks)" --print Account_option --print Account_tooltip \
    --print NickName_edit --print NickName_tooltip --click register_bt --window UIMessageBox \
    --pause 300 --shot "$(shot 7-register-refused)" --print content --click button1 \
    --gone UIMessageBox --window GameRegister --click close_bt --gone GameRegister \
    --window GameLogin --print LogonAccount
echo "  (the form left, the login window is back)"
echo "  the logon server stand-in saw $(grep -c 'name-check' "$demo/logon.log") name check(s):"
grep 'name-check' "$demo/logon.log" | sed 's/^/    /' | iconv -f GBK -t UTF-8 -c

echo
echo "== 7. the player registers for real: the lobby gets the form (a Type 4 logon)"
driver --window GameLogin --click Register --window GameRegister --pause 300 \
    --set Account_edit=newplayer8 --click RandNickname_bt --set Pass_edit=Lucky2024x \
    --set Pass2_edit=Lucky2024x --set RealName_edit=张三 --set UserCardID_edit=440301199003071230 \
    --copy ValidateCode=ValidateCode_edit --click register_bt
launcher_gone
lobby_logon

if [ -n "$keep_open" ]; then
    echo
    echo "== the launcher stays open for you; close it to end the demo"
    [ -n "$person_display" ] && export DISPLAY=$person_display
    (cd "$program" && "$WINE" "$windows_program\\Quarnel.exe" /StartLogin:1 >/dev/null 2>&1) || true
fi

echo
echo "== the launcher's skins, as its toolkit draws them (SkinPreview, the skin authors' tool)"
for skin in Login/login.xml MessageBox/MessageBox.xml Register/RegisterWnd_S.xml; do
    name=$(basename "$skin" .xml)
    win "$bin/SkinPreview.exe" "$skin" --list --screenshot "$(shot "skin-$name")" |
        awk -F'\t' '{ printf "  %-22s %-18s %s\n", $1, $2, $4 }'
done
echo
echo "== screenshots"
ls "$screens" | sed "s|^|  $screens/|"

scripts/demo_pet.sh  # the desktop pet: placement, soft edges, click, drag, the watch
