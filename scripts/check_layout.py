#!/usr/bin/env python3
"""Checks the tree's two layout rules; prints each breach and exits 1 when there is any.

1. The split shows in the names: a file that includes a Windows header, or a Win32 file of the
   project (named x_win.h), is itself named x_win.cpp / x_win.h (x_win_test.cpp for its tests).
   Everything else is the platform-free core, which the native build compiles.
2. Includes run one way: tools, launcher, netservice, pet -> toolkit, contracts -> base. A lower
   folder never includes from a higher one.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
PRODUCT = ("base", "contracts", "toolkit", "netservice", "launcher", "pet", "tools")
# What each folder may include from the project (itself always).
ALLOWED = {
    "base": set(),
    "contracts": {"base"},
    "toolkit": {"base", "contracts"},
    "netservice": {"base", "contracts"},
    "launcher": {"base", "contracts", "toolkit"},
    "pet": {"base", "contracts", "toolkit"},
    "tools": {"base", "contracts", "toolkit", "launcher"},
}
WINDOWS_HEADER = re.compile(
    r"#include\s*<(windows|winsock2|ws2tcpip|objbase|ole2|oleauto|shlobj|shellapi|wininet|commctrl|"
    r"oleacc|exdisp|exdispid|mshtml|mshtmhst|tlhelp32|wincodec|xmllite|imm|bcrypt|wincrypt|psapi|"
    r"ocidl|olectl|docobj|servprov|urlmon|unknwn|oaidl|activscp|ddraw|dbghelp)\.h>",
    re.IGNORECASE)
PROJECT_INCLUDE = re.compile(r'#include\s*"([^"]+)"')


def is_win_name(path):
    return re.search(r"_win(_test)?\.(h|cpp)$", path.name) is not None


def breaches():
    for path in sorted(ROOT.glob("*/**/*")):
        relative = path.relative_to(ROOT)
        if relative.parts[0] not in PRODUCT or path.suffix not in (".h", ".cpp"):
            continue
        text = path.read_text(errors="replace")
        includes = PROJECT_INCLUDE.findall(text)
        if not is_win_name(path):
            if WINDOWS_HEADER.search(text):
                yield f"{relative}: includes a Windows header but is not named *_win"
            for included in includes:
                if re.search(r"_win\.h$", included):
                    yield f"{relative}: includes the Win32 header {included} but is not named *_win"
        folder = relative.parts[0]
        for included in includes:
            top = included.split("/")[0]
            if top != folder and top in ALLOWED and top not in ALLOWED[folder]:
                yield f"{relative}: includes {included}, from {top}/, which {folder}/ must not use"


def main():
    found = list(breaches())
    for line in found:
        print(line)
    print(f"layout: {len(found)} breaches")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
