#!/usr/bin/env python3
"""Survivors of a later mutation run on lines an earlier run also mutated.

Reads the results.jsonl of two runs of dev/mutate/mutate.py, or of two
runs of the workplace's shared mutation script (their work folders), and the two commits they measured, maps every line of the later
sources onto the earlier ones (difflib over `git show` of each file) and
lists the later run's survivors on unchanged lines: those whose same mutant
was caught before (new survivors: the suite lost something), and those the
earlier sample did not draw.

    python3 dev/mutate/compare.py /tmp/mutate-start /tmp/mutate-final 91a7250 690e164
"""
import difflib
import json
import os
import subprocess
import sys

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def normalised(r):
    """A result of this project's script as it is; one of the shared script
    (`project`, `new`, `same_object`) in the same terms."""
    if "status" in r:
        return r
    project = r.get("project")
    if not r.get("compiled", True) or project is None:
        status = "not compiled"
    elif project.get("result") != "pass":
        status = "caught"
    else:
        status = "equivalent" if r.get("same_object") else "survived"
    return {"file": r["file"], "line": r["line"], "op": r["op"], "mutated": r["new"], "status": status}


def load(work):
    with open(os.path.join(work, "results.jsonl")) as f:
        return [normalised(json.loads(line)) for line in f if line.strip()]


def lines(commit, path):
    shown = subprocess.run(["git", "-C", REPO, "show", f"{commit}:{path}"], capture_output=True, text=True)
    return shown.stdout.splitlines() if shown.returncode == 0 else None


def renames(start, final):
    """{path at `final`: path at `start`} for every file git sees as moved between them."""
    shown = subprocess.run(["git", "-C", REPO, "diff", "-M", "--name-status", start, final],
                           capture_output=True, text=True, check=True).stdout
    moved = [line.split("\t") for line in shown.splitlines() if line.startswith("R")]
    return {new: old for _, old, new in moved}


def line_map(start, final, path, was):
    """Line numbers of `final`'s version of `path` (at `was` in `start`) that are unchanged, mapped to `start`'s."""
    a, b = lines(start, was), lines(final, path)
    if a is None or b is None:
        return {}
    mapped = {}
    for tag, i1, i2, j1, _ in difflib.SequenceMatcher(None, a, b, autojunk=False).get_opcodes():
        if tag == "equal":
            mapped.update({j1 + k + 1: i1 + k + 1 for k in range(i2 - i1)})
    return mapped


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    start_work, final_work, start, final = sys.argv[1:]
    before = {(r["file"], r["line"], r["op"], r["mutated"].strip()): r["status"] for r in load(start_work)}
    survivors = [r for r in load(final_work) if r["status"] == "survived"]
    maps, new, undrawn, changed = {}, [], [], 0
    moved = renames(start, final)
    for r in survivors:
        was = moved.get(r["file"], r["file"])
        mapped = maps.setdefault(r["file"], line_map(start, final, r["file"], was)).get(r["line"])
        if mapped is None:
            changed += 1
            continue
        status = before.get((was, mapped, r["op"], r["mutated"].strip()))
        if status == "caught":
            new.append((r, mapped))
        elif status is None:
            undrawn.append((r, mapped))
    print(f"{len(survivors)} survivors: {changed} on lines the change wrote, {len(survivors) - changed} on unchanged lines")
    print(f"new survivors (caught before): {len(new)}")
    for r, mapped in new:
        print(f"  {r['file']}:{r['line']} (was {mapped}) [{r['op']}] {r['mutated'].strip()}")
    print(f"not drawn before: {len(undrawn)}")
    for r, mapped in undrawn:
        print(f"  {r['file']}:{r['line']} (was {mapped}) [{r['op']}] {r['mutated'].strip()}")
    sys.exit(1 if new else 0)


if __name__ == "__main__":
    main()
