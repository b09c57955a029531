#!/usr/bin/env bash
# Builds everything (host, win64, win32, fuzzers; warnings are errors) and runs every test:
# the core natively and fuzzed, the Windows programs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

for preset in native fuzz win64 win32; do
    echo "== build $preset"
    cmake --preset "$preset" -DGATEVANE_WERROR=ON >/dev/null
    cmake --build --preset "$preset"
done

status=0
for preset in native fuzz win64; do
    echo "== test $preset"
    ctest --preset "$preset" --parallel 2 || status=1
done
exit $status
