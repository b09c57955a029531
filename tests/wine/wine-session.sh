#!/usr/bin/env bash
# wine-session.sh start|stop DIR: the Wine session of one test run, kept in DIR.
#   start: makes the prefix template once, copies it to a fresh run prefix, starts a private Xvfb
#          display and a persistent wineserver, and writes DIR/session.env for the tests.
#   stop:  ends the wineserver and Xvfb and removes the run prefix.
set -euo pipefail
action=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"

template=$dir/prefix-template
prefix=$dir/prefix
env_file=$dir/session.env

stop_session() {
    [ -f "$env_file" ] || return 0
    # shellcheck disable=SC1090
    source "$env_file"
    WINEPREFIX=$WINEPREFIX "$WINESERVER" -k 2>/dev/null || true
    kill "$GATEVANE_XVFB_PID" 2>/dev/null || true
    rm -rf "$prefix" "$env_file" "$dir/tmp"
}

# Bumped whenever the template's contents change, so older templates are made again.
template_version=3

make_template() {
    [ "$(cat "$template/.ready" 2>/dev/null)" = "$template_version" ] && return 0
    echo "making the Wine prefix template (once per build folder)"
    rm -rf "$template"
    WINEPREFIX=$template "$WINE" wineboot --init >/dev/null 2>&1
    # The skins name the CJK font of Chinese Windows; here WenQuanYi Micro Hei draws it.
    local font
    for font in "Microsoft YaHei" "微软雅黑"; do
        WINEPREFIX=$template "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
            /v "$font" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
    done
    # Xvfb runs no window manager: unmanaged windows, or Wine waits 2 s for the focus to move
    # whenever an active window is destroyed.
    WINEPREFIX=$template "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        >/dev/null 2>&1
    WINEPREFIX=$template "$WINESERVER" -w
    echo "$template_version" >"$template/.ready"
}

start_display() {
    local display_file=$dir/display
    rm -f "$display_file"
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" \
        </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    [ -s "$display_file" ] || { echo "Xvfb did not start"; exit 1; }
    display=":$(tr -d '\n' <"$display_file")"
}

case $action in
start)
    mkdir -p "$dir"
    stop_session
    make_template
    cp -a "$template" "$prefix"
    start_display
    export WINEPREFIX=$prefix DISPLAY=$display
    setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1
    # Start the prefix's own services now, away from any test's output.
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
    cat >"$env_file" <<ENV
export WINEPREFIX='$prefix'
export DISPLAY='$display'
GATEVANE_XVFB_PID=$xvfb_pid
ENV
    mkdir -p "$dir/tmp"
    echo "Wine session ready: prefix $prefix, display $display"
    ;;
stop)
    stop_session
    echo "Wine session ended"
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
