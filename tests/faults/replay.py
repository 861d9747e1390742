#!/usr/bin/env python3
"""Puts each known fault into the code in turn, builds, runs the tests that should catch it and
puts the code back. Prints, for every fault, the tests that failed, and exits non-zero when a
fault is caught by none of them (or when it no longer applies or builds).

    tests/faults/replay.py [--build FOLDER] [--list FILE] [NAME ...]

The faults are in tests/faults/*.faults, one section each:

    [name-of-the-fault]
    file = phonebook/PhoneBook.cpp
    find = return first + 1;
    replace = return first;
    tests = ^PhoneBookTest\\.

find is text that occurs exactly once in the file (one line, taken as it stands), replace is what
the fault puts in its place, and tests is a ctest regular expression naming the tests that
should catch it. A find of several lines is written with "\\n" between them.
"""
import argparse
import configparser
import json
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]


def load_faults(only_list):
    faults = []
    for path in sorted((ROOT / "tests" / "faults").glob(only_list or "*.faults")):
        parser = configparser.ConfigParser(interpolation=None, strict=True)
        parser.optionxform = str
        parser.read(path, encoding="utf-8")
        for name in parser.sections():
            section = parser[name]
            faults.append({
                "name": name,
                "list": path.name,
                "file": section["file"],
                "find": section["find"].replace("\\n", "\n"),
                "replace": section["replace"].replace("\\n", "\n"),
                "tests": section["tests"],
            })
    return faults


def run(command, **kwargs):
    return subprocess.run(command, cwd=ROOT, text=True, capture_output=True, **kwargs)


def programs_of(build, regex):
    """The targets that build the programs running the matching tests, or every target when one
    of them is not a program of this build (a script, say)."""
    listed = run(["ctest", "--test-dir", str(build), "-N", "-R", regex, "--show-only=json-v1"])
    targets = set()
    for test in json.loads(listed.stdout or "{}").get("tests", []):
        program = pathlib.Path(test.get("command", [""])[0])
        if program.parent != build / "bin":
            return []
        targets.add(program.name)
    return sorted(targets)


def failed_tests(build, regex):
    result = run(["ctest", "--test-dir", str(build), "-j2", "--timeout", "300", "-R", regex])
    if "No tests were found" in result.stdout + result.stderr:
        return None
    failed = []
    for line in result.stdout.splitlines():
        # ctest's summary: "  12 - PhoneBookTest.Name (Failed)"
        parts = line.strip().split(" - ", 1)
        if len(parts) == 2 and parts[0].isdigit() and "(" in parts[1]:
            name, status = parts[1].rsplit(" (", 1)
            # A test that skipped itself or was not run caught nothing.
            if status.rstrip(")") not in ("Skipped", "Disabled", "Not Run"):
                failed.append(name)
    return failed


def replay(fault, build, built_targets):
    source = ROOT / fault["file"]
    original = source.read_bytes()
    text = original.decode("utf-8")
    count = text.count(fault["find"])
    if count != 1:
        return f"does not apply: the text occurs {count} times in {fault['file']}"
    source.write_bytes(text.replace(fault["find"], fault["replace"]).encode("utf-8"))
    try:
        # Only what the tests need: a fault costs one compile and a link or two.
        targets = programs_of(build, fault["tests"])
        built_targets.update(targets or ["all"])
        chosen = ["--target"] + targets if targets else []
        built = run(["cmake", "--build", str(build), "-j2"] + chosen)
        if built.returncode != 0:
            return "does not build:\n" + built.stdout[-2000:]
        failed = failed_tests(build, fault["tests"])
        if failed is None:
            return f"no test matches {fault['tests']}"
        return failed
    finally:
        source.write_bytes(original)


def main():
    arguments = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    arguments.add_argument("--build", default=str(ROOT / "build"))
    arguments.add_argument("--list", help="only the faults of this file, e.g. platform.faults")
    arguments.add_argument("names", nargs="*")
    options = arguments.parse_args()
    build = pathlib.Path(options.build).resolve()

    faults = [f for f in load_faults(options.list) if not options.names or f["name"] in options.names]
    missed = []
    built_targets = set()
    for number, fault in enumerate(faults, 1):
        print(f"[{number}/{len(faults)}] {fault['name']} ({fault['file']})", flush=True)
        outcome = replay(fault, build, built_targets)
        if isinstance(outcome, list) and outcome:
            for test in outcome:
                print(f"    caught by {test}")
        else:
            missed.append(fault["name"])
            print(f"    NOT CAUGHT: {outcome or 'every test passed'}")
    # Put what was built with a fault back in step with the untouched code.
    if built_targets:
        chosen = [] if "all" in built_targets else ["--target"] + sorted(built_targets)
        run(["cmake", "--build", str(build), "-j2"] + chosen)
    print(f"{len(faults) - len(missed)} of {len(faults)} faults caught")
    if missed:
        print("not caught: " + ", ".join(missed))
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
