#!/usr/bin/env python3
"""Runs a later run's survivors on unchanged lines at an earlier commit.

When the work folder of an earlier run is gone, compare.py has nothing to
compare a later run with. This takes the later run's survivors whose lines
are unchanged since EARLIER (lines mapped as compare.py maps them), plants
each at its line in EARLIER's sources and runs EARLIER's own suite on it, in
OUT_WORK, in mutate.py's format:

    python3 dev/mutate/survivors_at.py LATER_WORK LATER EARLIER OUT_WORK
    python3 dev/mutate/compare.py OUT_WORK LATER_WORK EARLIER LATER   # exit 1 on a new survivor
"""
import argparse
import hashlib
import sys
from pathlib import Path

import compare
import mutate


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    later_work, later, earlier, out = sys.argv[1:]
    moved, maps, todo = compare.renames(earlier, later), {}, []
    for r in compare.load(later_work):
        if r["status"] != "survived":
            continue
        was = moved.get(r["file"], r["file"])
        line = maps.setdefault(r["file"], compare.line_map(earlier, later, r["file"], was)).get(r["line"])
        if line is not None:
            m = {key: r[key] for key in ("op", "old", "new", "text", "mutated") if key in r}
            m.update(file=was, line=line)
            m["id"] = hashlib.sha1(("%s:%d:%s" % (was, line, r["mutated"])).encode()).hexdigest()[:12]
            todo.append(m)
    commit = mutate.git(compare.REPO, "rev-parse", earlier).decode().strip()
    print("%d survivors of %s on lines unchanged since %s" % (len(todo), later_work, commit[:10]), flush=True)
    sources = mutate.library_sources(compare.REPO, commit)
    work = Path(out)
    work.mkdir(parents=True, exist_ok=True)
    args = argparse.Namespace(jobs=2, build_timeout=300, test_timeout=60)
    mutate.run_sample(args, compare.REPO, commit, work, sources, todo, work / "results.jsonl")


if __name__ == "__main__":
    main()
