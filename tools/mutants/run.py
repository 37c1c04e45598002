#!/usr/bin/env python3
"""Plants the faults of mutants.txt one at a time, builds, runs the tests, and reports which
faults the tests catch. The source file is always put back; the clean tree is rebuilt at the end.

    tools/mutants/run.py [--build DIR] [--out FILE] [--all-failures] [--check] [ID-PATTERN...]
"""
import argparse
import fnmatch
import os
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]
SRC = ROOT / "src"
XVFB = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24"]
# A ctest line of a test that did not pass: "Test  #12: Suite.Name ....***Failed  0.5 sec".
FAILED_LINE = re.compile(r"Test\s+#\d+: (\S+) .*\*\*\*")


def parse(path):
    mutants, current = [], None
    for number, line in enumerate(path.read_text().splitlines(), 1):
        if line.startswith("@ "):
            ident, _, what = line[2:].partition("|")
            current = {"id": ident.strip(), "what": what.strip(), "old": [], "new": []}
            mutants.append(current)
        elif current is not None and (line == "-" or line.startswith("- ")):
            current["old"].append(line[2:])
        elif current is not None and (line == "+" or line.startswith("+ ")):
            current["new"].append(line[2:])
        elif line.strip() and not line.startswith("#"):
            sys.exit(f"{path}:{number}: not understood: {line}")
    ids = [m["id"] for m in mutants]
    for m in mutants:
        m["old"], m["new"] = "\n".join(m["old"]), "\n".join(m["new"])
        if not m["old"] or m["old"] == m["new"] or ids.count(m["id"]) > 1:
            sys.exit(f"{path}: entry {m['id']}: empty, unchanged or duplicate")
    return mutants


def locate(snippet):
    """The one file of src/ holding the snippet and its text; (None, count) otherwise."""
    found, count = None, 0
    for path in sorted(SRC.rglob("*")):
        if path.suffix not in (".cpp", ".h") or not path.is_file():
            continue
        text = path.read_text(encoding="latin-1")
        n = text.count(snippet)
        if n:
            found, count = (path, text), count + n
    return (found, 1) if count == 1 else (None, count)


def run(command, cwd, limit):
    """(exit status or None when over `limit` seconds, output). Kills the whole process group."""
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               text=True, errors="replace", start_new_session=True)
    try:
        output, _ = process.communicate(timeout=limit)
        return process.returncode, output
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        return None, process.communicate()[0]
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        raise


def build(args):
    status, output = run(["cmake", "--build", str(args.build), "-j2"], ROOT, 1800)
    return status == 0, output


# Quick labels first: most faults fail a unit test within seconds, and a caught fault needs
# no other stage. A fault survives only when every stage passes.
STAGES = ["^unit$", "^(net|console)$", "^render$", "^e2e$"]


def run_tests(args):
    """(status, failing tests): status is caught, survived or error."""
    stages = [None] if args.all_failures else STAGES
    for label in stages:
        command = XVFB + ["ctest", "-j2", "--timeout", "120"]
        command += ["--stop-on-failure", "-L", label] if label else []
        status, output = run(command, args.build, args.limit)
        failing = FAILED_LINE.findall(output)
        if status == 0 or (label and "No tests were found" in output):
            continue
        if failing:
            return "caught", failing
        if status is None:
            return "caught", [f"(run over {args.limit} s)"]
        return "error", [output.strip().splitlines()[-1] if output.strip() else f"exit {status}"]
    return "survived", []


def write_results(args, rows):
    width = max([len(r[0]) for r in rows] + [8])
    lines = [f"{'id':<{width}}  {'status':<15}  first failing test" +
             ("  |  all failing" if args.all_failures else "")]
    for ident, status, failing, seconds in rows:
        first = failing[0] if failing else "-"
        line = f"{ident:<{width}}  {status:<15}  {first}"
        if args.all_failures and len(failing) > 1:
            line += "  |  " + " ".join(failing)
        lines.append(line)
    count = {s: sum(1 for r in rows if r[1] == s) for s in
             ("caught", "survived", "does not build", "stale", "error")}
    lines.append("")
    lines.append(f"{count['caught'] + count['survived']} planted, {count['caught']} caught, "
                 f"{count['survived']} survived; {count['does not build']} do not build, "
                 f"{count['stale']} stale, {count['error']} errors")
    args.out.write_text("\n".join(lines) + "\n")
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("ids", nargs="*", help="mutant ids or shell patterns (default: all)")
    parser.add_argument("--build", type=Path, default=ROOT / "build", help="configured build folder")
    parser.add_argument("--list", type=Path, default=HERE / "mutants.txt", help="mutant list")
    parser.add_argument("--out", type=Path, default=HERE / "results.txt", help="results table")
    parser.add_argument("--limit", type=int, default=360, help="seconds for one test run")
    parser.add_argument("--all-failures", action="store_true",
                        help="run every test of each mutant and list every failing one")
    parser.add_argument("--check", action="store_true", help="only check that snippets are found")
    args = parser.parse_args()
    args.build, args.out = args.build.resolve(), args.out.resolve()

    mutants = [m for m in parse(args.list)
               if not args.ids or any(fnmatch.fnmatch(m["id"], p) for p in args.ids)]
    if args.check:
        stale = [(m["id"], locate(m["old"])[1]) for m in mutants if locate(m["old"])[0] is None]
        for ident, count in stale:
            print(f"{ident}: stale, the snippet occurs {count} times in src/")
        print(f"{len(mutants)} mutants, {len(stale)} stale")
        return 1 if stale else 0

    signal.signal(signal.SIGTERM, signal.default_int_handler)
    print(f"unmutated: building and testing in {args.build}", flush=True)
    built, output = build(args)
    if not built:
        sys.exit(output[-3000:] + "\nthe unmutated tree does not build")
    status, failing = run_tests(args)
    if status != "survived":
        sys.exit(f"the unmutated suite does not pass ({status}: {', '.join(failing)})")

    rows = []
    try:
        for index, m in enumerate(mutants, 1):
            start = time.monotonic()
            (found, count) = locate(m["old"])
            if found is None:
                rows.append((m["id"], "stale", [f"(snippet found {count} times)"], 0))
            else:
                path, original = found
                try:
                    path.write_text(original.replace(m["old"], m["new"]), encoding="latin-1")
                    built, _ = build(args)
                    status, failing = run_tests(args) if built else ("does not build", [])
                finally:
                    path.write_text(original, encoding="latin-1")
                rows.append((m["id"], status, failing, time.monotonic() - start))
            row = rows[-1]
            print(f"[{index}/{len(mutants)}] {row[0]}: {row[1]} "
                  f"{row[2][0] if row[2] else ''} ({row[3]:.0f} s)", flush=True)
            write_results(args, rows)
    finally:
        if rows:
            print("\n".join(write_results(args, rows)))
        print("rebuilding the clean tree", flush=True)
        if not build(args)[0]:
            print("the clean tree does not build: look at git status", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
