#!/usr/bin/env python3
"""Mutation score of gpenc's unit tests (Python 3 standard library only).

Plants one single-line fault at a time in the library sources (src/**/*.cpp,
src/**/*.h), rebuilds gpenc_tests and runs it: a mutant the tests fail on is
caught. The score is caught / compiled; mutants that do not build are left out.

Run it from anywhere; it measures the HEAD of its own checkout (or --repo):

    python3 dev/mutate/mutate.py --n 600 --seed 1            # the sample: a few seconds a mutant
    python3 dev/mutate/mutate.py --n 600 --seed 1 --summary  # the results so far, runs nothing
    python3 dev/mutate/mutate.py --n 600 --seed 1 --list     # the sample, runs nothing
    python3 dev/mutate/mutate.py --files Tunnel.cpp --n 20 --work /tmp/mutate-x

The same sources, --n, --seed and --files give the same mutants. The work
folder (default /tmp/gpenc-mutate) holds src-tree/ (git archive of HEAD),
build/ (Release, tests only) and results.jsonl: one JSON object per mutant,
appended as each finishes. Mutants already there are skipped, so a stopped run
resumes where it was. A work folder belongs to one commit; measure another
commit in another folder.

Every mutant keeps the line count, so the line numbers the library writes into
its log records (__builtin_LINE) stay as they are. Comment and preprocessor
lines are never mutated. Operators:
    relational   ==/!=, < / <=, > / >= (binary, spaced as the sources are)
    logical      && / ||
    arithmetic   + / -, += / -=
    constant     an integer literal n becomes n+1 (0 becomes 1)
    bool         true / false
    negation     a ! dropped
    remove       a whole one-line statement replaced by ';'
A mutant whose library and test program come out byte for byte as without it
is "equivalent": it is not run, and is counted apart from the survivors.
"""

import argparse
import hashlib
import io
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tarfile
import time
from pathlib import Path

# ---- Finding mutants.


def code_of(lines):
    """Per line: the line with comments and the insides of string and character
    literals blanked (same length), or None for a line that is not code."""
    out, in_block, continued = [], False, False
    for line in lines:
        stripped = line.strip()
        if continued or (not in_block and stripped.startswith("#")):
            continued = line.rstrip().endswith("\\")
            out.append(None)
            continue
        chars, i, quote = list(line), 0, None
        while i < len(line):
            c = line[i]
            if in_block:
                if line.startswith("*/", i):
                    in_block = False
                    chars[i] = chars[i + 1] = " "
                    i += 2
                    continue
                chars[i] = " "
            elif quote:
                if c == "\\":
                    chars[i] = " "
                    if i + 1 < len(line):
                        chars[i + 1] = " "
                    i += 2
                    continue
                if c == quote:
                    quote = None
                else:
                    chars[i] = " "
            elif line.startswith("//", i):
                chars[i:] = " " * (len(line) - i)
                break
            elif line.startswith("/*", i):
                in_block = True
                chars[i] = chars[i + 1] = " "
                i += 2
                continue
            elif c == '"' or (c == "'" and not (i > 0 and line[i - 1].isdigit() and line[i + 1 : i + 2].isdigit())):
                quote = c
            i += 1
        code = "".join(chars)
        out.append(code if code.strip() else None)
    return out


RELATIONAL = {"==": "!=", "!=": "==", "<": "<=", "<=": "<", ">": ">=", ">=": ">"}
DECLARATION_START = re.compile(r"[({;]|[-+*/%&|^]?=")
NOT_A_STATEMENT = {
    "return", "case", "default", "using", "typedef", "namespace", "template", "struct", "class",
    "union", "enum", "static_assert", "friend", "public", "private", "protected", "else", "extern",
}


def bumped(literal):
    """An integer literal plus one, written the way it was."""
    digits = literal.rstrip("uUlL")
    suffix = literal[len(digits):]
    if digits[:2] in ("0x", "0X"):
        hexdigits = digits[2:]
        text = format(int(hexdigits, 16) + 1, "0%dX" % len(hexdigits))
        if any(c in "abcdef" for c in hexdigits):
            text = text.lower()
        return digits[:2] + text + suffix
    if len(digits) > 1 and digits.startswith("0"):
        return "0" + format(int(digits, 8) + 1, "o") + suffix
    return str(int(digits) + 1) + suffix


def is_statement(code, previous):
    """Whether a line is one whole statement that ';' can stand for."""
    text = code.strip()
    if not text.endswith(";") or not re.match(r"(\+\+|--|[A-Za-z_:*(])", text):
        return False
    if re.search(r"=\s*(default|delete)\s*;$", text):
        return False  # a declaration
    if previous is not None and not previous.rstrip().endswith((";", "{", "}", ")", ":")):
        return False  # the middle of a longer statement
    for open_, close in ("()", "[]", "{}"):
        if text.count(open_) != text.count(close):
            return False
    words = text[: DECLARATION_START.search(text).start()].split()
    if not words or words[0] in NOT_A_STATEMENT:
        return False
    return len(words) == 1 or words[0] in ("throw", "delete")  # "Type name ..." declares


def mutants_of_line(line, code, previous):
    """(operator, column, old text, new text) for every mutant of one line."""
    found = []
    for m in re.finditer(r"(?<=\s)(==|!=|<=|>=|<|>)(?=\s)", code):
        found.append(("relational", m.start(), m.group(), RELATIONAL[m.group()]))
    for m in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", code):
        found.append(("logical", m.start(), m.group(), "||" if m.group() == "&&" else "&&"))
    for m in re.finditer(r"(?<=\s)([+-]=?)(?=\s)", code):
        found.append(("arithmetic", m.start(), m.group(), m.group().translate(str.maketrans("+-", "-+"))))
    for m in re.finditer(r"(?<![\w.'])(0[xX][0-9a-fA-F]+|\d+)[uUlL]*(?![\w.'])", code):
        found.append(("constant", m.start(), m.group(), bumped(m.group())))
    for m in re.finditer(r"\b(true|false)\b", code):
        found.append(("bool", m.start(), m.group(), "false" if m.group() == "true" else "true"))
    for m in re.finditer(r"!(?!=)", code):
        found.append(("negation", m.start(), "!", ""))
    if is_statement(code, previous):
        indent = len(line) - len(line.lstrip())
        found.append(("remove", indent, line.strip(), ";"))
    return found


def candidates(sources, tree_id):
    """Every mutant of the sources ({path: text}), in a fixed order."""
    result = []
    for path in sorted(sources):
        lines = sources[path].split("\n")
        previous = None
        for number, (line, code) in enumerate(zip(lines, code_of(lines)), 1):
            if code is None:
                continue
            for op, col, old, new in mutants_of_line(line, code, previous):
                if op == "remove":
                    mutated = line[:col] + ";"
                else:
                    mutated = line[:col] + new + line[col + len(old):]
                key = "%s:%s:%d:%d:%s" % (tree_id, path, number, col, mutated)
                result.append({
                    "id": hashlib.sha1(key.encode()).hexdigest()[:12],
                    "file": path, "line": number, "op": op, "old": old, "new": new,
                    "text": line.strip(), "mutated": mutated.strip(),
                })
            previous = code
    return result


def sample(all_mutants, files, n, seed):
    chosen = [m for m in all_mutants if not files or any(m["file"] == f or m["file"].endswith("/" + f) for f in files)]
    chosen = random.Random(seed).sample(chosen, min(n, len(chosen)))
    return sorted(chosen, key=lambda m: (m["file"], m["line"], m["id"]))


def describe(m):
    if m["op"] == "remove":
        return "%s:%d [remove] '%s'" % (m["file"], m["line"], m["old"])
    return "%s:%d [%s] '%s' -> '%s'" % (m["file"], m["line"], m["op"], m["old"], m["new"])


# ---- The checkout and the work folder.


def git(repo, *args):
    return subprocess.run(["git", "-C", str(repo), *args], check=True, capture_output=True).stdout


def library_sources(repo, commit):
    """{path: text} of src/*.cpp and src/*.h at a commit."""
    archive = tarfile.open(fileobj=io.BytesIO(git(repo, "archive", commit, "src")))
    return {
        member.name: archive.extractfile(member).read().decode("utf-8")
        for member in archive.getmembers()
        if member.isfile() and re.fullmatch(r"src/.+\.(cpp|h)", member.name)
    }


def run(command, timeout, cwd=None):
    """(exit code or None on timeout, output, seconds); a command that runs too
    long is killed with everything it started."""
    start = time.monotonic()
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               start_new_session=True)
    try:
        output, _ = process.communicate(timeout=timeout)
        code = process.returncode
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        output, _ = process.communicate()
        code = None
    except BaseException:  # Ctrl-C: stop the build or test with us
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        raise
    return code, output.decode("utf-8", "replace"), time.monotonic() - start


class Build:
    def __init__(self, work, jobs):
        self.tree, self.dir, self.jobs = work / "src-tree", work / "build", jobs

    def configure(self):
        if (self.dir / "CMakeCache.txt").exists():
            return
        generator = "Ninja" if shutil.which("ninja") else "Unix Makefiles"
        print("configuring %s (%s, Release)" % (self.dir, generator), flush=True)
        subprocess.run(["cmake", "-S", str(self.tree), "-B", str(self.dir), "-G", generator,
                        "-DCMAKE_BUILD_TYPE=Release", "-DGPENC_BUILD_TESTS=ON",
                        "-DGPENC_BUILD_EXAMPLES=OFF", "-DGPENC_BUILD_BENCHMARKS=OFF",
                        # list the tests when ctest runs, not after every link
                        "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"],
                       check=True, stdout=subprocess.DEVNULL)

    def build(self, timeout):
        return run(["cmake", "--build", str(self.dir), "-j", str(self.jobs), "--target", "gpenc_tests"], timeout)

    def test(self, timeout):
        program = self.dir / "tests" / "gpenc_tests"
        return run([str(program), "--gtest_brief=1"], timeout, cwd=program.parent)

    def fingerprint(self):
        """A hash of the built library and test program."""
        digest = hashlib.sha256()
        files = [p for p in sorted((self.dir / "src").glob("libgpenc*")) if p.is_file() and not p.is_symlink()]
        for path in files + [self.dir / "tests" / "gpenc_tests"]:
            digest.update(path.read_bytes())
        return digest.hexdigest()


def failed_tests(output):
    names = []
    for name in re.findall(r"^\[  FAILED  \] ([\w/.]+)", output, re.M):
        if name not in names:
            names.append(name)
    return names[:8]


# ---- Results.


def load_results(path):
    results = {}
    if path.exists():
        for line in path.read_text().splitlines():
            if line.strip():
                record = json.loads(line)
                results[record["id"]] = record
    return results


def summary(chosen, results):
    done = [results[m["id"]] for m in chosen if m["id"] in results]
    count = {s: sum(r["status"] == s for r in done) for s in ("caught", "survived", "equivalent", "not compiled")}
    compiled = count["caught"] + count["survived"] + count["equivalent"]
    print("done %d of %d mutants: %d not compiled, %d equivalent" %
          (len(done), len(chosen), count["not compiled"], count["equivalent"]))
    if compiled:
        print("caught %d of %d compiled (%.1f%%)" % (count["caught"], compiled, 100.0 * count["caught"] / compiled))
    if count["equivalent"] and count["caught"] + count["survived"]:
        print("caught %d of %d without the equivalent ones (%.1f%%)" % (
            count["caught"], count["caught"] + count["survived"],
            100.0 * count["caught"] / (count["caught"] + count["survived"])))
    for status in ("survived", "equivalent"):
        listed = [r for r in done if r["status"] == status]
        if listed:
            print("\n%s (%d):" % (status, len(listed)))
        for r in listed:
            print("  %s\n      %s" % (describe(r), r["mutated"]))


# ---- Running.


def restore(tree, sources):
    for path, text in sources.items():
        file = tree / path
        if file.read_text(encoding="utf-8") != text:
            file.write_text(text, encoding="utf-8")


def run_sample(args, repo, commit, work, sources, chosen, results_path):
    tree = work / "src-tree"
    if not (work / "commit").exists():
        print("extracting %s of %s into %s" % (commit[:10], repo, tree), flush=True)
        shutil.rmtree(tree, ignore_errors=True)  # left half written
        tree.mkdir(parents=True)
        tarfile.open(fileobj=io.BytesIO(git(repo, "archive", commit))).extractall(tree)
        (work / "commit").write_text(commit + "\n")
    restore(tree, sources)  # a stopped run may have left a mutant behind
    build = Build(work, args.jobs)
    build.configure()
    code, output, seconds = build.build(None)
    if code != 0:
        sys.exit(output + "\nthe unmutated sources do not build")
    code, output, test_seconds = build.test(args.test_timeout)
    if code != 0:
        sys.exit(output + "\nthe tests fail without any mutant")
    clean = build.fingerprint()
    print("unmutated build %.0f s, tests %.1f s" % (seconds, test_seconds), flush=True)

    results = load_results(results_path)
    todo = [m for m in chosen if m["id"] not in results]
    print("%d of %d mutants already done, %d to run" % (len(chosen) - len(todo), len(chosen), len(todo)), flush=True)
    with results_path.open("a") as log:
        for index, m in enumerate(todo, 1):
            start = time.monotonic()
            file = tree / m["file"]
            lines = sources[m["file"]].split("\n")
            line = lines[m["line"] - 1]
            lines[m["line"] - 1] = line[: len(line) - len(line.lstrip())] + m["mutated"]
            record = dict(m, commit=commit)
            try:
                file.write_text("\n".join(lines), encoding="utf-8")
                code, output, _ = build.build(args.build_timeout)
                if code != 0:
                    record.update(status="not compiled", detail="build timed out" if code is None else "build failed")
                elif build.fingerprint() == clean:
                    record.update(status="equivalent", detail="identical library and tests")
                else:
                    code, output, _ = build.test(args.test_timeout)
                    if code == 0:
                        record.update(status="survived", detail="tests pass")
                    else:
                        detail = ("tests timed out" if code is None else
                                  "tests killed by signal %d" % -code if code < 0 else "tests failed")
                        record.update(status="caught", detail=detail, failed=failed_tests(output))
            finally:
                file.write_text(sources[m["file"]], encoding="utf-8")
            record["seconds"] = round(time.monotonic() - start, 1)
            log.write(json.dumps(record, ensure_ascii=False) + "\n")
            log.flush()
            print("[%d/%d] %s %s: %s (%s, %.1f s)" % (index, len(todo), m["id"], describe(m), record["status"],
                                                      record["detail"], record["seconds"]), flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     epilog=__doc__.split("\n\n", 1)[1])
    parser.add_argument("--n", type=int, default=150, help="mutants to sample (default 150)")
    parser.add_argument("--seed", type=int, default=1, help="sampling seed (default 1)")
    parser.add_argument("--files", default="", help="comma-separated sources to mutate, e.g. Tunnel.cpp,src/Log.h")
    parser.add_argument("--repo", default=str(Path(__file__).resolve().parents[2]),
                        help="checkout whose HEAD is measured (default: this one)")
    parser.add_argument("--work", default="/tmp/gpenc-mutate", help="work folder (default /tmp/gpenc-mutate)")
    parser.add_argument("--jobs", type=int, default=2, help="build parallelism (default 2)")
    parser.add_argument("--build-timeout", type=float, default=300, help="seconds per build (default 300)")
    parser.add_argument("--test-timeout", type=float, default=60, help="seconds per test run (default 60)")
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--summary", action="store_true", help="print the results of the sample and stop")
    args = parser.parse_args()

    repo, work = Path(args.repo).resolve(), Path(args.work).resolve()
    head = git(repo, "rev-parse", "HEAD").decode().strip()
    recorded = (work / "commit").read_text().strip() if (work / "commit").exists() else None
    commit = recorded or head
    if recorded and recorded != head:
        if not (args.list or args.summary):
            sys.exit("%s holds the sources of %s, HEAD is %s: use another --work" % (work, recorded[:10], head[:10]))
        print("# the work folder's sources: %s (HEAD is %s)" % (recorded[:10], head[:10]))
    sources = library_sources(repo, commit)
    tree_id = git(repo, "rev-parse", commit + ":src").decode().strip()
    all_mutants = candidates(sources, tree_id)
    files = [f for f in args.files.split(",") if f]
    chosen = sample(all_mutants, files, args.n, args.seed)
    if files and not chosen:
        sys.exit("no mutant in %s: name files of src/ (Tunnel.cpp or src/Tunnel.cpp)" % args.files)
    print("# %s: %d of %d mutants, seed %d" % (commit[:10], len(chosen), len(all_mutants), args.seed), flush=True)
    results_path = work / "results.jsonl"

    if args.list:
        for m in chosen:
            print("%s %s\n      %s" % (m["id"], describe(m), m["mutated"]))
        return
    if not args.summary:
        signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped"))  # restore the source on the way out
        work.mkdir(parents=True, exist_ok=True)
        try:
            run_sample(args, repo, commit, work, sources, chosen, results_path)
        except KeyboardInterrupt:
            sys.exit("stopped")
    summary(chosen, load_results(results_path))


if __name__ == "__main__":
    main()
