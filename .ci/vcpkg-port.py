#!/usr/bin/env python3
"""ports/gpenc against the project's CMake (.ci/vcpkg-port.sh sets up the kit and runs this).

    python3 .ci/vcpkg-port.py --out DIR --log4cplus DIR [FEATURE,FEATURE... | core]...

1. ports/gpenc/vcpkg.json as vcpkg reads it: strict JSON, no key twice; the name gpenc, the
   project's version, log4cplus with the features ["unicode"] and no other, the host ports
   vcpkg-cmake and vcpkg-cmake-config. Every find_package of the build (but tests/, fuzz/ and
   web/) is log4cplus's or one that a part of cmake/Parts.cmake needs.
2. For every set of features (a feature brings the features of gpenc it depends on): the
   portfile's configure options (.ci/vcpkg-port.cmake, the triplet's host lines from
   ports/gpenc/usage). Each part of cmake/Parts.cmake is ON or OFF, never AUTO; the ports the
   set asks for are those of the packages the parts it turns on find, and log4cplus, neither
   more nor fewer. A set with host and a part that needs the bundled stand-ins is refused by
   the portfile itself; every other set is accepted.
3. Each accepted set configured (CMake's Windows rules) against an installed tree holding
   only the packages of the ports it asks for (log4cplus narrow unless asked for with
   "unicode"): it must configure, with no "Manually-specified variables were not used by the
   project"; the host's values reach the cache as the triplet gave them.
"""
import argparse
import concurrent.futures
import itertools
import json
import os
import re
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PORT = os.path.join(ROOT, "ports", "gpenc")
# The package each port installs, as the tree's find_package calls name it.
PACKAGES = {"log4cplus": "log4cplus", "nlohmann-json": "nlohmann_json", "cli11": "CLI11", "gtest": "GTest",
            "benchmark": "benchmark"}
# The stand-ins of the installed tree: each port's CMake package, as vcpkg installs it, over
# Debian's headers (which the configure does not compile).
STAND_INS = {
    "nlohmann-json": ("nlohmann_json", "nlohmann_json::nlohmann_json", "3.11.2", "/usr/include/nlohmann"),
    "cli11": ("CLI11", "CLI11::CLI11", "2.3.1", "/usr/include/CLI"),
}
problems = []


def problem(text):
    problems.append(text)


def strict_json(path):
    def pairs(items):
        keys = [k for k, _ in items]
        twice = sorted({k for k in keys if keys.count(k) > 1})
        if twice:
            raise ValueError(f"the key(s) {', '.join(twice)} appear twice in one object")
        return dict(items)

    def constant(name):
        raise ValueError(f"{name} is not JSON")

    with open(path) as f:
        return json.load(f, object_pairs_hook=pairs, parse_constant=constant)


def dependencies(items):
    """{port: features} of a dependency list; host ports under the key ("host", port)."""
    found = {}
    for d in items:
        d = {"name": d} if isinstance(d, str) else d
        key = ("host", d["name"]) if d.get("host") else d["name"]
        found[key] = sorted(d.get("features", []))
    return found


def parts_needs():
    """cmake/Parts.cmake: each part's needs (packages, parts, "stand-ins")."""
    with open(os.path.join(ROOT, "cmake", "Parts.cmake")) as f:
        text = f.read()
    return {m.group(1): m.group(2).split() for m in re.finditer(r'^gpenc_part\((\w+) "[^"]*"([^)]*)\)', text, re.M)}


def run_portfile(features, all_features, triplet, out):
    r = subprocess.run(["cmake", f"-DFEATURES={';'.join(features)}", f"-DALL_FEATURES={';'.join(all_features)}",
                        f"-DTRIPLET={triplet}", f"-DOUT={out}", "-P", os.path.join(ROOT, ".ci", "vcpkg-port.cmake")],
                       capture_output=True, text=True)
    if r.returncode != 0:
        return None, (r.stderr + r.stdout).strip()
    options = {}
    for config in ("release", "debug"):
        with open(os.path.join(out, config + ".txt")) as f:
            options[config] = [l for l in f.read().split("\n") if l]
    return options, ""


def cache_script(path):
    """The entries of an initial-cache script (-C): {name: value}."""
    reader = path + ".read.cmake"
    with open(reader, "w") as f:
        f.write('cmake_minimum_required(VERSION 3.20)\nget_cmake_property(before CACHE_VARIABLES)\ninclude("${SCRIPT}")\n'
                'get_cmake_property(after CACHE_VARIABLES)\nforeach(n IN LISTS after)\n'
                '  if(NOT n IN_LIST before)\n    message("${n}=$CACHE{${n}}")\n  endif()\nendforeach()\n')
    r = subprocess.run(["cmake", f"-DSCRIPT={path}", "-P", reader], capture_output=True, text=True)
    if r.returncode != 0:
        raise SystemExit(f"vcpkg-port: {path} does not run: {r.stderr}")
    return dict(l.split("=", 1) for l in r.stderr.splitlines() if "=" in l)


def settings(options):
    """-DNAME=VALUE and -DNAME:TYPE=VALUE of a list of options, the last one winning; -C files read."""
    values, cached = {}, {}
    for o in options:
        m = re.fullmatch(r"-D([^:=]+)(?::[A-Z]+)?=(.*)", o, re.S)
        if m:
            values[m.group(1)] = m.group(2)
        elif o.startswith("-C"):
            cached.update(cache_script(o[2:]))
    return values, cached


def declared_cache_names():
    """Names the project's CMake files declare as cache entries (set(... CACHE ...), option())."""
    files = subprocess.run(["git", "ls-files", "*CMakeLists.txt", "*.cmake"], cwd=ROOT, capture_output=True,
                           text=True, check=True).stdout.split()
    names = set()
    for f in files:
        with open(os.path.join(ROOT, f)) as fh:
            text = fh.read()
        names |= set(re.findall(r"\bset\((\w+)\b[^()]*(?:\([^()]*\)[^()]*)*\bCACHE\b", text))
        names |= set(re.findall(r"\boption\((\w+)\b", text))
    return names


def installed_tree(path, ports, log4cplus):
    """A vcpkg-like installed tree with each port's CMake package and nothing else."""
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(os.path.join(path, "include"))
    for port, features in ports.items():
        if port == "log4cplus":
            width = "wide" if "unicode" in features else "narrow"
            defs = "UNICODE;_UNICODE" if width == "wide" else ""
            config = f"""add_library(log4cplus::log4cplus SHARED IMPORTED)
set_target_properties(log4cplus::log4cplus PROPERTIES
  IMPORTED_IMPLIB "{log4cplus}/{width}/log4cplus.lib" IMPORTED_LOCATION "${{CMAKE_CURRENT_LIST_DIR}}/../../bin/log4cplus.dll"
  INTERFACE_INCLUDE_DIRECTORIES "{log4cplus}/include" INTERFACE_COMPILE_DEFINITIONS "{defs}")
"""
            package, target, version = "log4cplus", "log4cplus::log4cplus", None
        elif port in STAND_INS:
            package, target, version, headers = STAND_INS[port]
            os.symlink(headers, os.path.join(path, "include", os.path.basename(headers)))
            config = f"""add_library({target} INTERFACE IMPORTED)
set_target_properties({target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${{CMAKE_CURRENT_LIST_DIR}}/../../include")
"""
        else:
            problem(f"no stand-in package for the port {port} in .ci/vcpkg-port.py")
            continue
        share = os.path.join(path, "share", package)
        os.makedirs(share)
        with open(os.path.join(share, f"{package}Config.cmake"), "w") as f:
            f.write(f"if(NOT TARGET {target})\n"
                    + "".join("  " + l + "\n" for l in config.strip().split("\n")) + "endif()\n")
        if version:
            with open(os.path.join(share, f"{package}ConfigVersion.cmake"), "w") as f:
                f.write(f'set(PACKAGE_VERSION "{version}")\nset(PACKAGE_VERSION_COMPATIBLE FALSE)\n'
                        f'if(PACKAGE_FIND_VERSION_MAJOR STREQUAL "{version.split(".")[0]}" OR NOT PACKAGE_FIND_VERSION)\n'
                        f'  set(PACKAGE_VERSION_COMPATIBLE TRUE)\nendif()\n')


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--out", required=True)
    ap.add_argument("--log4cplus", required=True)
    ap.add_argument("sets", nargs="*", help="feature sets to configure (default: every one)")
    args = ap.parse_args()
    out = os.path.abspath(args.out)

    # 1. The manifest.
    try:
        manifest = strict_json(os.path.join(PORT, "vcpkg.json"))
    except ValueError as e:
        raise SystemExit(f"vcpkg-port: ports/gpenc/vcpkg.json is not JSON as vcpkg reads it: {e}")
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        version = re.search(r"^project\(gpenc VERSION ([\d.]+)", f.read(), re.M).group(1)
    if manifest.get("name") != "gpenc":
        problem(f"the name is {manifest.get('name')!r}, not \"gpenc\"")
    if manifest.get("version") != version:
        problem(f"the version is {manifest.get('version')!r}, the project's is {version}")
    top = dependencies(manifest.get("dependencies", []))
    if top.get("log4cplus") != ["unicode"]:
        problem(f"log4cplus is not a dependency with the features [\"unicode\"] and no other (found: {top.get('log4cplus')})")
    for host in ("vcpkg-cmake", "vcpkg-cmake-config"):
        if ("host", host) not in top:
            problem(f"no host dependency {host}, whose functions the portfile calls")
    features = {name: dependencies(f.get("dependencies", [])) for name, f in manifest.get("features", {}).items()}

    def closure(chosen):
        done = set(chosen)
        while True:
            more = {f for c in done for f in features[c].get("gpenc", [])} - done
            if not more:
                return frozenset(done)
            done |= more

    sets = sorted({closure(c) for n in range(len(features) + 1) for c in itertools.combinations(sorted(features), n)},
                  key=lambda s: (len(s), sorted(s)))

    # 2. The portfile, per set.
    with open(os.path.join(PORT, "usage")) as f:
        usage = f.read()
    m = re.search(r'^ *if\(PORT STREQUAL "gpenc"\)\n.*?^ *endif\(\)\n', usage, re.M | re.S)
    if not m:
        raise SystemExit("vcpkg-port: ports/gpenc/usage shows no triplet lines if(PORT STREQUAL \"gpenc\") ... endif()")
    os.makedirs(out, exist_ok=True)
    header = os.path.join(ROOT, "tests", "framework", "gpenc_host.h")
    libraries = f"{out}/host/VadroBase.lib;{out}/host/Log.lib"  # two, so that a list must survive
    lines = m.group(0).replace("C:/client/include/gpenc_host.h", header)
    lines = lines.replace("C:/client/lib/VadroBase.lib;C:/client/lib/Log.lib", libraries)
    if "C:/" in lines:
        raise SystemExit(f"vcpkg-port: ports/gpenc/usage's triplet lines are not the ones this check knows:\n{m.group(0)}")
    base = "set(VCPKG_TARGET_ARCHITECTURE x64)\nset(VCPKG_CRT_LINKAGE dynamic)\nset(VCPKG_LIBRARY_LINKAGE dynamic)\n"
    for name, text in (("triplet.cmake", base), ("triplet-host.cmake", base + lines)):
        with open(os.path.join(out, name), "w") as f:
            f.write(text)

    needs = parts_needs()
    # Every find_package of the build is one the check can place: log4cplus for the library, the
    # others through the needs of cmake/Parts.cmake's parts (web/ is an Emscripten build of its own).
    found = {}
    for f in subprocess.run(["git", "ls-files", "*CMakeLists.txt", "*.cmake"], cwd=ROOT, capture_output=True,
                            text=True, check=True).stdout.split():
        if f.startswith(("tests/", "fuzz/", "web/")) or f == "cmake/gpencConfig.cmake.in":
            continue
        with open(os.path.join(ROOT, f)) as fh:
            for name in re.findall(r"^\s*find_package\((\w+)", fh.read(), re.M):
                found.setdefault(name, f)
    placed = {"log4cplus"} | {n for ns in needs.values() for n in ns if n != "stand-ins" and n not in needs}
    for name in sorted(set(found) - placed):
        problem(f"{found[name]} finds {name}, which no part of cmake/Parts.cmake names among its needs")
    for name in sorted(placed - set(found)):
        problem(f"a part of cmake/Parts.cmake needs {name}, which no find_package of the build looks for")
    declared = declared_cache_names()
    runs = {}
    for s in sets:
        name = ",".join(sorted(s)) or "core"
        triplet = os.path.join(out, "triplet-host.cmake" if "host" in s else "triplet.cmake")
        options, error = run_portfile(sorted(s), sorted(features), triplet, os.path.join(out, "portfile", name))
        runs[s] = (name, options, error)

    def parts_on(options):
        values, _ = settings(options)
        return {p for p in needs if values.get(f"GPENC_BUILD_{p}") == "ON"}

    to_configure = []
    for s, (name, options, error) in runs.items():
        stand_ins = s - {f for f in s if "host" in closure({f})}
        refuse = "host" in s and runs[stand_ins][1] is not None and any(
            "stand-ins" in needs[p] for p in parts_on(runs[stand_ins][1]["release"]))
        if refuse:
            if options is not None:
                problem(f"[{name}]: the portfile accepts host with a part that needs the bundled stand-ins; "
                        "it is to refuse the set with a message")
            else:
                said = re.search(r"CMake Error at [^\n]*\n\s*(.*)", error)
                print(f"vcpkg-port: [{name}] refused by the portfile, as it should be: {said.group(1) if said else error}")
            continue
        if options is None:
            problem(f"[{name}]: the portfile stops:\n{error}")
            continue
        for config, opts in options.items():
            values, cached = settings(opts)
            for p in needs:
                if values.get(f"GPENC_BUILD_{p}") not in ("ON", "OFF"):
                    problem(f"[{name}] {config}: GPENC_BUILD_{p} is {values.get(f'GPENC_BUILD_{p}', 'not given')}, "
                            "not ON or OFF: the build would follow what else is installed")
            for n in sorted(set(cached) - declared):
                problem(f"[{name}] {config}: the initial cache sets {n}, which no CMake file of the project declares")
        # The ports the set asks for against the packages its parts find.
        ports = dict((p, f) for p, f in top.items() if not isinstance(p, tuple))
        for f in s:
            for p, fs in features[f].items():
                if not isinstance(p, tuple) and p != "gpenc":
                    ports[p] = sorted(set(ports.get(p, [])) | set(fs))
        on = parts_on(options["release"])
        wanted = {"log4cplus"} | {n for p in on for n in needs[p] if n != "stand-ins" and n not in needs}
        unknown = sorted(p for p in ports if p not in PACKAGES)
        if unknown:
            problem(f"[{name}]: the port(s) {', '.join(unknown)}: name the package each installs in .ci/vcpkg-port.py")
        asked = {PACKAGES[p] for p in ports if p in PACKAGES}
        for p in sorted(wanted - asked):
            problem(f"[{name}]: the parts {', '.join(sorted(on)) or '(library alone)'} find {p}, "
                    "and the manifest names no port of it")
        for p in sorted(asked - wanted):
            problem(f"[{name}]: the manifest names the package {p}, which none of the parts turned on "
                    f"({', '.join(sorted(on)) or 'library alone'}) finds")
        to_configure.append((s, name, options, ports))

    # 3. The configures, two at a time (each is mostly one compiler check after another).
    chosen = [set(a.split(",")) - {"core"} for a in args.sets]
    jobs = []
    for s, name, options, ports in to_configure:
        if chosen and set(s) not in chosen:
            continue
        installed_tree(os.path.join(out, "installed", name), ports, os.path.abspath(args.log4cplus))
        configs = {"release": "Release", "debug": "Debug"}
        if options["debug"] == options["release"]:
            configs = {"release": "Release"}
        jobs += [(name, options[config], ports, config, build_type) for config, build_type in configs.items()]

    def configure(job):
        name, options, ports, config, build_type = job
        build = os.path.join(out, "configure", f"{name}-{config}")
        shutil.rmtree(build, ignore_errors=True)
        cmd = ["cmake", "-S", ROOT, "-B", build, "-G", "Ninja",
               f"-DCMAKE_TOOLCHAIN_FILE={ROOT}/.ci/msvc-kit/clang-cl.cmake", f"-DCMAKE_BUILD_TYPE={build_type}",
               "-DCMAKE_DISABLE_SOURCE_CHANGES=ON"] + options
        # vcpkg's toolchain searches the installed tree; the kit's toolchain searches under MSVC_KIT_ROOT.
        env = dict(os.environ, MSVC_KIT_ROOT=os.path.join(out, "installed", name), CMAKE_PREFIX_PATH="/")
        r = subprocess.run(cmd, capture_output=True, text=True, env=env)
        text = r.stdout + r.stderr
        with open(build + ".log", "w") as f:
            f.write(" ".join(cmd) + "\n\n" + text)
        if r.returncode != 0:
            return [f"[{name}] {config}: the configure fails ({build}.log):\n"
                    + "\n".join(l for l in text.splitlines() if "Error" in l or l.startswith("  "))[-1500:]], ""
        m = re.search(r"Manually-specified variables were not used by the project:\n\n((?:    .*\n)+)", text)
        if m:
            return [f"[{name}] {config}: CMake does not know the option(s) {', '.join(m.group(1).split())} "
                    f"({build}.log)"], ""
        _, cached = settings(options)
        with open(os.path.join(build, "CMakeCache.txt")) as f:
            cache = dict(re.findall(r"^(\w+):\w+=(.*)$", f.read(), re.M))
        wrong = [f"[{name}] {config}: {n} reached the cache as {cache.get(n)!r}, the triplet gave {v!r}"
                 for n, v in cached.items() if cache.get(n) != v]
        return wrong, (f"vcpkg-port: [{name}] {config}: configures; every option known; ports: "
                       + ", ".join(f"{p}[{','.join(f)}]" if f else p for p, f in sorted(ports.items())))

    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        for wrong, said in pool.map(configure, jobs):
            problems.extend(wrong)
            if said and not wrong:
                print(said)
    configured = len(jobs)

    for p in problems:
        print("vcpkg-port: " + p, file=sys.stderr)
    if problems:
        return 1
    print(f"vcpkg-port: ports/gpenc: {len(runs)} feature sets, {len(to_configure)} accepted, {configured} configured")
    return 0


if __name__ == "__main__":
    sys.exit(main())
