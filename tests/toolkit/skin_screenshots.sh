#!/usr/bin/env bash
# skin_screenshots.sh WINE_DIR BIN_DIR OUT_DIR: draws every skin of the launcher with SkinPreview
# (the toolkit as the launcher uses it) under the session's Xvfb, keeps the screenshots in OUT_DIR
# for people to look at, and checks that each skin was built with all the controls the launcher
# looks up by name.
set -euo pipefail
wine_dir=$1
bin=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../wine/wine-env.sh"
source "$wine_dir/session.env"
mkdir -p "$out"
failures=0

# shoot NAME SKIN [SkinPreview options]: one screenshot, and the list of the skin's named controls.
shoot() {
    local name=$1 skin=$2
    shift 2
    local png="$out/$name.png" list="$out/$name.controls"
    rm -f "$png"
    if ! (cd "$bin" && timeout 60 "$WINE" SkinPreview.exe "$skin" --list \
            --screenshot "Z:${png//\//\\}" "$@" </dev/null 2>&1 | tr -d '\r' | iconv -f GBK -t UTF-8 >"$list"); then
        echo "FAIL $name: SkinPreview failed"; cat "$list"; failures=$((failures + 1)); return
    fi
    # A screenshot of a drawn window is a real picture, not an empty or blank file.
    local size
    size=$(stat -c %s "$png" 2>/dev/null || echo 0)
    if [ "$size" -lt 8000 ]; then
        echo "FAIL $name: screenshot missing or blank ($size bytes)"; failures=$((failures + 1)); return
    fi
    echo "ok   $name: $png ($size bytes, $(wc -l <"$list") named controls)"
}

# expect NAME CONTROL...: every control is in the skin's list.
expect() {
    local name=$1 control
    shift
    for control in "$@"; do
        if ! cut -f1 "$out/$name.controls" | grep -qx "$control"; then
            echo "FAIL $name: no control named $control"; failures=$((failures + 1))
        fi
    done
}

shoot login Login/login.xml
expect login backlayout web UpdateState AllFileProgress LogonRegister LogonAccount PassWord Account \
    SavePassword Logon Register QQLogon WXLogon LogonWeb WXLogonWeb LogonLineAuto LogonLine0 \
    LogonLine2 CloseWindow MinWindow GetPassword WebIndex RegisterTop Pay QQOnline
shoot login-qq-page Login/login.xml --select LogonRegister=1
shoot login-colour-skin Login/login.xml --bkimage backlayout=ColorSkin/Skin/bkg_7.jpg \
    --set UpdateState=正在检查更新... --disable Logon --disable Register
shoot messagebox MessageBox/MessageBox.xml --set content=帐号密码不能为空,请输入帐号密码后再尝试登录! \
    --hide button0 --hide button2
expect messagebox MessageBox_back content button0 button1 button2 closebtn
shoot messagebox-two-buttons MessageBox/MessageBox.xml --set content=确定要退出游戏大厅吗? --hide button1
shoot register Register/RegisterWnd_S.xml
expect register register_back Account_edit Account_option Account_tooltip NickName_edit \
    NickName_option NickName_tooltip RandNickname_bt Pass_edit Pass_option Pass2_edit Pass2_option \
    RealName_edit UserCardID_edit SpeedUserName_edit ValidateCode ValidateCode_edit register_bt \
    cancel_bt close_bt Licence_bt Registertabs NorRegister_bt TelPhoneRegister_bt TelPhoneRegisterWeb
shoot register-marks Register/RegisterWnd_S.xml --show Account_option --show Pass_option \
    --set Account_tooltip=该帐号已被注册 --set NickName_edit=逍遥剑客
shoot register-phone-page Register/RegisterWnd_S.xml --select Registertabs=1

[ $failures -eq 0 ] || { echo "$failures failures"; exit 1; }
