#!/usr/bin/env python3
"""C4251 and C4275 as Visual C++ would warn them, for the classes the public headers export.

    python3 .ci/dll-interface.py --label NAME --headers "H1 H2 ..." -- CLANG-CL-OPTIONS... SOURCE

clang-cl has neither warning, so this computes them from clang's AST (libclang, python3-clang-14),
parsed with the kit's clang-cl options in MSVC mode, and from the headers' #pragma warning lines,
less those in branches the preprocessor skipped:
  C4251  an exported class (__declspec(dllexport) or dllimport on the class) has a data member whose
         type, or the element type of an array, is a class that is not itself exported. Microsoft
         documents non-static members; static ones are checked too, so that none can slip through.
         Builtin, enum, pointer and reference members are fine.
  C4275  an exported class has a base class that is not exported; the data members of such a base
         count as the class's own for C4251.
Each one must be exported or lie inside a #pragma warning(push) / disable(4251 resp. 4275) / pop
region of its own header. A header's pragmas must pair up: a pop without a push, a push that is
never popped, a disable outside a push, or a disable of another warning fails the check, since the
client's own code would be left with the header's warning settings.
Prints what it checked; exits 1 naming header:line and member for each finding.
"""
import argparse
import ctypes
import os
import re
import subprocess
import sys

import clang.cindex as ci

DLL_ATTRS = {ci.CursorKind.DLLEXPORT_ATTR: "dllexport", ci.CursorKind.DLLIMPORT_ATTR: "dllimport"}
CLASS_KINDS = (ci.CursorKind.CLASS_DECL, ci.CursorKind.STRUCT_DECL)
ARRAY_KINDS = (ci.TypeKind.CONSTANTARRAY, ci.TypeKind.INCOMPLETEARRAY, ci.TypeKind.VARIABLEARRAY,
               ci.TypeKind.DEPENDENTSIZEDARRAY)
WARNINGS_ALLOWED = {4251, 4275}


def dll_attr(decl):
    """'dllexport', 'dllimport' or None for a class declaration."""
    if decl is None:
        return None
    definition = decl.get_definition() or decl
    for child in definition.get_children():
        if child.kind in DLL_ATTRS:
            return DLL_ATTRS[child.kind]
    return None


def where(cursor):
    loc = cursor.location
    return os.path.relpath(loc.file.name) if loc.file else "?", loc.line


def class_of(type_):
    """The class declaration a member of this type needs a DLL interface for, or None."""
    t = type_.get_canonical()
    while t.kind in ARRAY_KINDS:
        t = t.get_array_element_type().get_canonical()
    if t.kind in (ci.TypeKind.INVALID, ci.TypeKind.UNEXPOSED, ci.TypeKind.AUTO):
        # Never taken for "not a class": the member would pass unseen.
        raise ValueError("clang does not resolve the type %s" % type_.spelling)
    return t.get_declaration() if t.kind == ci.TypeKind.RECORD else None


def exported_classes(tu, headers):
    """Every class defined in one of the headers with a DLL attribute, nested ones included."""
    found, templates, total = [], [], 0

    def visit(cursor):
        nonlocal total
        for child in cursor.get_children():
            if child.location.file is None or os.path.relpath(child.location.file.name) not in headers:
                continue
            if child.kind == ci.CursorKind.NAMESPACE:
                visit(child)
            elif child.kind == ci.CursorKind.CLASS_TEMPLATE and dll_attr(child):
                templates.append(child)
            elif child.kind in CLASS_KINDS and child.is_definition():
                total += 1
                if dll_attr(child):
                    found.append(child)
                visit(child)

    visit(tu.cursor)
    return found, templates, total


def uses(cls):
    """(warning, name, type spelling, needed class or None, where) for each member and base of cls."""
    out = []
    for child in cls.get_children():
        if child.kind in (ci.CursorKind.FIELD_DECL, ci.CursorKind.VAR_DECL):
            static = " (static)" if child.kind == ci.CursorKind.VAR_DECL else ""
            out.append((4251, child.spelling + static, child.type.spelling, class_of(child.type), where(child)))
        elif child.kind == ci.CursorKind.CXX_BASE_SPECIFIER:
            base = class_of(child.type)
            out.append((4275, "base", child.type.spelling, base, where(child)))
            if base is not None and dll_attr(base) is None:
                # The base's own members reach the client through this class.
                for warning, name, spelling, needed, _ in uses(base.get_definition() or base):
                    if warning == 4251:
                        out.append((4251, base.spelling + "::" + name, spelling, needed, where(child)))
    return out


PRAGMA = re.compile(r"^\s*#\s*pragma\s+warning\s*\((.*)\)\s*(//.*)?$")


class SourceRangeList(ctypes.Structure):
    _fields_ = [("count", ctypes.c_uint), ("ranges", ctypes.POINTER(ci.SourceRange))]


def skipped_lines(tu):
    """{file: [(first, last)]}: the lines the preprocessor skipped (#if 0, the other branch)."""
    lib = ci.conf.lib
    lib.clang_getAllSkippedRanges.restype = ctypes.POINTER(SourceRangeList)
    lib.clang_getAllSkippedRanges.argtypes = [ci.TranslationUnit]
    lib.clang_disposeSourceRangeList.argtypes = [ctypes.POINTER(SourceRangeList)]
    found = {}
    ranges = lib.clang_getAllSkippedRanges(tu)
    for i in range(ranges.contents.count):
        r = ranges.contents.ranges[i]
        if r.start.file:
            found.setdefault(os.path.relpath(r.start.file.name), []).append((r.start.line, r.end.line))
    lib.clang_disposeSourceRangeList(ranges)
    return found


def pragma_events(header, skipped):
    """[(line, text)] for each #pragma warning of the header that the compiler reads, and problems."""
    events, problems = [], []
    with open(header, encoding="utf-8") as f:
        for line, text in enumerate(f, 1):
            if any(first <= line <= last for first, last in skipped):
                continue
            if PRAGMA.match(text):
                events.append((line, PRAGMA.match(text).group(1)))
            elif not text.lstrip().startswith("//") and re.search(r"__pragma|_Pragma|#\s*pragma\s+warning", text):
                problems.append("%s:%d: a warning pragma this check cannot read: write it as one "
                                "#pragma warning(...) line" % (header, line))
    return events, problems


def warning_states(header, events):
    """The warnings off at each pragma line, as [(line, frozenset)], and the pairing problems."""
    problems, states = [], []
    stack, off = [], set()
    for line, body in events:
        here = "%s:%d" % (header, line)
        for part in body.split(";"):
            verb, _, numbers = part.partition(":")
            verb = verb.strip().split(",")[0].strip()
            numbers = {int(n) for n in numbers.split()}
            if verb == "push":
                stack.append((line, set(off)))
            elif verb == "pop":
                if not stack:
                    problems.append("%s: #pragma warning(pop) without a push in this header" % here)
                else:
                    off = stack.pop()[1]
            elif verb == "disable":
                if not stack:
                    problems.append("%s: #pragma warning(disable) outside a push/pop: the client's own code "
                                    "after the header would have it off" % here)
                if numbers - WARNINGS_ALLOWED:
                    problems.append("%s: disables %s: a public header turns off C4251 and C4275 only"
                                    % (here, " ".join(str(n) for n in sorted(numbers - WARNINGS_ALLOWED))))
                off |= numbers
            elif verb == "default":
                off -= numbers
            else:
                problems.append("%s: #pragma warning(%s): not a push, disable, default or pop" % (here, body))
        states.append((line, frozenset(off)))
    for line, _ in stack:
        problems.append("%s:%d: #pragma warning(push) never popped in this header" % (header, line))
    return states, problems


def off_at(states, line):
    off = frozenset()
    for at, state in states:
        if at >= line:
            break
        off = state
    return off


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--label", required=True)
    parser.add_argument("--headers", required=True, help="the public headers, separated by blanks")
    parser.add_argument("clang", nargs=argparse.REMAINDER, help="-- clang-cl options, then the source")
    args = parser.parse_args()
    clang = args.clang[1:] if args.clang[:1] == ["--"] else args.clang
    options, source = clang[:-1], clang[-1]
    headers = set(args.headers.split())

    # libclang looks for clang's own headers beside the library, which Debian keeps elsewhere.
    resource_dir = subprocess.run(["clang", "-print-resource-dir"], check=True, stdout=subprocess.PIPE,
                                  universal_newlines=True).stdout.strip()
    tu = ci.Index.create().parse(source, args=["--driver-mode=cl", "-resource-dir", resource_dir] + options,
                                 options=ci.TranslationUnit.PARSE_DETAILED_PROCESSING_RECORD)
    errors = [d for d in tu.diagnostics if d.severity >= ci.Diagnostic.Error]
    for d in errors:
        print("dll-interface: %s" % d, file=sys.stderr)
    if errors:
        return 2
    skipped = skipped_lines(tu)
    problems, states = [], {}
    for header in sorted(headers):
        events, found = pragma_events(header, skipped.get(header, []))
        states[header], paired = warning_states(header, events)
        problems += found + paired

    classes, templates, total = exported_classes(tu, headers)
    for t in templates:
        problems.append("%s:%d: %s: an exported class template, which this check does not follow"
                        % (where(t) + (t.spelling,)))
    print("dll-interface (%s): %d classes defined in the public headers, %d exported"
          % (args.label, total, len(classes)))
    if not classes:
        problems.append("no exported class in %s: the check has nothing to look at" % " ".join(sorted(headers)))
    row = "  %5s %-32s %-44s %-12s %s"
    for cls in classes:
        header, line = where(cls)
        print("%s:%d: %s, %s" % (header, line, cls.type.spelling, dll_attr(cls)))
        print(row % ("line", "member or base", "type", "exported", "C4251/C4275 off"))
        try:
            checked = uses(cls)
        except ValueError as e:
            problems.append("%s:%d: %s: %s" % (header, line, cls.spelling, e))
            continue
        for warning, name, spelling, needed, (file, at) in checked:
            if needed is None:
                print(row % (at, name, spelling, "not a class", "-"))
                continue
            exported = dll_attr(needed)
            covered = warning in off_at(states.get(file, []), at)
            print(row % (at, name, spelling, exported or "no", "C%d %s" % (warning, "off" if covered else "ON")))
            if not exported and not covered:
                problems.append("%s:%d: %s::%s: %s has no DLL interface, and C%d is on here: put the class "
                                "between #pragma warning(push), #pragma warning(disable : %d) and "
                                "#pragma warning(pop)" % (file, at, cls.spelling, name, spelling, warning, warning))
    for problem in problems:
        print("dll-interface: " + problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
