# Shared settings of every Wine run (sourced). Only 64-bit Wine runs on these machines.
WINE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-zh
WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=-all
# Code page 936 comes with $WINE; LANG names the language for the prefix.
export LANG=zh_CN.UTF-8
# No Gecko or Mono install prompts: the tests need neither.
export WINEDLLOVERRIDES="mscoree=;mshtml="
