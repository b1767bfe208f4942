#!/usr/bin/env python3
"""The docs check: README.md and docs/*.md against the tree, a build and an install of the build.

    python3 .ci/docs.py [--build build] [--no-run] [--list]    # .ci/docs.sh builds first
    python3 .ci/docs.py --lines tests|code|share                # the line counts of docs/testing.md

How to mark blocks and figures: docs/testing.md, "The docs check". Checked:
  blocks   every fenced block has a marker on the line(s) before it: run, run: output [cut N],
           program, fragment(PARAMS) [: installed], consumer: NAME, windows, client, not run: WHY, text.
  names    every `span` of the prose and every word of a block's commands, by kind:
             path              git ls-files (whole, a tail, a glob), build/, the install (DIR/, /usr/local/,
                               bin/, lib/, share/); placeholders, other build folders, Windows and system
                               paths are skipped
             GPENC_ name       in a CMakeLists.txt or *.cmake, or #defined in the sources
             public/code name  a word of include/ or inspect/include (public), or of any source (code);
                               EXTERNAL lists the names of others
             name in its file  "`path`: `name`, `name`", "`name` in `path`", a docs/layout.md row
             tool command      gpenc's subcommands and options, as its --help gives them
             program option    an option of gpenc, dev/mutate, bench/count.py, the test and benchmark
                               programs, or one a script of the tree passes
             test name/filter  ctest -N, --gtest_list_tests; each filter selects a test
             dissector field   a field or preference of wireshark/gpenc.lua
             compat id         a row of docs/compat.md
             commit            a commit or tag of the history
           anything else (words, bytes, flags, other programs' commands) is counted as skipped.
  figures  <!-- figure "TEXT" TOL: COMMAND --> before a paragraph (TOL exact, ±N or ±N%); a paragraph
           with a number and "today", "now" or "currently" names the commit it was measured on.
  layout   the tables of docs/layout.md against git ls-files.
Standard library only, Python 3.9 or later.
"""
import argparse
import atexit
import collections
import fnmatch
import functools
import glob
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Names from outside the project that the docs may use in backticks: the C and C++ libraries,
# log4cplus, the framework, the toolchains. A name not in the sources nor here fails.
EXTERNAL = set("""atoi tzset localtime_r snprintf to_chars push_back thread_local noexcept __constinit
    __tls_get_addr DllMain CObject CDynLinkLibrary AFX_EXT_CLASS NOMINMAX isEnabledFor forcedLog
    NullAppender log4cplusU ENC_UTF_8 ENC_GB18030 TEST_P difflib abidiff libc6 libbenchmark-dev _UNICODE
    windows.h gpenc_tcp CMAKE_CROSSCOMPILING_EMULATOR CMAKE_INSTALL_RPATH CMAKE_INSTALL_RPATH_USE_LINK_PATH
    log4cplusUD log4cplusD _CRT_SECURE_NO_WARNINGS __CxxFrameHandler3 __CxxFrameHandler4""".split())
# Paths the check cannot see, each with the reason.
NOT_HERE = {"src-tree/": "made by a program", "/tmp/gpenc-mutate": "made by a program",
            "build/app": "in the user's own project", "lib/x86_64-linux-gnu": "of an install configured for /usr",
            "log4cplus/logger.h": "of log4cplus", "liblog4cplusU-2.0.so": "of a log4cplus build",
            "log4cplus.pc": "of a log4cplus build",
            "liblog4cplusU.so": "of a log4cplus build"}
MARKERS = ("run", "program", "fragment", "consumer", "windows", "client", "not run", "text")
SOURCE = re.compile(r"\.(cpp|h|hpp|lua|py|sh|cmake|in|txt|json|dump|supp|properties|props|md|pc|so(\.\d+)*)$")
WINDOWS = re.compile(r"\.(dll|exe|zip|lib|dll\.a)$")
IDENT = re.compile(r"~?[A-Za-z_]\w*(<\w+>)?(::~?[A-Za-z_]\w*)*(\(\))?")
STATE = re.compile(r"(?<!\")\b(today|now|currently|so far)\b(?! and then)(?!\")", re.I)
NUMBER = re.compile(r"(?<![\w.])\d[\d,]*(\.\d+)?%?(?![\w.])")
SPAN = re.compile(r"(?<!`)(`+)(?!`)(.+?)(?<!`)\1(?!`)", re.S)  # a code span; group 2 its text
COMMIT = re.compile(r"(?<![\w`])(?=[0-9a-f]*[a-f])(?=[0-9a-f]*\d)[0-9a-f]{7,12}(?![\w`])")
checked, skipped, failures, ran = collections.Counter(), collections.Counter(), [], collections.Counter()


def sh(cmd, env=None, timeout=900):
    try:
        return subprocess.run(cmd, shell=isinstance(cmd, str), cwd=ROOT, env=env, capture_output=True, text=True,
                              errors="replace", timeout=timeout)
    except subprocess.TimeoutExpired:
        return subprocess.CompletedProcess(cmd, 124, "", f"timed out after {timeout} s")


def fail(where, what, fix):
    failures.append(f"{where}: {what}\n    fix: {fix}")


def read(path):
    with open(os.path.join(ROOT, path), errors="replace") as f:
        return f.read()


def words(paths):
    return {w for p in paths for w in re.findall(r"[A-Za-z_]\w*", read(p))}


class Tree:
    """What the tree, the build and the install hold; each asked once."""

    def __init__(self, build):
        self.build = os.path.abspath(os.path.join(ROOT, build))
        self.files = [f for f in sh(["git", "ls-files"]).stdout.splitlines() if os.path.isfile(os.path.join(ROOT, f))]
        self.dirs = {os.path.dirname(f) for f in self.files}
        self.dirs |= {d.rsplit("/", i)[0] for d in list(self.dirs) for i in range(1, d.count("/") + 1)}
        code = [f for f in self.files if not f.endswith(".md") and "/corpus/" not in f]
        self.code = words(code)
        self.public = words(f for f in self.files if f.startswith(("include/", "inspect/include/")))
        cmake = [f for f in self.files if f.endswith(("CMakeLists.txt", ".cmake", ".cmake.in"))]
        self.gpenc_names = {w for w in words(cmake) if w.startswith("GPENC_")}
        self.sources = "".join(read(f) for f in self.files if f.endswith((".cpp", ".h")))
        self.gpenc_names |= set(re.findall(r"#\s*define\s+(GPENC_\w+)", self.sources))
        self.compat = set(re.findall(r"^\| *([QD]\d+) *\|", read("docs/compat.md"), re.M))
        lua = read("wireshark/gpenc.lua")
        self.fields = set(re.findall(r'"(gpenc\.[\w.]+)"', lua))
        self.fields |= {"gpenc." + p for p in re.findall(r"prefs\.(\w+)", lua)}  # preferences
        self.shallow = sh(["git", "rev-parse", "--is-shallow-repository"]).stdout.strip() == "true"
        self.built, self.programs = set(), {}
        for d, sub, names in os.walk(self.build):
            sub[:] = [s for s in sub if s not in ("CMakeFiles", "consumer", "Testing")]
            self.built |= set(names)
            for n in names:
                if n.endswith("_tests") and os.access(os.path.join(d, n), os.X_OK):
                    self.programs[n] = os.path.join(d, n)
        self.prefix = tempfile.mkdtemp(prefix="gpenc-docs-")
        atexit.register(shutil.rmtree, self.prefix, True)
        r = sh(["cmake", "--install", self.build, "--prefix", self.prefix])
        if r.returncode:
            sys.exit(f"docs: cmake --install {self.build} failed:\n{r.stderr}")

    @functools.cached_property
    def ctest(self):
        out = sh(["ctest", "--test-dir", self.build, "-N"]).stdout
        return re.findall(r"Test +#\d+: (\S+)", out)

    @functools.cached_property
    def gtest(self):
        names = []
        for exe in self.programs.values():
            suite = None
            for line in sh([exe, "--gtest_list_tests"]).stdout.splitlines():
                if line and not line.startswith(" ") and line.endswith("."):
                    suite = line[:-1]
                elif line.startswith("  ") and suite:
                    names.append(suite + "." + line.split()[0])
        return names

    @functools.cached_property
    def benchmarks(self):
        exe = os.path.join(self.build, "bench/gpenc_bench")
        return sh([exe, "--benchmark_list_tests=true"]).stdout.split() if os.path.exists(exe) else []

    @functools.cached_property
    def tool(self):
        """Options of gpenc (key None) and of each subcommand: {option: takes a value}."""
        exe = os.path.join(self.build, "tools/gpenc/gpenc")
        def options(args):
            out = sh([exe] + args + ["--help"]).stdout
            opts = {}
            for names, value in re.findall(r"^  ((?:-\w,)?--[\w-]+)( (?:TEXT|UINT|INT))?", out, re.M):
                for n in names.split(","):
                    opts[n] = bool(value)
            return opts, re.findall(r"^  (\w+) {2,}", out.split("Subcommands:")[-1], re.M) if not args else []
        top, subs = options([])
        return {None: top, **{s: options([s])[0] for s in subs}}

    @functools.cached_property
    def options(self):
        """Every option a program of the project or its test and benchmark programs takes."""
        out = "".join(sh(c).stdout for c in (["python3", "dev/mutate/mutate.py", "--help"],
                      ["python3", "dev/mutate/compare.py", "--help"], ["python3", "bench/count.py", "--help"]))
        for exe in list(self.programs.values())[:1] + [os.path.join(self.build, "bench/gpenc_bench")]:
            if os.path.exists(exe):
                out += sh([exe, "--help"]).stdout
        found = set(re.findall(r"--[\w-]+", out))
        return found | {o for opts in self.tool.values() for o in opts}


def path_shaped(s):
    return (" " not in s and not s.startswith("-") and "=" not in s
            and bool("/" in s or SOURCE.search(s) or WINDOWS.search(s)))


def check_path(t, p, where, in_command=False):
    if p in NOT_HERE:
        return skipped.update(["path " + NOT_HERE[p]])
    if re.fullmatch(r"\.\w+|/[\w:+.-]+", p):
        return skipped.update(["file extension or compiler flag"])
    if "\\" in p or p.startswith(("../", "~", "%", "$")) or re.match(r"[A-Za-z]:/", p):
        return skipped.update(["path outside the project"])
    if re.search(r"<\w+>|\.\.\.|…", p):
        return skipped.update(["path with a placeholder"])
    if WINDOWS.search(p):
        return skipped.update(["path of a Windows build"])
    q = p.rstrip("/")
    base = q.split("/")[0]
    if q.startswith("/usr/local/") or base == "DIR":
        full = t.prefix + q[len("/usr/local"):] if base != "DIR" else t.prefix + q[3:]
        ok, place = os.path.exists(full), "the install (DIR, /usr/local)"
    elif q.startswith("/"):
        return skipped.update(["path of the system"])
    elif base == "build":
        ok, place = bool(glob.glob(os.path.join(ROOT, q))), "the build folder build/"
    elif base.startswith("build-"):
        return skipped.update(["path in another build folder"])
    elif base in ("bin", "lib", "share"):
        ok, place = os.path.exists(os.path.join(t.prefix, q)), "the install"
    elif "*" in q:
        ok, place = any(fnmatch.fnmatch(f, q) for f in t.files), "git ls-files"
    elif "/" not in q and in_command:
        return  # a file a command writes or reads (demo.pcap, main.cpp) is the user's
    else:
        ok = q in t.files or q in t.dirs or any(f.endswith("/" + q) for f in t.files + list(t.dirs))
        ok = ok or ("/" not in q and q in t.built) or os.path.isfile(os.path.join(t.build, q))  # a program of the build
        place = "git ls-files (nor the tail of a tracked path, nor a program of the build)"
    checked["path"] += 1
    if not ok:
        fail(where, f"path `{p}` is not in {place}", "name the file where it is now, or drop it")


def check_gpenc_name(t, name, where):
    checked["GPENC_ name"] += 1
    if name not in t.gpenc_names:
        fail(where, f"`{name}` is no option or variable of a CMakeLists.txt/*.cmake nor a #define of the sources",
             "use the name the build has now (git grep GPENC_)")


def check_filter(t, pattern, where):
    if pattern.startswith("--benchmark_filter="):  # a regular expression over the benchmarks' names
        checked["test filter"] += 1
        if not any(re.search(pattern.split("=", 1)[1], n) for n in t.benchmarks):
            fail(where, f"`{pattern}` selects no benchmark", "see `build/bench/gpenc_bench --benchmark_list_tests`")
        return
    pos = pattern.split("=", 1)[1].strip("'\"").split("-")[0]
    for p in filter(None, pos.split(":")):
        checked["test filter"] += 1
        if not any(fnmatch.fnmatchcase(n, p) for n in t.gtest):
            fail(where, f"--gtest_filter pattern `{p}` selects no test of {', '.join(sorted(t.programs))}",
                 "pick a pattern from `--gtest_list_tests`")


def check_tool(t, args, where):
    """gpenc [options] SUBCOMMAND [options] [arguments], against its --help."""
    checked["tool command"] += 1
    sub, i = None, 0
    while i < len(args) and args[i] not in ("&&", "||", ";", "|") and not args[i].startswith((">", "<", "2>")):
        a = args[i]
        opts = t.tool.get(sub, {})
        if a.startswith("-"):
            name = a.split("=")[0]
            if name not in opts:
                return fail(where, f"`gpenc {sub or ''} {name}`: the tool has no such option",
                            f"see `gpenc {sub or ''} --help`".replace("  ", " "))
            i += opts[name] and "=" not in a
        elif sub is None:
            if a not in t.tool:
                return fail(where, f"`gpenc {a}`: no such subcommand", "see `gpenc --help`")
            sub = a
        i += 1


def check_tokens(t, tokens, where):
    """The words of one command line."""
    prog = None
    for i, tok in enumerate(tokens):
        if prog is None:
            prog = tok
            if tok == "gpenc" or tok.endswith("/gpenc"):
                check_tool(t, tokens[i + 1:], where)
        if tok in ("&&", "||", ";", "|"):
            prog = None
            continue
        tok = re.sub(r"^lua_script:", "", tok)
        if not SOURCE.search(tok):
            for field in re.findall(r"(?<![\w/.:-])gpenc(?:\.\w+)+", tok):
                checked["dissector field"] += 1
                if field not in t.fields:
                    fail(where, f"`{field}` is no field or preference of wireshark/gpenc.lua", "use a field it has")
        m = re.match(r"-D(GPENC_\w+)", tok)
        if m:
            check_gpenc_name(t, m.group(1), where)
        elif tok.startswith(("--gtest_filter=", "--benchmark_filter=")):
            check_filter(t, tok, where)
        elif prog == "ctest" and i and tokens[i - 1] == "-R":
            checked["test name"] += 1
            if not any(re.search(tok, n) for n in t.ctest):
                fail(where, f"`ctest -R {tok}` selects no test", "see `ctest -N`")
        elif re.fullmatch(r"[\w-]+=\S+", tok):
            value = tok.split("=", 1)[1].replace("$PWD/", "")
            if path_shaped(value) and not re.search(r"[$:]", value):
                check_path(t, value, where, True)
        elif path_shaped(tok) and not tok.startswith(("$", "./", ">", "<", "2>")):  # ./x: made by the command
            check_path(t, tok.rstrip(";"), where, True)


def command_lines(lines):
    """(index of the first line, its words) per logical line (continuations joined), comments left out."""
    i = 0
    while i < len(lines):
        start, line = i, lines[i]
        while line.endswith("\\") and i + 1 < len(lines):
            i += 1
            line = line[:-1] + " " + lines[i]
        i += 1
        try:
            words_ = shlex.split(line, comments=True)
        except ValueError:
            words_ = line.split("#")[0].split()
        split = ([w[:-1], ";"] if w.endswith(";") and len(w) > 1 else [w] for w in words_)  # "demo;"
        yield start, [w for pair in split for w in pair]


def check_span(t, s, where):
    """One `span` of the prose: checked by its kind, or counted as skipped."""
    s = s.strip()
    if s in EXTERNAL:
        return skipped.update(["name from outside the project"])
    if s.startswith("gpenc ") or s.startswith("--"):
        if s.startswith(("--gtest_filter=", "--benchmark_filter=")):
            return check_filter(t, s, where)
        if s.startswith("gpenc "):
            return check_tool(t, shlex.split(s)[1:], where)
        checked["program option"] += 1
        name = s.split()[0].split("=")[0]
        if name not in t.options and not any(name in read(f) for f in t.files if not f.endswith(".md")
                                             and "/corpus/" not in f and not f.startswith("tools/gpenc/")):
            fail(where, f"option `{name}`: no program of the project takes it", "name an option the program has")
        return
    if re.search(r"\b[QD]\d+\b", s) and re.fullmatch(r"(// )?[QD]\d+(: \.\.\.)?", s):
        checked["compat id"] += 1
        if re.search(r"[QD]\d+", s).group() not in t.compat:
            fail(where, f"compat id in `{s}` is not listed in docs/compat.md", "use an id of docs/compat.md")
        return
    if re.fullmatch(r"GPENC_\w*\*", s):
        checked["GPENC_ name"] += 1
        if not any(fnmatch.fnmatch(n, s) for n in t.gpenc_names):
            fail(where, f"no option or variable of the build is {s}", "use a pattern the build's names match")
        return
    m = re.fullmatch(r"(-D)?(GPENC_\w+)(=.*)?", s)
    if m:
        return check_gpenc_name(t, m.group(2), where)
    m = re.fullmatch(r'#include [<"](.+)[>"]', s)
    if m:
        return check_span(t, m.group(1), where)
    if re.fullmatch(r"v\d+(\.\d+)+", s):
        checked["commit"] += 1
        if sh(["git", "rev-parse", "--verify", "--quiet", s + "^{commit}"]).returncode:
            fail(where, f"tag `{s}` is not in this repository", "name the release by its commit")
        return
    if s.split()[0] in t.tool and s.split()[0] != "gpenc":
        return check_tool(t, shlex.split(s), where)
    if re.fullmatch(r"([0-9a-fA-F]{2} ?)+", s):
        return skipped.update(["bytes"])
    if " " in s or re.fullmatch(r"[\w-]+=\S+", s):
        before = sum(checked.values()), len(failures)
        for _, words_ in command_lines([s]):
            check_tokens(t, words_, where)
        if (sum(checked.values()), len(failures)) == before:
            skipped["text, bytes or command of another program"] += 1
        return
    if path_shaped(s) and (SOURCE.search(s) or not re.fullmatch(r"gpenc(\.\w+)+", s)):
        return check_path(t, s, where)
    s = re.sub(r"(?<=\w)\*$", "", s) if re.fullmatch(r"\w*[A-Za-z0-9]\*", s) else s  # a pointer type
    if "*" in s:
        checked["test name"] += 1
        if not any(fnmatch.fnmatchcase(n, s) or fnmatch.fnmatchcase(n.split(".", 1)[-1], s) for n in t.ctest + t.gtest):
            fail(where, f"test pattern `{s}` matches no ctest or gtest name", "see `ctest -N`")
        return
    if s in t.ctest or s in t.gtest or any(s in n.split(".")[:2] for n in t.gtest):
        return checked.update(["test name"])
    if re.fullmatch(r"(gpenc)?(\.\w+)+", s):
        checked["dissector field"] += 1
        if not (s in t.fields or any(f.endswith(s) for f in t.fields if s.startswith("."))):
            fail(where, f"`{s}` is no field or preference of wireshark/gpenc.lua", "use a field the dissector has")
        return
    if re.fullmatch(r"[A-Z][A-Za-z]+Test(\.\w+)?", s):
        checked["test name"] += 1
        if s.count(".") == 0 and re.search(r"TEST\w*\(%s," % s, t.sources):
            return  # a test of another platform's build (ModuleTest: Windows)
        return fail(where, f"`{s}` is no ctest or gtest name", "see `ctest -N` and `--gtest_list_tests`")
    if IDENT.fullmatch(s) and not re.fullmatch(r"[a-z]+", s):
        parts = re.findall(r"[A-Za-z_]\w*", s)
        if s in EXTERNAL or (len(parts) == 1 and parts[0] in EXTERNAL):
            return skipped.update(["name from outside the project"])
        missing = [p for p in parts if p not in t.code]
        kind = "public name" if all(p in t.public for p in parts) else "code name"
        checked[kind] += 1
        if missing:
            fail(where, f"`{s}`: {', '.join(missing)} is in no source of the tree",
                 "use the name the code has now, or add it to EXTERNAL in .ci/docs.py if it is not ours")
        return
    skipped["word, bytes, flag or text" if not IDENT.fullmatch(s) else "plain word"] += 1


def check_where(t, line, where):
    """"`path`: `name`, `name`" and "`name` in `path`": the names are in that file."""
    spans = list(SPAN.finditer(line))
    for i, m in enumerate(spans):
        path = m.group(2).strip()
        if path not in t.files:
            continue
        names = []
        if i + 1 < len(spans) and line[m.end():spans[i + 1].start()] == ": ":
            for n in spans[i + 1:]:
                names.append(n)
                rest = line[n.end():n.end() + 6]
                if not re.match(r"(, |, and | and )`", rest):
                    break
        if i and line[spans[i - 1].end():m.start()] == " in ":
            names.append(spans[i - 1])
        text = read(path)
        for n in names:
            name = n.group(2).strip()
            if not IDENT.fullmatch(name):
                continue
            checked["name in its file"] += 1
            last = re.findall(r"[A-Za-z_]\w*", name)[-1]
            if not re.search(r"\b%s\b" % last, text):
                holders = [f for f in t.files if f.startswith(("src/", "include/", "inspect/")) and
                           re.search(r"\b%s\b" % last, read(f))]
                fail(where, f"`{name}` is not in `{path}`",
                     f"name the file that holds it ({', '.join(holders) or 'none does'}) or the name it has now")


def parse(doc):
    """The blocks of a doc and its prose paragraphs, with line numbers (1-based)."""
    lines = read(doc).split("\n")
    blocks, paras, para, i = [], [], [], 0
    while i < len(lines):
        line = lines[i]
        m = re.match(r"\s*(```+|~~~+)(\w*)", line)
        if m:
            markers, j = [], i - 1
            while j >= 0 and re.fullmatch(r"<!--\s*(?!figure).*-->", lines[j].strip()):
                markers.insert(0, (j + 1, lines[j].strip()[4:-3].strip()))
                j -= 1
            end = next(k for k in range(i + 1, len(lines)) if lines[k].strip().startswith(m.group(1)))
            blocks.append(dict(line=i + 1, lang=m.group(2), lines=lines[i + 1:end], markers=markers))
            paras.append(para) if para else None
            para, i = [], end + 1
            continue
        if re.match(r"    \S", line) and i and not lines[i - 1].strip() and not para:
            fail(f"{doc}:{i + 1}", "an indented code block", "make it a fenced block with a marker (docs/testing.md)")
        if line.strip():
            para.append((i + 1, line))
        elif para:
            paras.append(para)
            para = []
        i += 1
    if para:
        paras.append(para)
    return blocks, paras


def compare(expected, actual, cut=None):
    """None when the lines match ("..." alone stands for any lines, inside a line for any text), else
    (index of the first expected line that does not, why)."""
    act = [(a[:cut] if cut else a).rstrip() for a in actual.rstrip("\n").split("\n")]
    rx = [r"(?:[^\n]*\n)*?" if e.strip() == "..." else re.escape(e.rstrip()).replace(re.escape("..."), "[^\n]*") + "\n"
          for e in expected]
    if re.fullmatch("".join(rx), "\n".join(act) + "\n"):
        return None
    for k in range(1, len(rx) + 1):  # the longest head of the expected lines that still matches a head
        if not re.match("".join(rx[:k]), "\n".join(act) + "\n"):
            return k - 1, f"no line of the output matches {expected[k - 1].rstrip()!r} here"
    return len(rx) - 1, "the output goes on after the last line shown"


def run_blocks(t, doc, blocks, execute=True):
    path = os.path.join(t.build, "tools/gpenc") + ":" + os.environ["PATH"]
    before = set(os.listdir(ROOT))
    skip_next = False
    for b in blocks:
        where = f"{doc}:{b['line']}"
        if skip_next:
            skip_next = False
            continue
        if not b["markers"]:
            fail(where, "a code block without a marker",
                 "put <!-- run -->, <!-- run: output -->, <!-- program -->, <!-- fragment -->, <!-- windows -->, "
                 "<!-- client -->, <!-- not run: WHY --> or <!-- text --> on the line before it (docs/testing.md)")
            continue
        for mline, marker in b["markers"]:
            m = re.fullmatch(r"([a-z ]+?)(\((.*)\))?(?::\s*(.*))?", marker)
            kind, params, arg = (m.group(1), m.group(3) or "", m.group(4) or "") if m else (marker, "", "")
            if kind not in MARKERS:
                fail(f"{doc}:{mline}", f"unknown marker <!-- {marker} -->", f"use one of {', '.join(MARKERS)}")
                continue
            ran[kind if kind != "not run" else "not run: " + arg] += 1
            if b["lang"] in ("cpp", "c++") and kind in ("program", "fragment", "consumer"):
                if kind != "consumer" or arg == "main.cpp":
                    compile_snippet(t, b, where, kind, params, "installed" in arg or kind == "consumer")
                continue
            if b["lang"] not in ("cpp", "c++", "cmake") and kind != "text":
                console = any(l.startswith("$ ") for l in b["lines"])
                for k, words_ in command_lines([l[2:] if l.startswith("$ ") else "" for l in b["lines"]]
                                               if console else b["lines"]):
                    check_tokens(t, words_, f"{doc}:{b['line'] + 1 + k}")
            skip_next = kind == "run" and arg.startswith("output")  # the next block shows the output
            if kind != "run" or not execute:
                continue
            script = [re.sub(r"\bDIR\b", t.prefix, l) for l in b["lines"]]
            first = b["line"] + 1  # the doc line of the block's first line
            if any(l.startswith("$ ") for l in script):  # [doc line, command, script, output lines, their doc line]
                steps = []
                for k, l in enumerate(script):
                    if l.startswith("$ "):
                        steps.append([first + k, l[2:], l[2:], [], first + k + 1])
                    elif steps:
                        steps[-1][3].append(l)
            else:  # a failure anywhere in a line fails the block, also in "a && b"
                lines = "\n".join(script).replace("\\\n", " ").splitlines()
                run = "set -eu\n" + "".join(l + '\ns=$?; [ "$s" = 0 ] || exit "$s"\n' for l in lines)
                steps = [[first, "the block", run, [], None]]
            if arg.startswith("output"):
                nxt = blocks[blocks.index(b) + 1]
                steps[-1][3:] = [nxt["lines"], nxt["line"] + 1]
            cut = int(arg.split()[-1]) if arg.startswith("output cut") else None
            env = dict(os.environ, PATH=path, HOME=tempfile.mkdtemp(dir=t.prefix), LC_ALL="C.UTF-8")
            for line, what, cmd, expected, at in steps:
                checked["command run" + (", its output compared" if expected else "")] += 1
                r = sh(["sh", "-c", cmd], env=env)
                if r.returncode:
                    fail(f"{doc}:{line}", f"{what} exits with {r.returncode} (run from the project root):\n"
                         + r.stderr[-1500:], "make it a command that works from the project root, or fix what it runs")
                elif expected and (bad := compare(expected, r.stdout, cut)):
                    fail(f"{doc}:{at + bad[0]}", f"the output shown is not what {what} prints now: {bad[1]}; "
                         "it prints\n"
                         + "\n".join("      " + l[:cut] for l in r.stdout.splitlines()[:80]),
                         "put that output into the block (a line \"...\" for lines left out), or fix the code")
    for name in set(os.listdir(ROOT)) - before:
        if os.path.isfile(os.path.join(ROOT, name)):
            os.remove(os.path.join(ROOT, name))  # what a block wrote (demo.pcap) into the project root


def compile_snippet(t, b, where, kind, params, installed):
    body = "\n".join(b["lines"])
    if kind == "fragment":
        head = [l for l in b["lines"] if l.startswith("#include")]
        rest = [l for l in b["lines"] if not l.startswith("#include")]
        body = "\n".join(["#include <cstdio>", "#include <iostream>", "#include <string>", "#include <vector>"] + head +
                         [f"void DocsFragment({params}) {{"] + rest + ["}"])
    src = os.path.join(t.prefix, "snippet.cpp")
    open(src, "w").write(body + "\n")
    if installed:
        env = dict(os.environ, PKG_CONFIG_PATH=os.path.join(t.prefix, "lib/pkgconfig"))
        flags = sh("pkg-config --cflags --libs gpenc gpenc-inspect", env=env).stdout.split()
        flags.append("-Wl,-rpath," + t.prefix + "/lib")
    else:
        b_ = t.build
        flags = ["-Iinclude", "-Iinspect/include", f"{b_}/src/libgpenc.so", f"{b_}/host/libgpenc_host.so",
                 f"{b_}/inspect/libgpenc_inspect.a", "-llog4cplus", f"-Wl,-rpath,{b_}/src:{b_}/host"]
    out = ["-fsyntax-only"] if kind == "fragment" else ["-o", os.path.join(t.prefix, "snippet")]
    r = sh(["g++", "-std=c++17", "-Wall", src] + out + flags)
    checked["snippet"] += 1
    if r.returncode:
        fail(where, f"the {kind} does not compile{' against the installed package' if installed else ''}:\n"
             + r.stderr[-2000:], "fix the snippet to the interface of today")


def check_figures(t, doc, paras):
    for k, para in enumerate(paras):
        text = " ".join(l for _, l in para)
        if para[0][1].startswith("|") and k and paras[k - 1][-1][0] == para[0][0] - 2:
            text = " ".join(l for _, l in paras[k - 1]) + " " + text  # a table with its caption
        where = f"{doc}:{para[0][0]}"
        figures = re.findall(r'<!-- figure "([^"]+)" (exact|±[\d.]+%?): (.*?) -->', SPAN.sub("", text))
        if "<!-- figure" in SPAN.sub("", text) and not figures:
            fail(where, "a figure marker that does not parse", 'write <!-- figure "4,790" ±3%: COMMAND -->')
        for shown, tol, cmd in figures:
            checked["figure"] += 1
            scope = re.sub(r"<!--.*?-->", "", text)
            r = sh(cmd, env=dict(os.environ, PATH=os.path.join(t.build, "tools/gpenc") + ":" + os.environ["PATH"]))
            got = re.search(r"-?\d[\d,]*(\.\d+)?", r.stdout)
            if not re.search(r"(?<![\d.,])%s(?![\d])" % re.escape(shown), scope):
                fail(where, f'figure "{shown}" is not in the paragraph its marker stands before', "make them agree")
            elif r.returncode or not got:
                fail(where, f"the figure's command `{cmd}` fails or prints no number:\n{r.stderr[-500:]}",
                     "fix the command")
            else:
                want, now = float(shown.replace(",", "").rstrip("%")), float(got.group().replace(",", ""))
                room = 0 if tol == "exact" else float(tol[1:].rstrip("%"))
                room *= abs(now) / 100 if tol.endswith("%") else 1
                if abs(want - now) > room:
                    fail(where, f'the doc says "{shown}"; `{cmd}` gives {got.group()} now (tolerance {tol})',
                         f"write {got.group()} (and whatever follows from it), or name the commit it was measured on")
        prose = re.sub(r"<!--.*?-->", "", SPAN.sub("", text))
        for c in COMMIT.findall(re.sub(r"<!--.*?-->", "", SPAN.sub("", " ".join(l for _, l in para)))):
            checked["commit"] += 1
            if not t.shallow and sh(["git", "rev-parse", "--verify", "--quiet", c + "^{commit}"]).returncode:
                fail(where, f"{c} is no commit of this repository", "name a commit of the history")
        if not STATE.search(prose) or not NUMBER.search(prose) or figures:
            continue
        checked["figure measured at a commit"] += 1
        if not COMMIT.search(prose):
            fail(where, f"figures of the present ({STATE.search(prose).group()}) without a command or a commit: "
                 f"{prose[:160]}...", 'add <!-- figure "N" TOL: COMMAND --> or say "(measured at COMMIT)"')


def check_layout(t):
    doc, folder, rows, start = "docs/layout.md", None, None, 0
    lines = read(doc).split("\n")
    for i, line in enumerate(lines + [""], 1):
        if line.startswith("#"):
            m = re.search(r"`([\w./-]+/)`", line)
            folder = m.group(1) if m else None
        elif re.match(r"\| *file *\|", line) and folder:
            rows, start = {}, i
        elif rows is not None and line.startswith("|"):
            files = [m.group(2).strip() for m in SPAN.finditer(line.split("|")[1])]
            rows.update((p, i) for p in files)
            text = "".join(read(folder + p) for p in files if folder + p in t.files)
            for name in (m.group(2).strip() for m in SPAN.finditer("|".join(line.split("|")[2:]))):
                if IDENT.fullmatch(name) and text:
                    checked["name in its file"] += 1
                    if not re.search(r"\b%s\b" % re.findall(r"\w+", name)[-1], text):
                        fail(f"{doc}:{i}", f"`{name}` is in none of {', '.join(files)}", "name what the files hold now")
        elif rows is not None:
            want = {f[len(folder):] for f in t.files if f.startswith(folder) and not f.endswith("CMakeLists.txt")}
            checked["layout row"] += len(rows)
            for f in sorted(want - set(rows)):
                fail(f"{doc}:{start}", f"`{folder}{f}` (git ls-files) has no row in the table of `{folder}`",
                     f"add a row | `{f}` | what it holds |")
            for f in sorted(set(rows) - want):
                fail(f"{doc}:{rows[f]}", f"the row names `{folder}{f}`, which git ls-files does not list",
                     "move the row to the file's new name, or drop it")
            rows = None


def check_client_files(t, docs):
    """A block marked <!-- client: FILE --> is FILE of the tree, whole: the file CI builds with."""
    for doc in docs:
        for b in parse(doc)[0]:
            for mline, marker in b["markers"]:
                m = re.fullmatch(r"client:\s*(\S+)", marker)
                if not m:
                    continue
                checked["client file shown whole"] += 1
                if m.group(1) not in t.files:
                    fail(f"{doc}:{mline}", f"<!-- {marker} --> names a file git ls-files does not list",
                         "name the file the block shows")
                elif b["lines"] != read(m.group(1)).rstrip("\n").split("\n"):
                    fail(f"{doc}:{b['line']}", f"the block is not {m.group(1)} as it is now",
                         f"copy {m.group(1)} into the block, or fix the file")


def check_corpus(t):
    """The request fuzzer starts from every example request, as docs/testing.md says."""
    for f in sorted(f for f in t.files if f.startswith("examples/requests/")):
        copy = "fuzz/corpus/request/" + os.path.basename(f)
        checked["example request in the fuzz corpus"] += 1
        if copy not in t.files or read(copy) != read(f):
            fail(copy, f"the request fuzzer's corpus lacks {f} as it is now", f"cp {f} fuzz/corpus/request/")


def check_package_names(t, docs):
    """Every package file a doc names is one cpack makes: the Debian package with its default
    name, the Windows ZIP with the suffix of its bits (cmake/Packaging.cmake)."""
    settings = dict(re.findall(r'set\((CPACK_PACKAGE_\w+) "([^"]*)"\)', read(os.path.join(t.build, "CPackConfig.cmake"))))
    name, version = settings["CPACK_PACKAGE_NAME"], settings["CPACK_PACKAGE_VERSION"]
    made = [re.escape(f"{name}-{version}-win{bits}.zip") for bits in (32, 64)]
    made.append(re.escape(f"{name}_{version}_") + r"(\w+|\*)\.deb")  # DEB-DEFAULT: name_version_arch.deb
    made.append(re.escape(f"{name}_") + r"\*\.deb")
    for doc in docs:
        for n, line in enumerate(read(doc).split("\n"), 1):
            for m in re.finditer(r"\b%s[-_][\w.*-]*\.(?:zip|deb)\b" % re.escape(name), line):
                checked["package file name"] += 1
                if not any(re.fullmatch(r, m.group(0)) for r in made):
                    fail(f"{doc}:{n}", f"cpack makes no package named {m.group(0)}",
                         f"name what cmake/Packaging.cmake makes ({name}-{version}-win64.zip, {name}_{version}_amd64.deb)")


def lines_count(what):
    """Non-blank lines of C++, CMake, Lua, Python and shell (.ci/run included); tests are
    under a tests/ folder, fuzz/ and *Test.cpp, code is the rest; the share is tests / code."""
    files = [f for f in sh(["git", "ls-files"]).stdout.split()
             if f.endswith((".cpp", ".h", "CMakeLists.txt", ".cmake", ".lua", ".py", ".sh")) or f == ".ci/run"]
    count = lambda fs: sum(1 for f in fs for l in read(f).split("\n") if l.strip())
    is_test = lambda f: "/tests/" in "/" + f or f.startswith("fuzz/") or f.endswith("Test.cpp")
    tests = count(f for f in files if is_test(f))
    code = count(f for f in files if not is_test(f))
    print({"tests": tests, "code": code, "share": round(100 * tests / code, 1)}[what])


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--build", default="build")
    ap.add_argument("--lines", choices=("tests", "code", "share"))
    ap.add_argument("--list", action="store_true", help="print every `span` with the kind it counted as")
    ap.add_argument("--no-run", action="store_true", help="names, snippets, figures and layout only")
    ap.add_argument("--only", choices=("client", "corpus", "packages"),
                    help="that check alone, against the tree and the build's CPack settings (no install)")
    args = ap.parse_args()
    if args.lines:
        return lines_count(args.lines)
    docs = ["README.md"] + sorted("docs/" + f for f in os.listdir(os.path.join(ROOT, "docs")) if f.endswith(".md"))
    if args.only:
        t = argparse.Namespace(build=os.path.abspath(os.path.join(ROOT, args.build)),
                               files=sh(["git", "ls-files"]).stdout.splitlines())
        {"client": lambda: check_client_files(t, docs), "corpus": lambda: check_corpus(t),
         "packages": lambda: check_package_names(t, docs)}[args.only]()
        for f in failures:
            print("FAIL " + f)
        print(f"docs check ({args.only}): {sum(checked.values())} checked, {len(failures)} failures")
        return 1 if failures else 0
    t = Tree(args.build)
    for doc in docs:
        blocks, paras = parse(doc)
        run_blocks(t, doc, blocks, not args.no_run)
        for para in paras:
            text = "\n".join(l for _, l in para)
            for m in SPAN.finditer(text):
                line = para[0][0] + text[:m.start()].count("\n")
                before = checked + skipped
                check_span(t, m.group(2).replace("\n", " ").strip(), f"{doc}:{line}")
                if args.list:
                    kinds = ", ".join((checked + skipped - before).keys()) or "nothing"
                    print(f"{doc}:{line}: {kinds}: `{m.group(2)}`")
            for n, l in para:
                check_where(t, l, f"{doc}:{n}")
        check_figures(t, doc, paras)
    check_layout(t)
    check_client_files(t, docs)
    check_corpus(t)
    check_package_names(t, docs)
    if "install_consumer" not in t.ctest:
        fail("README.md", "the ctest install_consumer, which builds the README's consumer blocks, is gone",
             "keep tests/consumer/run.cmake registered")
    for title, counts in (("blocks", ran), ("checked", checked), ("skipped", skipped)):
        print(f"{title}: {sum(counts.values())}")
        for kind, n in sorted(counts.items()):
            print(f"  {n:4} {kind}")
    for f in failures:
        print("FAIL " + f)
    print(f"docs check: {len(failures)} failures" if failures else "docs check: passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
