#!/usr/bin/env python3
"""Runs hand-written mutants of the product code against the tests that should catch them.

Each mutant changes one fragment of one source file. The runner applies it, builds the given
targets, runs the given tests and puts the file back whatever happens. A mutant is "caught" when
a test fails, "missed" when every test passes, "broken" when it does not build.

A list file holds mutants separated by blank lines:

    T01 toolkit/combo_win.cpp
    build: win64 toolkit_tests
    tests: toolkit_tests
    - if (index < 0) return false;
    + if (index < 0) return true;

"build" names the preset folder under build/ and the targets to build; "tests" is a list of ctest
names. Each mutant holds build/<preset>.lock (flock) from its change to its restore, so people
building or testing in the same checkout under that lock never see a mutated source. Run from the root of the checkout to mutate (a worktree at an older commit can be
measured the same way): scripts/mutants.py LIST [ID...] (results on stdout, one line each).
"""
import contextlib
import fcntl
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path.cwd()


def parse(text):
    mutants = []
    for block in re.split(r"\n\s*\n", text.strip()):
        lines = [line for line in block.splitlines() if not line.startswith("#")]
        if not lines:
            continue
        ident, path = lines[0].split(maxsplit=1)
        fields = {"id": ident, "path": path.strip(), "old": [], "new": []}
        for line in lines[1:]:
            if line.startswith("build:"):
                preset, *targets = line[6:].split()
                fields["preset"], fields["targets"] = preset, targets
            elif line.startswith("tests:"):
                fields["tests"] = line[6:].split()
            elif line.startswith("- "):
                fields["old"].append(line[2:])
            elif line.startswith("+ "):
                fields["new"].append(line[2:])
            elif line in ("-", "+"):
                fields["old" if line == "-" else "new"].append("")
        fields["old"] = "\n".join(fields["old"])
        fields["new"] = "\n".join(fields["new"])
        mutants.append(fields)
    return mutants


@contextlib.contextmanager
def build_lock(build_dir):
    with open(f"{build_dir}.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        yield


def build(build_dir, targets):
    return subprocess.run(["cmake", "--build", build_dir, "--target", *targets],
                          capture_output=True).returncode == 0


def run(mutant):
    source = ROOT / mutant["path"]
    original = source.read_text(encoding="utf-8")
    if original.count(mutant["old"]) != 1:
        return "stale (fragment not found once)"
    build_dir = ROOT / "build" / mutant["preset"]
    with build_lock(build_dir):
        return run_locked(mutant, source, original, build_dir)


def run_locked(mutant, source, original, build_dir):
    try:
        source.write_text(original.replace(mutant["old"], mutant["new"]), encoding="utf-8")
        if not build(build_dir, mutant["targets"]):
            return "broken"
        pattern = "^(" + "|".join(mutant["tests"]) + ")$"
        tested = subprocess.run(["ctest", "--test-dir", build_dir, "-R", pattern],
                                capture_output=True, text=True)
        return "caught" if tested.returncode != 0 else "missed"
    finally:
        source.write_text(original, encoding="utf-8")


def main():
    wanted = set(sys.argv[2:])
    mutants = [m for m in parse(pathlib.Path(sys.argv[1]).read_text(encoding="utf-8"))
               if not wanted or m["id"] in wanted]
    for mutant in mutants:
        print(f"{mutant['id']} {run(mutant)} {mutant['path']}", flush=True)
    # The mutants' objects are still in the build folders: build the restored sources again.
    for preset, targets in {(m["preset"], tuple(m["targets"])) for m in mutants}:
        build_dir = ROOT / "build" / preset
        with build_lock(build_dir):
            build(build_dir, targets)


if __name__ == "__main__":
    main()
