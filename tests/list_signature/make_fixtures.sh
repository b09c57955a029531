#!/usr/bin/env bash
# make_fixtures.sh MKUPDATELIST FOLDER: signed update lists for the launcher's signature tests,
# made by the operator's own native tool (OpenSSL), so that the launcher's CNG check is tried
# against what operators really publish. FOLDER is made afresh:
#   UpdateKey.pem                     the hall's public key (private.pem signs)
#   Update.txt, Update.txt.sig        a list signed as release 5
#   Older.txt, Older.txt.sig          another list, signed as release 3
#   Stranger.txt, Stranger.txt.sig    Update.txt signed as release 5 by another key
set -euo pipefail
tool=$1
out=$2
if [ ! -x "$tool" ]; then
    echo "make_fixtures: no native mkupdatelist at $tool: build the native preset first" >&2
    exit 1
fi
rm -rf "$out"
mkdir -p "$out/release/data"
printf 'launcher' >"$out/release/Quarnel.exe"
printf 'lobby' >"$out/release/Lobby.dll"
printf 'map' >"$out/release/data/1.map"

"$tool" build "$out/release" http://127.0.0.1/Update/New/files/ "$out/Update.txt" >/dev/null
"$tool" build "$out/release" http://127.0.0.1/Update/Old/files/ "$out/Older.txt" >/dev/null
cp "$out/Update.txt" "$out/Stranger.txt"
"$tool" keygen "$out/private.pem" "$out/UpdateKey.pem" >/dev/null
"$tool" keygen "$out/stranger.pem" "$out/stranger.pub" >/dev/null
"$tool" sign "$out/Update.txt" "$out/private.pem" 5 >/dev/null
"$tool" sign "$out/Older.txt" "$out/private.pem" 3 >/dev/null
"$tool" sign "$out/Stranger.txt" "$out/stranger.pem" 5 >/dev/null
