#!/usr/bin/env bash
# The operator's scramble tool: round trips, refusals and exit codes (the scrambling itself is the
# core tests' part).
set -u
tool=$1
failures=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
    [ "$2" = "$3" ] || { echo "FAIL: $1: expected [$2], got [$3]"; failures=$((failures + 1)); }
}
exits() { local code=$1 what=$2; shift 2; "$tool" "$@" >/dev/null 2>&1; check "$what" "$code" $?; }

entry=$("$tool" 10.20.30.40); check "scramble exits 0" 0 $?
check "decode gives the address" 10.20.30.40 "$("$tool" --decode "$entry")"
[ "$("$tool" 10.20.30.40)" != "$entry" ]; check "two runs give other key bytes" 0 $?
longest=$(printf 'h%.0s' $(seq 63))
check "63 characters round trip" "$longest" "$("$tool" --decode "$("$tool" "$longest")")"
for bad in "${longest}h" "bad host" ""; do exits 1 "'$bad' refused" "$bad"; done
for bad in 0123 "zz${entry:2}"; do exits 1 "entry '$bad' refused" --decode "$bad"; done
# A lobby command line is longer than any address: only --decode-logon reads it.
logon="/Type:1 /ServerID:7 /Account:$(printf 'a%.0s' $(seq 40)) /PassWord:secret /RemPassword:1"
scrambled=$(python3 -c '
import sys
text = sys.argv[1].encode()
keys = [len(text), 17, 200, 3, 99]
units = -(-len(text) // 5) * 5
print("".join("%02x%02x" % (keys[i % 5], keys[i % 5] ^ (text[i] if i < len(text) else 0))
              for i in range(units)))' "$logon")
check "a lobby command line decodes" "$logon" "$("$tool" --decode-logon "$scrambled")"
exits 1 "but is no server address" --decode "$scrambled"
exits 2 "no argument is a usage error"
exits 2 "unknown option is a usage error" --frobnicate x
"$tool" --help | grep -q "usage: scramble"; check "--help prints usage" 0 $?

[ $failures -eq 0 ] && echo "scramble tool: all checks passed"
exit $((failures > 0))
