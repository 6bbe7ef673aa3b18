#!/usr/bin/env python3
"""Counts the non-blank, non-comment lines of C++ in src/ and tests/ and prints their ratio.

    scripts/sloc.py            # C++ only
    scripts/sloc.py --scripts  # the shell and Python scripts of each side too
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
CPP = {".cpp", ".h"}
SCRIPTS = {".sh", ".py"}


def code_lines(path):
    """Lines that are neither blank nor only comment."""
    text = path.read_text(encoding="utf-8", errors="replace")
    if path.suffix in CPP:
        text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
        marker = "//"
    else:
        marker = "#"
    count = 0
    for line in text.splitlines():
        stripped = line.strip()
        if stripped and not stripped.startswith(marker):
            count += 1
    return count


def count(folder, suffixes):
    return sum(code_lines(p) for p in (ROOT / folder).rglob("*") if p.is_file() and p.suffix in suffixes)


def main():
    suffixes = CPP | (SCRIPTS if "--scripts" in sys.argv else set())
    product = count("src", suffixes)
    tests = count("tests", suffixes)
    print(f"src {product} lines, tests {tests} lines: tests / src = {tests / product:.2f}")


if __name__ == "__main__":
    main()
