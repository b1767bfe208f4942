#!/usr/bin/env python3
"""gpenc.props, the property sheet of Route B (docs/host.md), read as MSBuild evaluates it.

    python3 .ci/props.py [--list] [--compile KIT_CHECK_SH HOST_HEADER]

Checks that its ClCompile items are the library's sources, git ls-files 'src/*.cpp', but
src/core/Module.cpp (the client's DLL has its own DllMain), each once, none missing, nothing
else; that its include folders are folders of the tree; and that every item carries the same
settings. --compile then compiles each listed source in Visual C++ mode through the kit
(.ci/msvc-kit/check.sh) with the sheet's definitions and include folders, the host header's
folder and the client's settings added as the client's project has them. --list prints the
sources and their options. The evaluation covers what the sheet uses: properties with a default
('$(P)' == ''), $(...) and %(...) references, conditions of == and != joined by "and".
"""
import argparse
import concurrent.futures
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NS = "{http://schemas.microsoft.com/developer/msbuild/2003}"
# Left out on purpose: the library's DllMain source; Route B's DLL brings its own.
NOT_ROUTE_B = {"src/core/Module.cpp"}
# What the client's project sets for every file (docs/host.md, "Compiler settings of a Visual C++
# project"; .ci/msvc.sh's client set), and the compiler as the client's: Visual C++ 19.34 without
# clang's extensions (GPENC_PORTABLE: clang-cl defines __clang__, cl.exe does not).
COMPILER = ["-fms-compatibility-version=19.34", "-DGPENC_PORTABLE", "/W4", "/WX"]
CLIENT_DEFINITIONS = "NOMINMAX;WIN32_LEAN_AND_MEAN;_CRT_SECURE_NO_WARNINGS;UNICODE;_UNICODE;_AFXDLL;_AFXEXT"
problems = []


def tag(e):
    return e.tag[len(NS):] if e.tag.startswith(NS) else e.tag


def expand(text, props, meta=None):
    text = re.sub(r"\$\((\w+)\)", lambda m: props.get(m.group(1), ""), text or "")
    if meta is not None:
        text = re.sub(r"%\((\w+)\)", lambda m: meta.get(m.group(1), ""), text)
    return text


def condition(text, props):
    """MSBuild's == and != (case-insensitive) joined by "and"; anything else is not evaluated here."""
    if text is None:
        return True
    result = True
    for term in re.split(r"\s+and\s+", expand(text, props).strip()):
        m = re.fullmatch(r"'([^']*)'\s*(==|!=)\s*'([^']*)'", term.strip())
        if not m:
            raise SystemExit(f"props: gpenc.props: the condition {text!r} is more than this check evaluates")
        same = m.group(1).lower() == m.group(3).lower()
        result = result and (same if m.group(2) == "==" else not same)
    return result


def evaluate(path, given, project):
    """The sheet's ClCompile items: [(source, {metadata})], metadata as the compiler gets it, in a
    project whose own item definitions (project, {name: value}, each value ending in its
    %(name) as Visual Studio writes them) follow the sheet's, as a .vcxproj's follow its sheets."""
    sheet = ET.parse(path).getroot()
    if sheet.tag != NS + "Project":
        raise SystemExit("props: gpenc.props is not an MSBuild project (<Project xmlns=\"...msbuild/2003\">)")
    props = dict(given, MSBuildThisFileDirectory=os.path.dirname(os.path.abspath(path)) + "/")
    # MSBuild evaluates the properties first, then the item definitions, then the items.
    for group in sheet.iter(NS + "PropertyGroup"):
        if condition(group.get("Condition"), props):
            for p in group:
                if condition(p.get("Condition"), props):
                    props[tag(p)] = expand(p.text, props)
    definitions = {}
    for group in sheet.iter(NS + "ItemDefinitionGroup"):
        for item in group:
            if tag(item) == "ClCompile":
                for m in item:
                    if condition(m.get("Condition"), props):
                        definitions[tag(m)] = expand(m.text, props, definitions)
    for name, value in project.items():
        definitions[name] = expand(value, props, definitions)
    items = []
    for group in sheet.iter(NS + "ItemGroup"):
        for item in group:
            if tag(item) != "ClCompile":
                problems.append(f"an item of another kind than ClCompile: {tag(item)} {item.get('Include')}")
                continue
            meta = dict(definitions)
            for m in item:
                if condition(m.get("Condition"), props):
                    meta[tag(m)] = expand(m.text, props, meta)
            for source in expand(item.get("Include"), props).split(";"):
                if source.strip():
                    items.append((source.strip(), dict(meta)))
    return items


def relative(p):
    p = p.replace("\\", "/")
    return os.path.relpath(p, ROOT) if os.path.isabs(p) else p


def split(text):
    return [relative(x) for x in text.split(";") if x.strip()]


def options(meta):
    opts = list(COMPILER)
    opts += [f"-I{d}" for d in split(meta.get("AdditionalIncludeDirectories", ""))]
    opts += [f"-D{d}" for d in meta.get("PreprocessorDefinitions", "").split(";") if d]
    opts += [f"/FI{f}" for f in meta.get("ForcedIncludeFiles", "").split(";") if f]
    return opts


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--compile", nargs=2, metavar=("KIT_CHECK_SH", "HOST_HEADER"))
    args = ap.parse_args()
    header = relative(os.path.abspath(args.compile[1])) if args.compile else "HOST/gpenc_host.h"
    # The client's project: the host header's folder and its definitions, for every file.
    project = {"AdditionalIncludeDirectories": os.path.join(ROOT, os.path.dirname(header)) + ";%(AdditionalIncludeDirectories)",
               "PreprocessorDefinitions": CLIENT_DEFINITIONS + ";%(PreprocessorDefinitions)"}
    items = evaluate(os.path.join(ROOT, "gpenc.props"), {}, project)

    sources = [relative(s) for s, _ in items]
    tracked = subprocess.run(["git", "ls-files", "src/*.cpp"], cwd=ROOT, capture_output=True, text=True,
                             check=True).stdout.split()
    want = set(tracked) - NOT_ROUTE_B
    for s in sorted(want - set(sources)):
        problems.append(f"{s} is a library source (git ls-files) and is missing from the sheet's ClCompile items")
    for s in sorted(set(sources) - want):
        why = ("defines DllMain, which the client's DLL has already" if s in NOT_ROUTE_B
               else "is not a library source of git ls-files 'src/*.cpp'")
        problems.append(f"the sheet lists {s}, which {why}")
    for s in sorted({s for s in sources if sources.count(s) > 1}):
        problems.append(f"the sheet lists {s} more than once")
    folders = {d for _, meta in items for d in split(meta.get("AdditionalIncludeDirectories", ""))} - {os.path.dirname(header)}
    for d in sorted(folders):
        if not os.path.isdir(os.path.join(ROOT, d)):
            problems.append(f"the include folder {d} is not a folder of the tree")
    if len({repr(sorted(m.items())) for _, m in items}) > 1:
        problems.append("the items do not all carry the same settings: " +
                        "; ".join(f"{relative(s)}: {sorted(m.items())}" for s, m in items[:2]))
    if args.list:
        for s, meta in items:
            print(relative(s), " ".join(options(meta)))
    if problems:
        for p in problems:
            print("props: gpenc.props: " + p, file=sys.stderr)
        return 1
    print(f"props: gpenc.props lists the {len(sources)} library sources of Route B, "
          f"include folders {', '.join(sorted(folders))}")

    if args.compile:
        kit = args.compile[0]

        def compile_one(item):
            source, meta = item
            r = subprocess.run([kit] + options(meta) + ["/showIncludes", "--", relative(source)], cwd=ROOT,
                               capture_output=True, text=True)
            # Built against the host's header, not the bundled stand-ins' (which compile as well).
            note = "Note: including file:"
            lines = (r.stdout + r.stderr).splitlines()
            included = {relative(os.path.abspath(os.path.join(ROOT, l[len(note):].strip())))
                        for l in lines if l.startswith(note)}
            out = "\n".join(l for l in lines if not l.startswith(note))
            if r.returncode == 0 and "include/gpenc/Host.h" in included:
                return relative(source), 1, f"{relative(source)} includes the stand-ins' gpenc/Host.h, not {header}", False
            return relative(source), r.returncode, out, header in included

        with concurrent.futures.ThreadPoolExecutor(2) as pool:
            results = list(pool.map(compile_one, items))
        failed = [(s, out) for s, rc, out, _ in results if rc != 0]
        for s, out in failed:
            print(out.rstrip(), file=sys.stderr)
            print(f"props: {s} does not compile with the sheet's settings", file=sys.stderr)
        if not failed and not any(host for *_, host in results):
            failed.append(("", ""))
            print(f"props: no source includes {header}: the sheet does not give GPENC_HOST_HEADER", file=sys.stderr)
        if failed:
            return 1
        print(f"props: the {len(results)} sources compile in Visual C++ mode with the sheet's settings, "
              f"/W4 /WX, against {header}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
