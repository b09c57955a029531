#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, as root; does nothing when all is there.
set -euo pipefail

packages=(
    cmake ninja-build g++ make                        # host build of the core and its tests
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix  # the two Windows targets
    libz-mingw-w64-dev zlib1g-dev                     # zlib for Windows and for the host
    libssl-dev openssl                                # OpenSSL: the native mkupdatelist signs lists
    googletest libgtest-dev                           # GoogleTest: source for Windows, library for the host
    clang-14 libclang-rt-14-dev                       # libFuzzer for the parsers
    wine wine64 xvfb xauth fonts-wqy-microhei         # Windows programs under Wine on a virtual display
    nginx                                             # the update server of the end-to-end tests
    python3                                           # the logon server stand-in's own test
    python3-pil                                       # generates the skin's images
    imagemagick                                       # screenshots of the windows under Xvfb
    locales                                           # zh_CN.UTF-8, from which Wine takes code page 936
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine converts command lines and file names with the Unix locale's character set and takes the
# Windows code page from its name: without a generated zh_CN.UTF-8 it falls back to ASCII.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    echo "generating the locale zh_CN.UTF-8"
    localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
