#!/usr/bin/env python3
"""The flags every library source is compiled with, read off a build's compile_commands.json.

    python3 .ci/compile-flags.py BUILD --config Debug|Release --unicode on|off

Checks each of src/**/*.cpp and host/*.cpp that the build compiles (and that every src/ source
is compiled): C++ exceptions that unwind (/EHsc), the DLL runtime of the configuration (/MDd for
Debug, /MD otherwise) and the character set (-DUNICODE -D_UNICODE when wide, neither when
narrow). The last of clashing options counts, as it does for cl.exe. Exits 1 on any miss.
"""
import argparse
import glob
import json
import os
import re
import shlex
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def last(args, pattern):
    found = [a[1:] for a in args if re.fullmatch(pattern, a[1:]) and a[0] in "/-"]
    return found[-1] if found else None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--config", required=True)
    parser.add_argument("--unicode", choices=("on", "off"), required=True)
    opts = parser.parse_args()
    with open(os.path.join(opts.build, "compile_commands.json"), encoding="utf-8") as f:
        entries = json.load(f)
    # The files, not git's list: the planted breaks run in a copy of the tree without its history.
    tracked = [os.path.relpath(p, ROOT) for p in glob.glob(os.path.join(ROOT, "src", "**", "*.cpp"), recursive=True)]
    tracked += [os.path.relpath(p, ROOT) for p in glob.glob(os.path.join(ROOT, "host", "*.cpp"))]
    runtime = "MDd" if opts.config == "Debug" else "MD"
    faults, seen = [], set()
    for entry in entries:
        path = os.path.relpath(os.path.join(entry["directory"], entry["file"]), ROOT)
        args = shlex.split(entry["command"]) if "command" in entry else entry["arguments"]
        defined = {a[2:] for a in args if re.fullmatch(r"[/-]D\S+", a)}
        # A multi-config build lists every configuration's compiles, each with its CMAKE_INTDIR.
        intdir = next((d.split("=", 1)[1].strip("\"") for d in defined if d.startswith("CMAKE_INTDIR=")), opts.config)
        if path not in tracked or intdir != opts.config:
            continue
        seen.add(path)
        eh = last(args, r"EH\S*")
        if eh not in ("EHsc", "EHs", "EHa"):
            faults.append(f"{path}: exceptions {eh or 'off'} (no /EHsc)")
        if last(args, r"M[DT]d?") != runtime:
            faults.append(f"{path}: runtime {last(args, r'M[DT]d?') or 'none'}, not /{runtime} ({opts.config})")
        wide = {"UNICODE", "_UNICODE"} & defined
        if opts.unicode == "on" and wide != {"UNICODE", "_UNICODE"}:
            faults.append(f"{path}: narrow ({' '.join(sorted(wide)) or 'no UNICODE'}), the build is wide")
        if opts.unicode == "off" and wide:
            faults.append(f"{path}: {' '.join(sorted(wide))} in a narrow build")
    for path in tracked:
        if path.startswith("src/") and path not in seen:
            faults.append(f"{path}: not compiled by {opts.build}")
    for fault in faults:
        print(f"compile-flags.py: {fault}", file=sys.stderr)
    print(f"compile-flags.py: {opts.build}: {len(seen)} sources, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
