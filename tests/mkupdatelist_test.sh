#!/usr/bin/env bash
# The operator's mkupdatelist tool: building, printing, publishing and signing lists, refusals and
# exit codes.
set -u
tool=$1
failures=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: expected [$2], got [$3]"
        failures=$((failures + 1))
    fi
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
release=$work/release
mkdir -p "$release/data/maps" "$release/skin/empty-folder"
printf 'launcher' >"$release/Quarnel.exe"
printf 'one map' >"$release/data/maps/1.map"
printf 'lobby' >"$release/Lobby.dll"
head -c 200000 /dev/urandom >"$release/data/big.bin"
: >"$release/skin/empty.txt"
printf 'gbk' >"$release/skin/$(printf '\xdf\x5c').png"  # GBK, trail byte 0x5C

address=http://update.velmora.cn/Update/New/
"$tool" build "$release" "$address" "$work/Update.txt" >/dev/null; check "build exits 0" 0 $?
printed=$("$tool" print "$work/Update.txt"); check "print exits 0" 0 $?
check "address printed" "address: $address" "$(sed -n 1p <<<"$printed")"
check "entry count printed" "entries: 6" "$(sed -n 2p <<<"$printed")"
check "names relative, with '/', in byte order" \
    "Lobby.dll Quarnel.exe data/big.bin data/maps/1.map skin/empty.txt skin/$(printf '\xdf\x5c').png" \
    "$(tail -n +3 <<<"$printed" | cut -c35- | tr '\n' ' ' | sed 's/ $//')"
check "checksums match md5sum" "" \
    "$(cd "$release" && tail -n +3 <<<"$printed" | LC_ALL=C md5sum --quiet -c - 2>&1)"

server=$work/server
"$tool" build "$release" "$address" "$work/published.txt" --publish "$server" >/dev/null
check "build --publish exits 0" 0 $?
check "Quarnel.exe published as Quarnel.dll" launcher "$(cat "$server/Quarnel.dll" 2>&1)"
check "no Quarnel.exe on the server" no "$([ -e "$server/Quarnel.exe" ] && echo yes || echo no)"
check "big file published" "" "$(cmp "$release/data/big.bin" "$server/data/big.bin" 2>&1)"
check "GBK name published" gbk "$(cat "$server/skin/$(printf '\xdf\x5c').png" 2>&1)"
check "published list is the same list, built again" "" "$(cmp "$work/Update.txt" "$work/published.txt" 2>&1)"
printf 'new launcher' >"$release/Quarnel.exe"
"$tool" build "$release" "$address" "$work/republished.txt" --publish "$server" >/dev/null
check "publishing again exits 0" 0 $?
check "publishing again replaces the files" "new launcher" "$(cat "$server/Quarnel.dll" 2>&1)"
printf 'launcher' >"$release/Quarnel.exe"

"$tool" build "$release" http://no.slash/files "$work/noslash.txt" 2>"$work/err" >/dev/null
check "an address without a trailing '/' is kept" 0 $?
check "kept as given" "address: http://no.slash/files" "$("$tool" print "$work/noslash.txt" | sed -n 1p)"
for bad in http://no.path 'http://h/x\..\..\Windows'; do
    "$tool" build "$release" "$bad" "$work/x.txt" >/dev/null 2>&1; check "address $bad" 1 $?
done

empty=$work/empty-release
mkdir "$empty"
"$tool" build "$empty" "$address" "$work/empty.txt" >/dev/null; check "empty release exits 0" 0 $?
check "empty release lists nothing" "entries: 0" "$("$tool" print "$work/empty.txt" | sed -n 2p)"

refused() {  # refused DESCRIPTION FILE_TO_ADD
    local bad=$work/bad-release
    rm -rf "$bad" "$work/bad.txt" && cp -r "$release" "$bad" && mkdir -p "$(dirname "$bad/$2")" && : >"$bad/$2"
    "$tool" build "$bad" "$address" "$work/bad.txt" >/dev/null 2>"$work/err"
    check "$1: exit 1" 1 $?
    check "$1: says why" 1 "$(grep -c '^mkupdatelist: ' "$work/err")"
    check "$1: no list written" no "$([ -e "$work/bad.txt" ] && echo yes || echo no)"
}
refused "a name of 129 bytes" "$(printf 'n%.0s' $(seq 129))"
refused "a device name" "skin/NUL.png"
refused "the launcher's served name beside it" "Quarnel.dll"
refused "names alike to Windows" "lobby.DLL"
refused "a backslash beside a folder" 'data\big.bin'
mkdir -p "$release/bin" && printf 'other' >"$release/bin/Quarnel.exe"
"$tool" build "$release" "$address" "$work/bin.txt" --publish "$work/bin-server" >/dev/null
check "Quarnel.exe in a folder is an ordinary file" "other" "$(cat "$work/bin-server/bin/Quarnel.exe")"
rm -r "$release/bin"
mkdir "$work/linked" && ln -s "$work/linked" "$release/link"
"$tool" build "$release" "$address" "$work/bad.txt" >/dev/null 2>&1; check "a linked folder" 1 $?
rm "$release/link"

longest="$(printf 'n%.0s' $(seq 128))"
: >"$release/$longest"
"$tool" build "$release" "$address" "$work/long.txt" >/dev/null; check "128 bytes build" 0 $?
"$tool" print "$work/long.txt" | grep -q "  $longest\$"; check "128 bytes listed" 0 $?
rm "$release/$longest"

"$tool" build "$work/missing" "$address" "$work/x.txt" >/dev/null 2>&1; check "no such folder" 1 $?
"$tool" build "$release" "http://$(printf 'a%.0s' $(seq 260))/" "$work/x.txt" >/dev/null 2>&1
check "address over 259 bytes" 1 $?
"$tool" build "$release" "$address" "$release/Update.txt" >/dev/null 2>&1
check "list inside the release" 1 $?
"$tool" build "$release" "$address" "$work/x.txt" --publish "$release/srv" >/dev/null 2>&1
check "server inside the release" 1 $?
"$tool" build "$release" "$address" "$work/nowhere/x.txt" >/dev/null 2>&1
check "unwritable list" 1 $?

head -c 100 /dev/urandom >"$work/junk.txt"
"$tool" print "$work/junk.txt" >/dev/null 2>"$work/err"; check "junk list refused" 1 $?
grep -q "update list: zlib data corrupt" "$work/err"; check "junk list reason" 0 $?
"$tool" print "$work/missing.txt" >/dev/null 2>&1; check "missing list refused" 1 $?

# Signing: a key pair once, a signature per release, checked as the launcher checks it.
keys=$work/keys
mkdir "$keys"
"$tool" keygen "$keys/private.pem" "$keys/UpdateKey.pem" >/dev/null; check "keygen exits 0" 0 $?
check "private key for its owner only" 600 "$(stat -c %a "$keys/private.pem")"
check "and holds the private key's public half" "$(cat "$keys/UpdateKey.pem")" \
    "$(openssl pkey -in "$keys/private.pem" -pubout 2>&1)"
cp "$keys/UpdateKey.pem" "$work/key.before"
"$tool" keygen "$keys/private.pem" "$keys/other.pem" >/dev/null 2>"$work/err"
check "keygen over an existing key: exit 1" 1 $?
grep -q "never overwritten" "$work/err"; check "and says so" 0 $?
check "and writes no half pair" no "$([ -e "$keys/other.pem" ] && echo yes || echo no)"
"$tool" keygen "$keys/new.pem" "$keys/UpdateKey.pem" >/dev/null 2>&1
check "keygen over an existing public key: exit 1" 1 $?
check "keeps the public key" "" "$(cmp "$keys/UpdateKey.pem" "$work/key.before" 2>&1)"
check "and writes no half pair" no "$([ -e "$keys/new.pem" ] && echo yes || echo no)"
"$tool" keygen "$keys/lone.pem" "$keys/missing/UpdateKey.pem" >/dev/null 2>&1
check "keygen whose public key cannot be made: exit 1" 1 $?
check "and takes its private key back" no "$([ -e "$keys/lone.pem" ] && echo yes || echo no)"

"$tool" sign "$work/Update.txt" "$keys/private.pem" 7 >/dev/null; check "sign exits 0" 0 $?
printed=$("$tool" verify "$work/Update.txt" "$keys/UpdateKey.pem"); check "verify exits 0" 0 $?
check "verify prints the serial" "serial: 7" "$(sed -n 1p <<<"$printed")"
# What is signed: the signature file's first 10 bytes, then the list. openssl checks it by itself.
python3 -c 'import sys
sig = open(sys.argv[1], "rb").read()
def integer(b):
    b = b.lstrip(b"\0") or b"\0"
    b = b"\0" + b if b[0] & 0x80 else b
    return bytes([2, len(b)]) + b
body = integer(sig[10:42]) + integer(sig[42:74])
open(sys.argv[2], "wb").write(bytes([0x30, len(body)]) + body)
open(sys.argv[3], "wb").write(sig[:10] + open(sys.argv[4], "rb").read())' \
    "$work/Update.txt.sig" "$work/sig.der" "$work/signed" "$work/Update.txt"
check "openssl verifies it" "Verified OK" "$(openssl dgst -sha256 -verify "$keys/UpdateKey.pem" \
    -signature "$work/sig.der" "$work/signed" 2>&1)"

flipped() {  # flipped FILE OFFSET: FILE with the byte at OFFSET inverted
    python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); o = int(sys.argv[2])
d[o] ^= 0xff; open(sys.argv[1], "wb").write(d)' "$1" "$2"
}
cp "$work/Update.txt" "$work/Flipped.txt" && cp "$work/Update.txt.sig" "$work/Flipped.txt.sig"
flipped "$work/Flipped.txt" 20
"$tool" verify "$work/Flipped.txt" "$keys/UpdateKey.pem" >/dev/null 2>"$work/err"
check "a flipped byte in the list: exit 1" 1 $?
grep -q "Flipped.txt.sig' does not match" "$work/err"; check "and says so" 0 $?
cp "$work/Update.txt" "$work/Flipped.txt" && flipped "$work/Flipped.txt.sig" 6
"$tool" verify "$work/Flipped.txt" "$keys/UpdateKey.pem" >/dev/null 2>&1
check "a changed serial: exit 1" 1 $?
"$tool" keygen "$keys/stranger.pem" "$keys/stranger.pub" >/dev/null
"$tool" verify "$work/Update.txt" "$keys/stranger.pub" >/dev/null 2>&1
check "another hall's key: exit 1" 1 $?
"$tool" verify "$work/Update.txt" "$keys/private.pem" >/dev/null 2>"$work/err"
check "a private key given to verify: exit 1" 1 $?
grep -q "launcher would refuse" "$work/err"; check "and says the launcher would refuse it" 0 $?

"$tool" sign "$work/Update.txt" "$keys/private.pem" 3 >/dev/null 2>"$work/err"
check "an older serial is signed" 0 $?
grep -q "launchers that took it refuse release 3" "$work/err"; check "with a warning" 0 $?
for serial in 0 4294967296 -1 x; do
    "$tool" sign "$work/Update.txt" "$keys/private.pem" "$serial" >/dev/null 2>&1
    check "serial '$serial' refused" 1 $?
done
"$tool" sign "$work/Update.txt" "$keys/private.pem" 4294967295 >/dev/null
check "the largest serial signs" "serial: 4294967295" \
    "$("$tool" verify "$work/Update.txt" "$keys/UpdateKey.pem" | sed -n 1p)"
"$tool" sign "$work/junk.txt" "$keys/private.pem" 8 >/dev/null 2>&1; check "signing junk refused" 1 $?
check "and writes no signature" no "$([ -e "$work/junk.txt.sig" ] && echo yes || echo no)"
"$tool" sign "$work/Update.txt" "$keys/UpdateKey.pem" 8 >/dev/null 2>&1
check "signing with the public key refused" 1 $?
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-384 -out "$keys/p384.pem" 2>/dev/null
"$tool" sign "$work/Update.txt" "$keys/p384.pem" 8 >/dev/null 2>&1; check "a P-384 key refused" 1 $?

"$tool" >/dev/null 2>&1; check "no argument is a usage error" 2 $?
"$tool" build "$release" "$address" "$work/x.txt" --frobnicate "$work/s" >/dev/null 2>&1
check "unknown option is a usage error" 2 $?
"$tool" sign "$work/Update.txt" "$keys/private.pem" >/dev/null 2>&1
check "sign without a serial is a usage error" 2 $?
"$tool" --help | grep -q "mkupdatelist verify LIST PUBLIC_KEY"; check "--help tells of signing" 0 $?

if [ $failures -eq 0 ]; then echo "mkupdatelist: all checks passed"; fi
exit $((failures > 0))
