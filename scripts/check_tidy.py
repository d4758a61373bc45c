#!/usr/bin/env python3
"""Runs clang-tidy with the project's .clang-tidy over the project's translation units.

Which units are checked:
  FILE...   the units named (a header names every unit that includes it);
  --all     every unit;
  default   the units whose source or project headers changed since the baseline commit named
            in scripts/tidy-baseline (every unit when that commit is unknown here).
A unit that passed once with the same source, headers, command and .clang-tidy is not checked
again (build/.tidy-passed keeps what passed). --fix applies clang-tidy's fixes; --all on a clean
tree with no finding moves the baseline to HEAD (commit scripts/tidy-baseline afterwards).

Needs the compile_commands.json of a configured build (build-debug by default); with a built
tree, header dependencies come from ninja, else a changed header means every unit.
"""
import argparse
import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import time

ROOT = os.path.realpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
BASELINE = os.path.join(ROOT, "scripts", "tidy-baseline")


def run(args, **kw):
    return subprocess.run(args, cwd=ROOT, capture_output=True, text=True, **kw)


def rel(path, base):
    full = os.path.realpath(os.path.join(base, path))
    return os.path.relpath(full, ROOT) if full.startswith(ROOT + os.sep) else None


def own(relpath, build):
    return relpath is not None and not relpath.startswith(("build", "..")) and \
        not relpath.startswith(os.path.relpath(build, ROOT) + os.sep)


# Tests and benchmarks are left out: their fixtures favour plainness over the checks' idioms
# (string literals joined across lines, counts narrowed on purpose), and they are half of the
# units, so leaving them out halves the run.
SKIPPED = ("tests/", "bench/")


def load_units(build):
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = json.load(f)
    units = {}
    for e in entries:
        r = rel(e["file"], e["directory"])
        if own(r, build) and not r.startswith(SKIPPED):
            args = shlex.split(e["command"])
            obj = args[args.index("-o") + 1] if "-o" in args else None
            units[r] = {"command": e["command"], "object": obj, "deps": None}
    return units


def load_deps(build, units):
    """Fills each unit's project headers from ninja's dependency log, when there is one."""
    if not shutil.which("ninja"):
        return
    out = run(["ninja", "-C", build, "-t", "deps"])
    if out.returncode != 0:
        return
    by_object = {u["object"]: u for u in units.values() if u["object"]}
    current = None
    for line in out.stdout.splitlines():
        if not line.startswith(" "):
            m = re.match(r"^(.*): #deps \d+", line)
            current = by_object.get(m.group(1)) if m else None
            if current is not None:
                current["deps"] = []
        elif current is not None:
            r = rel(line.strip(), build)
            if own(r, build):
                current["deps"].append(r)


def file_hash(path, cache={}):
    if path not in cache:
        try:
            with open(os.path.join(ROOT, path), "rb") as f:
                cache[path] = hashlib.sha256(f.read()).hexdigest()
        except OSError:
            cache[path] = "missing"
    return cache[path]


def unit_key(name, unit, config):
    h = hashlib.sha256(config)
    h.update(unit["command"].encode())
    for p in [name] + sorted(set(unit["deps"] or [])):
        h.update(p.encode() + b"\0" + file_hash(p).encode())
    return h.hexdigest()


def changed_since_baseline():
    """Project files changed since the baseline commit (committed or not); None: unknown."""
    try:
        with open(BASELINE) as f:
            base = f.read().split()[0]
    except (OSError, IndexError):
        return None
    if run(["git", "cat-file", "-e", base + "^{commit}"]).returncode != 0:
        return None
    files = set()
    for args in (["git", "diff", "--name-only", base], ["git", "ls-files", "--others",
                                                         "--exclude-standard"]):
        out = run(args)
        if out.returncode != 0:
            return None
        files.update(out.stdout.split())
    return files


def units_touching(units, files):
    files = set(files)
    picked = []
    for name, u in units.items():
        if name in files:
            picked.append(name)
        elif u["deps"] is None:
            if any(f.endswith(".h") for f in files):
                picked.append(name)
        elif files.intersection(u["deps"]):
            picked.append(name)
    return picked


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("files", nargs="*")
    ap.add_argument("--all", action="store_true")
    ap.add_argument("--fix", action="store_true")
    ap.add_argument("--jobs", "-j", type=int, default=os.cpu_count() or 2)
    ap.add_argument("--build", default=os.path.join(ROOT, "build-debug"))
    opt = ap.parse_args()
    build = os.path.realpath(opt.build)
    tidy = shutil.which("clang-tidy") or shutil.which("clang-tidy-14")
    if not tidy:
        sys.exit("clang-tidy is missing (apt-get install clang-tidy)")
    if not os.path.exists(os.path.join(build, "compile_commands.json")):
        sys.exit(f"{build}/compile_commands.json is missing: configure the build first")
    start = time.time()
    units = load_units(build)
    load_deps(build, units)
    with open(os.path.join(ROOT, ".clang-tidy"), "rb") as f:
        config = f.read()

    if opt.files:
        names = [os.path.relpath(os.path.realpath(f), ROOT) for f in opt.files]
        todo = units_touching(units, names)
        if not todo:
            sys.exit("no translation unit of the build holds " + " ".join(opt.files))
    elif opt.all:
        todo = sorted(units)
    else:
        changed = changed_since_baseline()
        todo = sorted(units) if changed is None else units_touching(units, changed)

    cache_path = os.path.join(build, ".tidy-passed")
    try:
        with open(cache_path) as f:
            passed = set(f.read().split())
    except OSError:
        passed = set()
    keys = {n: unit_key(n, units[n], config) for n in todo}
    if not opt.fix:
        todo = [n for n in todo if keys[n] not in passed]

    def check(name):
        args = [tidy, "-p", build, "--quiet", "--use-color=false", os.path.join(ROOT, name)]
        if opt.fix:
            args[1:1] = ["--fix", "--format-style=file"]
        out = run(args)
        text = out.stdout + out.stderr
        findings = [l for l in text.splitlines() if re.search(r": (warning|error):", l)]
        return name, out.returncode == 0 and not findings, text

    failed = []
    reports = {}
    # Fixes go one unit after the other: two units fixing one header at once would clash.
    with concurrent.futures.ThreadPoolExecutor(1 if opt.fix else max(1, opt.jobs)) as pool:
        for name, ok, text in pool.map(check, todo):
            if ok and units[name]["deps"] is not None:
                passed.add(keys[name])
            else:
                failed.append(name)
                # A header's finding shows once, however many units include it.
                block = None
                for line in text.splitlines():
                    if re.match(r"^\S.*: (warning|error|note):", line):
                        block = line
                        reports.setdefault(block, [])
                    elif block is not None and not line.startswith(("Suppressed", "Use -header",
                                                                       "Error while")):
                        if not re.match(r"^\d+ (warnings?|errors?) generated", line):
                            reports[block].append(line)
    if not opt.fix:
        with open(cache_path, "w") as f:
            f.write("\n".join(sorted(passed)) + "\n")

    for block, lines in reports.items():
        print(block.replace(ROOT + "/", ""))
        for l in lines:
            print(l)
    elapsed = time.time() - start
    print(f"clang-tidy: {len(todo)} of {len(units)} units checked in {elapsed:.0f} s"
          + (f", {len(failed)} with findings" if failed else ""))
    if failed and not opt.fix:
        print("Fix them, or suppress one with a reason (// NOLINT(check): why); "
              "scripts/check_tidy.sh --fix FILE applies the fixes clang-tidy knows.")
        return 1
    if opt.all and not failed and not opt.fix and not opt.files:
        head = run(["git", "rev-parse", "HEAD"]).stdout.strip()
        dirty = run(["git", "status", "--porcelain", "--untracked-files=no"]).stdout.strip()
        if head and not dirty:
            with open(BASELINE, "w") as f:
                f.write(head + "\n")
            print("scripts/tidy-baseline now names " + head[:12] + " (commit it)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
