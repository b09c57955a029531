# Shared settings of every Wine run (sourced). Only 64-bit Wine runs on these machines.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=-all
# Code page 936, as on the game hall's players' machines.
export LANG=zh_CN.UTF-8
# No Gecko or Mono install prompts: the tests need neither.
export WINEDLLOVERRIDES="mscoree=;mshtml="
