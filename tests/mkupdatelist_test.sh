#!/usr/bin/env bash
# The operator's mkupdatelist tool: building, printing, publishing and signing lists, refusals and
# exit codes. What the lists and signatures may hold is the core tests' part.
set -u
tool=$1
failures=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
    [ "$2" = "$3" ] || { echo "FAIL: $1: expected [$2], got [$3]"; failures=$((failures + 1)); }
}
# exits CODE DESCRIPTION COMMAND...: checks the exit code; stderr is left in $work/err
exits() { local code=$1 what=$2; shift 2; "$@" >/dev/null 2>"$work/err"; check "$what" "$code" $?; }
says() { grep -q "$2" "$work/err"; check "$1" 0 $?; }                  # says DESCRIPTION PATTERN
absent() { check "$1" no "$([ -e "$2" ] && echo yes || echo no)"; }  # absent DESCRIPTION PATH

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
release=$work/release
gbk=skin/$(printf '\xdf\x5c').png  # GBK, trail byte 0x5C
mkdir -p "$release/data/maps" "$release/skin/empty-folder"
printf launcher >"$release/Quarnel.exe"; printf 'one map' >"$release/data/maps/1.map"
printf lobby >"$release/Lobby.dll"; printf gbk >"$release/$gbk"; : >"$release/skin/empty.txt"
head -c 200000 /dev/urandom >"$release/data/big.bin"

address=http://update.velmora.cn/Update/New/
exits 0 "build" "$tool" build "$release" "$address" "$work/Update.txt"
printed=$("$tool" print "$work/Update.txt"); check "print exits 0" 0 $?
check "address and count printed" "address: $address entries: 6" \
    "$(head -n 2 <<<"$printed" | paste -sd ' ')"
check "names relative, with '/', in byte order" \
    "Lobby.dll Quarnel.exe data/big.bin data/maps/1.map skin/empty.txt $gbk" \
    "$(tail -n +3 <<<"$printed" | cut -c35- | paste -sd ' ')"
check "checksums match md5sum" "" \
    "$(cd "$release" && tail -n +3 <<<"$printed" | LC_ALL=C md5sum --quiet -c - 2>&1)"

server=$work/server
exits 0 "build --publish" \
    "$tool" build "$release" "$address" "$work/published.txt" --publish "$server"
check "Quarnel.exe published as Quarnel.dll" launcher "$(cat "$server/Quarnel.dll" 2>&1)"
absent "no Quarnel.exe on the server" "$server/Quarnel.exe"
check "big file published" "" "$(cmp "$release/data/big.bin" "$server/data/big.bin" 2>&1)"
check "GBK name published" gbk "$(cat "$server/$gbk" 2>&1)"
check "published list is the same list, built again" "" \
    "$(cmp "$work/Update.txt" "$work/published.txt" 2>&1)"
printf 'new launcher' >"$release/Quarnel.exe"
exits 0 "publishing again" "$tool" build "$release" "$address" "$work/again.txt" --publish "$server"
check "publishing again replaces the files" "new launcher" "$(cat "$server/Quarnel.dll" 2>&1)"
printf 'launcher' >"$release/Quarnel.exe"

exits 0 "no trailing '/'" "$tool" build "$release" http://no.slash/files "$work/noslash.txt"
check "kept as given" "address: http://no.slash/files" \
    "$("$tool" print "$work/noslash.txt" | head -n 1)"
for bad in http://no.path 'http://h/x\..\..\Windows' "http://$(printf 'a%.0s' $(seq 260))/"; do
    exits 1 "address $bad" "$tool" build "$release" "$bad" "$work/x.txt"
done
mkdir "$work/empty-release"
exits 0 "empty release" "$tool" build "$work/empty-release" "$address" "$work/empty.txt"
check "empty release lists nothing" "entries: 0" "$("$tool" print "$work/empty.txt" | sed -n 2p)"

refused() {  # refused DESCRIPTION FILE_TO_ADD
    local bad=$work/bad-release
    rm -rf "$bad" "$work/bad.txt" && cp -r "$release" "$bad"
    mkdir -p "$(dirname "$bad/$2")" && : >"$bad/$2"
    exits 1 "$1: exit 1" "$tool" build "$bad" "$address" "$work/bad.txt"
    check "$1: says why" 1 "$(grep -c '^mkupdatelist: ' "$work/err")"
    absent "$1: no list written" "$work/bad.txt"
}
refused "a name of 129 bytes" "$(printf 'n%.0s' $(seq 129))"
refused "a device name" "skin/NUL.png"
refused "the launcher's served name beside it" "Quarnel.dll"
refused "names alike to Windows" "lobby.DLL"
refused "a backslash beside a folder" 'data\big.bin'
mkdir -p "$release/bin" && printf 'other' >"$release/bin/Quarnel.exe"
"$tool" build "$release" "$address" "$work/bin.txt" --publish "$work/bin-server" >/dev/null
check "Quarnel.exe in a folder is an ordinary file" other \
    "$(cat "$work/bin-server/bin/Quarnel.exe")"
rm -r "$release/bin"
mkdir "$work/linked" && ln -s "$work/linked" "$release/link"
exits 1 "a linked folder" "$tool" build "$release" "$address" "$work/bad.txt"
rm "$release/link"
longest="$(printf 'n%.0s' $(seq 128))" && : >"$release/$longest"
exits 0 "128 bytes build" "$tool" build "$release" "$address" "$work/long.txt"
"$tool" print "$work/long.txt" | grep -q "  $longest\$"; check "128 bytes listed" 0 $?
rm "$release/$longest"

exits 1 "no such folder" "$tool" build "$work/missing" "$address" "$work/x.txt"
exits 1 "list inside the release" "$tool" build "$release" "$address" "$release/Update.txt"
exits 1 "server inside the release" \
    "$tool" build "$release" "$address" "$work/x.txt" --publish "$release/srv"
exits 1 "unwritable list" "$tool" build "$release" "$address" "$work/nowhere/x.txt"
head -c 100 /dev/urandom >"$work/junk.txt"
exits 1 "junk list refused" "$tool" print "$work/junk.txt"
says "junk list reason" "update list: zlib data corrupt"
exits 1 "missing list refused" "$tool" print "$work/missing.txt"

# Signing: a key pair once, a signature per release, checked as the launcher checks it (the
# launcher's own check of these signatures is the Wine list signature tests' part).
keys=$work/keys && mkdir "$keys"
exits 0 "keygen" "$tool" keygen "$keys/private.pem" "$keys/UpdateKey.pem"
check "private key for its owner only" 600 "$(stat -c %a "$keys/private.pem")"
check "public key is the private key's public half" "$(cat "$keys/UpdateKey.pem")" \
    "$(openssl pkey -in "$keys/private.pem" -pubout 2>&1)"
cp "$keys/UpdateKey.pem" "$work/key.before"
exits 1 "keygen over an existing key" "$tool" keygen "$keys/private.pem" "$keys/other.pem"
says "and says so" "never overwritten"
absent "and writes no half pair" "$keys/other.pem"
exits 1 "keygen over an existing public key" "$tool" keygen "$keys/new.pem" "$keys/UpdateKey.pem"
check "keeps the public key" "" "$(cmp "$keys/UpdateKey.pem" "$work/key.before" 2>&1)"
absent "and writes no half pair" "$keys/new.pem"
exits 1 "keygen whose public key cannot be made" \
    "$tool" keygen "$keys/lone.pem" "$keys/missing/UpdateKey.pem"
absent "and takes its private key back" "$keys/lone.pem"

verified() { "$tool" verify "$work/Update.txt" "$keys/UpdateKey.pem" | head -n 1; }
exits 0 "sign" "$tool" sign "$work/Update.txt" "$keys/private.pem" 7
check "verify prints the serial" "serial: 7" "$(verified)"

cp "$work/Update.txt.sig" "$work/Flipped.txt.sig"
python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[20] ^= 0xff
open(sys.argv[2], "wb").write(d)' "$work/Update.txt" "$work/Flipped.txt"
exits 1 "a flipped byte in the list" "$tool" verify "$work/Flipped.txt" "$keys/UpdateKey.pem"
says "and says so" "Flipped.txt.sig' does not match"
"$tool" keygen "$keys/stranger.pem" "$keys/stranger.pub" >/dev/null
exits 1 "another hall's key" "$tool" verify "$work/Update.txt" "$keys/stranger.pub"
exits 1 "a private key given to verify" "$tool" verify "$work/Update.txt" "$keys/private.pem"
says "and says the launcher would refuse it" "launcher would refuse"

exits 0 "an older serial is signed" "$tool" sign "$work/Update.txt" "$keys/private.pem" 3
says "with a warning" "launchers that took it refuse release 3"
for serial in 0 4294967296 -1 x; do
    exits 1 "serial '$serial' refused" "$tool" sign "$work/Update.txt" "$keys/private.pem" "$serial"
done
"$tool" sign "$work/Update.txt" "$keys/private.pem" 4294967295 >/dev/null
check "the largest serial signs" "serial: 4294967295" "$(verified)"
exits 1 "signing junk refused" "$tool" sign "$work/junk.txt" "$keys/private.pem" 8
absent "and writes no signature" "$work/junk.txt.sig"
exits 1 "signing with the public key refused" \
    "$tool" sign "$work/Update.txt" "$keys/UpdateKey.pem" 8
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-384 -out "$keys/p384.pem" 2>/dev/null
exits 1 "a P-384 key refused" "$tool" sign "$work/Update.txt" "$keys/p384.pem" 8

exits 2 "no argument is a usage error" "$tool"
exits 2 "unknown option is a usage error" \
    "$tool" build "$release" "$address" "$work/x.txt" --frobnicate "$work/s"
exits 2 "sign without a serial is a usage error" "$tool" sign "$work/Update.txt" "$keys/private.pem"
"$tool" --help | grep -q "mkupdatelist verify LIST PUBLIC_KEY"; check "--help tells of signing" 0 $?

[ $failures -eq 0 ] && echo "mkupdatelist: all checks passed"
exit $((failures > 0))
