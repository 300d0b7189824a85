"""Writes the type stubs of the built kaloimport module.

Usage: python3 generate_stubs.py OUT.pyi  (with the module on PYTHONPATH)
The text comes from the host package's registry, as the classes do.
"""
import sys

import kaloimport


def main(path):
    text = kaloimport._stub_text()
    compile(text, path, "exec")  # a stub that is no valid Python fails the build
    try:
        with open(path, encoding="utf-8") as existing:
            if existing.read() == text:
                return 0
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: generate_stubs.py OUT.pyi")
    sys.exit(main(sys.argv[1]))
