#!/usr/bin/env python3
"""Mutation check: makes one-line faults in the product code, builds, runs the tests and lists
the faults no test noticed (the survivors).

    scripts/mutate.py                      # the lines changed since origin/main (or HEAD~1)
    scripts/mutate.py --since REV          # the lines changed since REV
    scripts/mutate.py src/core/Compare.cpp src/report   # every line of these files or folders
    scripts/mutate.py --max 150 --seed 3 src/core

The faults: a comparison flipped or loosened, == and != exchanged, a condition dropped (one side
of && or ||, or a whole if), an off-by-one (a number one more or less, + 1 gone), a call
removed, the two arguments of a call swapped, true and false exchanged, a constant changed. Each
is tried in a copy of the tree (a git worktree under $TMPDIR with a build of its own, made once
and kept for later runs, with the standard library's bounds checks on, so that a fault reading
past a container's end stops its test), so the working tree is never touched. Lines inside a raw
string literal of several lines are text, not code, and are left alone. A fault that does not compile
is not counted, nor is a line whose only effect is speed (reserving memory, advice to the
kernel, or a line whose comment says "speed only", such as the size of a batch). Faults judged
equivalent by hand (they change no output: a hash's constant, a bound checked again further on)
are listed in scripts/mutate-equivalent.txt with the reason, left out and named in the summary.
A fault that can be made in several places of one line names its place ("< -> <= #2": the
second "<" from the left).
The unit tests run first, the window and command-line tests only when those pass; a fault is
caught when any test fails or a test run takes too long.
"""
import argparse
import os
import pathlib
import random
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
TARGETS = ["core_tests", "qt_tests", "tallir", "tallir-diff", "instance_peer"]


def run(command, cwd, timeout=None, env=None):
    return subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace",
                          timeout=timeout, env=env)


# ---- where to mutate ----------------------------------------------------------------------

def changed_lines(since):
    """{path: set of line numbers} of src/ C++ lines added or changed since a revision."""
    diff = run(["git", "diff", "-U0", since, "--", "src"], ROOT).stdout
    lines, path = {}, None
    for line in diff.splitlines():
        if line.startswith("+++ "):
            path = line[6:] if line.startswith("+++ b/") else None
        elif line.startswith("@@") and path and path.endswith((".cpp", ".h")):
            match = re.search(r"\+(\d+)(?:,(\d+))?", line)
            start, count = int(match.group(1)), int(match.group(2) or 1)
            lines.setdefault(path, set()).update(range(start, start + count))
    return lines


def all_lines(names):
    lines = {}
    for name in names:
        path = ROOT / name
        files = [path] if path.is_file() else sorted(p for p in path.rglob("*") if p.suffix in (".cpp", ".h"))
        for file in files:
            relative = str(file.relative_to(ROOT))
            lines[relative] = set(range(1, len(file.read_text().splitlines()) + 1))
    return lines


# ---- the faults ---------------------------------------------------------------------------

def masked(line):
    """The line with string and character literals and a trailing comment blanked out, so that
    faults are only made in code."""
    out, quote, i = [], None, 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


# Lines whose only effect is speed or memory: a fault there changes no output a test could see.
SPEED_ONLY = re.compile(r"\.reserve\(|shrink_to_fit|madvise|fadvise|__builtin_prefetch")
SPEED_ONLY_COMMENT = re.compile(r"//.*\bspeed only\b")
EQUIVALENT = ROOT / "scripts" / "mutate-equivalent.txt"


def equivalents():
    """{(path, line as written, fault): why} from scripts/mutate-equivalent.txt, whose lines read
    'path | line | fault | why' (blank lines and lines starting with # are passed over)."""
    judged = {}
    if EQUIVALENT.exists():
        for entry in EQUIVALENT.read_text().splitlines():
            if entry.strip() and not entry.startswith("#"):
                # (a line of code may hold " | " itself: the path comes first, fault and why last)
                path, rest = entry.split(" | ", 1)
                line, fault, why = (part.strip() for part in rest.rsplit(" | ", 2))
                path = path.strip()
                judged[(path, line, fault)] = why
    return judged

COMPARISONS = {"<": ["<=", ">"], ">": [">=", "<"], "<=": ["<", ">"], ">=": [">", "<"], "==": ["!="], "!=": ["=="]}


def faults(line):
    """(description, mutated line) for one line of code."""
    code = masked(line)
    stripped = code.strip()
    if not stripped or stripped.startswith(("#", "//", "*", "/*", "static_assert", "template")):
        return []
    if SPEED_ONLY.search(code) or SPEED_ONLY_COMMENT.search(line):
        return []
    found = []

    def replace(start, end, text, what):
        found.append((what, line[:start] + text + line[end:]))

    # Comparisons (not the brackets of template arguments, shifts or ->).
    templates = 0
    for match in re.finditer(r"(?<![<>=!\-])(<=|>=|==|!=|<|>)(?![<>=])", code):
        op, before = match.group(1), code[:match.start()]
        if op == "<" and (re.search(r"(std::\w+|vector|optional|array|pair|map|set|function|atomic|_ptr|_cast|template)\s*$", before)
                          or before.rstrip().endswith("operator")):
            templates += 1
            continue
        if op == ">" and templates:
            templates -= 1
            continue
        for other in COMPARISONS[op]:
            replace(match.start(1), match.end(1), other, f"{op} -> {other}")
    # && and || exchanged: a condition dropped or added.
    for match in re.finditer(r"(&&|\|\|)", code):
        replace(match.start(), match.end(), "||" if match.group(1) == "&&" else "&&", f"{match.group(1)} exchanged")
    # A whole condition.
    match = re.match(r"(\s*(?:else\s+)?if\s*\()(.*)\)\s*(\{?)\s*$", code)
    if match and code.count("(") == code.count(")"):
        inner_start, inner_end = match.end(1), match.end(1) + len(match.group(2))
        replace(inner_start, inner_end, "true", "condition always true")
        replace(inner_start, inner_end, "false", "condition always false")
    # Numbers one more or one less, and constants changed.
    for match in re.finditer(r"(?<![\w.])(\d+)(?![\w.'])", code):
        value = int(match.group(1))
        replace(match.start(), match.end(), str(value + 1), f"{value} -> {value + 1}")
        if value > 0:
            replace(match.start(), match.end(), str(value - 1), f"{value} -> {value - 1}")
    for match in re.finditer(r"\s([+-])\s1\b", code):
        replace(match.start(), match.end(), "", f"{match.group(1)} 1 dropped")
    for match in re.finditer(r"\b(true|false)\b", code):
        other = "false" if match.group(1) == "true" else "true"
        replace(match.start(), match.end(), other, f"{match.group(1)} -> {other}")
    # A call of its own removed.
    if re.match(r"\s*[A-Za-z_][\w:.>\-]*\s*\(.*\)\s*;\s*$", code) and not re.match(r"\s*(return|throw|delete)\b", code):
        found.append(("call removed", re.match(r"(\s*)", line).group(1) + ";"))
    # The two arguments of a call swapped.
    for match in re.finditer(r"\b(\w+)\(\s*([\w.\->*&]+)\s*,\s*([\w.\->*&]+)\s*\)", code):
        # (not the arguments of a function that takes them either way round)
        if match.group(2) != match.group(3) and match.group(1) not in ("if", "while", "for", "switch", "max", "min", "swap"):
            replace(match.start(2), match.end(3), f"{match.group(3)}, {match.group(2)}", "arguments swapped")
    # x++ / ++x dropped, += and -= exchanged.
    for match in re.finditer(r"(\+=|-=)", code):
        replace(match.start(), match.end(), "-=" if match.group(1) == "+=" else "+=", f"{match.group(1)} exchanged")
    # A fault made in several places of the line is named with its place: "< -> <= #2" is the
    # second "<" from the left.
    named = {}
    for what, _ in found:
        named[what] = named.get(what, 0) + 1
    seen = {}
    for i, (what, mutated) in enumerate(found):
        if named[what] > 1:
            seen[what] = seen.get(what, 0) + 1
            found[i] = (f"{what} #{seen[what]}", mutated)
    return found


def in_raw_strings(text):
    """Numbers of the lines that lie within a raw string literal of several lines (a page's style,
    say): text, not code."""
    inside, open_at = set(), None
    for number, line in enumerate(text, 1):
        if open_at is None:
            start = re.search(r'(?<![\w"])R"([^()\\\s]{0,16})\(', line)
            if start and ')' + start.group(1) + '"' not in line[start.end():]:
                open_at = ')' + start.group(1) + '"'
        elif open_at in line:
            inside.add(number)
            open_at = None
        else:
            inside.add(number)
    return inside


def mutants(lines, limit, seed, judged):
    """The faults to try, and those of them judged equivalent (with why), which are not tried."""
    every = []
    for path, numbers in sorted(lines.items()):
        text = (ROOT / path).read_text().splitlines()
        text_only = in_raw_strings(text)
        for number in sorted(numbers):
            if number <= len(text) and number not in text_only:
                for what, mutated in faults(text[number - 1]):
                    if mutated != text[number - 1]:
                        every.append((path, number, what, mutated))
    random.Random(seed).shuffle(every)
    chosen = every[:limit]
    text = {path: (ROOT / path).read_text().splitlines() for path in lines}

    def why(fault):
        path, number, what, _ = fault
        line = text[path][number - 1].strip()
        return judged.get((path, line, what)) or judged.get((path, line, "*"))

    left_out = [(fault, why(fault)) for fault in chosen if why(fault)]
    return [fault for fault in chosen if not why(fault)], left_out


# ---- building and testing -----------------------------------------------------------------

def worktree(cache):
    """A copy of HEAD with the working tree's changes, built once; reused while HEAD stands."""
    head = run(["git", "rev-parse", "HEAD"], ROOT).stdout.strip()
    tree = pathlib.Path(cache)
    if not (tree / ".git").exists():
        subprocess.run(["git", "worktree", "add", "--detach", str(tree), head], cwd=ROOT, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    run(["git", "checkout", "--detach", "-f", head], tree)
    # The working tree's own changes, so that what is tested is what is there.
    patch = run(["git", "diff", "HEAD"], ROOT).stdout
    if patch:
        subprocess.run(["git", "apply", "--whitespace=nowarn"], cwd=tree, input=patch, text=True, check=True)
    for untracked in run(["git", "ls-files", "--others", "--exclude-standard"], ROOT).stdout.splitlines():
        (tree / untracked).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(ROOT / untracked, tree / untracked)
    # lld, where there is one, links the test programs in a fraction of the time: most of a
    # fault's cost is linking.
    linker = ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"] if shutil.which("ld.lld") else []
    # The standard library's own checks: a fault that reads past the end of a container stops
    # the test at once instead of reading whatever lies there.
    run(["cmake", "-S", ".", "-B", "build", "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS", *linker], tree)
    return tree


def build(tree, targets=TARGETS):
    return run(["cmake", "--build", "build", "-j", str(os.cpu_count() or 2), "--target", *targets], tree).returncode == 0


def failure_of(tree, suite, timeout):
    """None when the suite passes, else the first test that failed (or why the run failed)."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    try:
        result = run([str(tree / "build/bin" / suite), "--gtest_brief=1", "--gtest_fail_fast"], tree, timeout, env)
    except subprocess.TimeoutExpired:
        return f"{suite} took too long"
    if result.returncode == 0:
        return None
    failed = re.search(r"^\[  FAILED  \] (\S+)", result.stdout, re.M)
    return failed.group(1) if failed else f"{suite} ended with status {result.returncode}"


def unchanged_failure(tree, timeout):
    """Why the copy without a fault fails (None: it passes). A failure is tried once more: a test
    that waits for the screen may run late on a loaded machine."""
    for _ in range(2):
        failure = failure_of(tree, "core_tests", timeout) or failure_of(tree, "qt_tests", timeout)
        if failure is None:
            return None
    return failure


def verdict_of(tree, timeout):
    """'does not build', 'caught by TEST' or 'SURVIVED'. The unit tests are built and run first: a
    fault they catch needs no build of the windows."""
    if not build(tree, ["core_tests"]):
        return "does not build"
    failure = failure_of(tree, "core_tests", timeout)
    if failure:
        return f"caught by {failure}"
    if not build(tree):
        return "does not build"
    failure = failure_of(tree, "qt_tests", timeout)
    return f"caught by {failure}" if failure else "SURVIVED"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("paths", nargs="*", help="files or folders to mutate every line of")
    parser.add_argument("--since", help="mutate the lines changed since this revision")
    parser.add_argument("--max", type=int, default=100, help="at most this many faults (default 100)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--timeout", type=int, default=300, help="seconds a test suite may take")
    parser.add_argument("--only", action="append", default=[], metavar="PATH:LINE",
                        help="only the chosen faults on this line (repeatable), e.g. to try survivors again")
    parser.add_argument("--tree", default=os.path.join(tempfile.gettempdir(), "tallir-mutate"),
                        help="where the copy of the tree and its build live")
    arguments = parser.parse_args()

    if arguments.paths:
        lines = all_lines(arguments.paths)
    else:
        since = arguments.since
        if not since:
            has_origin = run(["git", "rev-parse", "--verify", "-q", "origin/main"], ROOT).returncode == 0
            since = "origin/main" if has_origin else "HEAD~1"
        lines = changed_lines(since)
    chosen, left_out = mutants(lines, arguments.max, arguments.seed, equivalents())
    if arguments.only:
        chosen = [fault for fault in chosen if f"{fault[0]}:{fault[1]}" in arguments.only]
    for (path, number, what, _), why in left_out:
        print(f"judged equivalent {path}:{number} ({what}): {why}")
    if not chosen:
        print("no line to mutate")
        return 0

    tree = worktree(arguments.tree)
    print(f"building the unchanged copy in {tree} ...", flush=True)
    if not build(tree):
        print("the unchanged copy does not build: nothing to measure against")
        return 2
    failure = unchanged_failure(tree, arguments.timeout)
    if failure:
        print(f"the unchanged copy fails {failure}: nothing to measure against")
        return 2

    caught = survived = unbuilt = 0
    survivors = []
    for index, (path, number, what, mutated) in enumerate(chosen, 1):
        file = tree / path
        original = file.read_text()
        text = original.splitlines(keepends=True)
        ending = "\n" if text[number - 1].endswith("\n") else ""
        text[number - 1] = mutated + ending
        file.write_text("".join(text))
        try:
            verdict = verdict_of(tree, arguments.timeout)
            if verdict == "does not build":
                unbuilt += 1
            elif verdict == "SURVIVED":
                survived += 1
                survivors.append((path, number, what, mutated.strip()))
            else:
                caught += 1
        finally:
            file.write_text(original)
        print(f"[{index}/{len(chosen)}] {path}:{number} {what}: {verdict}", flush=True)
    build(tree)

    tried = caught + survived
    print(f"\n{tried} faults that build: {caught} caught, {survived} survived"
          f" ({100 * survived / tried if tried else 0:.0f} % alive); {unbuilt} did not build;"
          f" {len(left_out)} judged equivalent and left out")
    for path, number, what, mutated in survivors:
        print(f"survivor {path}:{number} ({what}): {mutated}")
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())
