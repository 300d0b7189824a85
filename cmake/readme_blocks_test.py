#!/usr/bin/env python3
"""Runs the command blocks of README.md against the installed package.

The README's own text is the test, so it cannot drift from what works. In a
scratch copy of the clone (the README and examples/), the package is installed
into build/_install and the main job's results are made as
scripts/run-example.sh leaves them (the robot arm's files in out/, the
simulate_mjcf example in build/_examples/). Then, in README order:

- a block marked "sh setup" is one of the two set-up commands: not run;
- every other "sh" block runs, all of them in one bash script (set -eu), from
  the root of the copy, so that an export in one block holds for the next;
- a "c", "cpp" or "python" block starts with a comment naming its file; it is
  saved there before the shell runs, and a later "sh" block must build or run
  it (its file name must appear there).

Blocks of other languages are not run. Without the Python module in the
package, shell blocks that call python3 are left out (reported).

usage: readme_blocks_test.py SRC BIN WORK PYTHON
"""

import os
import re
import shutil
import subprocess
import sys

FENCE = re.compile(r"^```(\S*)(.*)$")
FILE_COMMENT = {
    "c": re.compile(r"^/\*\s*(\S+\.c)\s*\*/\s*$"),
    "cpp": re.compile(r"^//\s*(\S+\.cpp)\s*$"),
    "python": re.compile(r"^#\s*(\S+\.py)\s*$"),
}


def blocks(text):
    """(language, tags, body, line) of every fenced block."""
    found, open_block = [], None
    for number, line in enumerate(text.splitlines(), 1):
        m = FENCE.match(line)
        if open_block is None and m:
            open_block = (m.group(1), m.group(2).split(), [], number)
        elif open_block is not None and line.startswith("```"):
            found.append((open_block[0], open_block[1], "\n".join(open_block[2]) + "\n", open_block[3]))
            open_block = None
        elif open_block is not None:
            open_block[2].append(line)
    if open_block is not None:
        sys.exit(f"README.md: the block opened at line {open_block[3]} is never closed")
    return found


def run(command, cwd, env=None):
    done = subprocess.run(command, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True)
    if done.returncode != 0:
        print(done.stdout)
        sys.exit(f"failed ({done.returncode}): {' '.join(command)}")
    return done.stdout


def main():
    src, bin_dir, work, python = sys.argv[1:5]
    readme = open(os.path.join(src, "README.md"), encoding="utf-8").read()
    found = blocks(readme)

    # A scratch clone after the two set-up commands.
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    shutil.copy(os.path.join(src, "README.md"), work)
    shutil.copytree(os.path.join(src, "examples"), os.path.join(work, "examples"))
    prefix = os.path.join(work, "build", "_install")
    run(["cmake", "--install", bin_dir, "--prefix", prefix], work)
    for example in ("export_robot_arm", "simulate_mjcf"):
        out = os.path.join(work, "build", "_examples", example)
        run(["cmake", "-S", os.path.join(work, "examples", example), "-B", out, f"-DCMAKE_PREFIX_PATH={prefix}"],
            work)
        run(["cmake", "--build", out], work)
    os.makedirs(os.path.join(work, "out"))
    run([os.path.join(work, "build", "_examples", "export_robot_arm", "export_robot_arm"), "out/robot_arm.xml"],
        work)
    run([os.path.join(prefix, "bin", "kalo-export"), "--to", "mjcf", "--mesh-dir", "meshes", "out/robot_arm.xml",
         "out/robot_arm.mjcf.xml"], work)

    has_module = any(name.startswith("kaloimport")
                     for name in os.listdir(os.path.join(prefix, "lib", "python3", "dist-packages"))) \
        if os.path.isdir(os.path.join(prefix, "lib", "python3", "dist-packages")) else False

    setup = [b for b in found if b[0] == "sh" and "setup" in b[1]]
    if [b[2].strip() for b in setup] != ["./scripts/run-example.sh", "./scripts/test.sh"]:
        sys.exit("README.md: the blocks marked 'sh setup' must be the two set-up commands")

    script, saved, ran = ["set -eu"], [], 0
    for language, tags, body, line in found:
        if language == "sh" and "setup" not in tags:
            if not has_module and re.search(r"\bpython3\b", body):
                print(f"README.md:{line}: left out, the package has no Python module")
                continue
            script.append(f"echo '== README.md:{line}'")
            script.append(body)
            ran += 1
            for name in list(saved):
                if name in body:
                    saved.remove(name)
        elif language in FILE_COMMENT:
            first = body.splitlines()[0] if body.strip() else ""
            m = FILE_COMMENT[language].match(first)
            if not m:
                sys.exit(f"README.md:{line}: a {language} block must start with a comment naming its file")
            if language == "python" and not has_module:
                continue
            with open(os.path.join(work, m.group(1)), "w", encoding="utf-8") as f:
                f.write(body)
            saved.append(m.group(1))
    if saved:
        sys.exit(f"README.md: no later sh block builds or runs {', '.join(saved)}")
    if ran == 0:
        sys.exit("README.md: no sh block to run")

    # python3 on PATH is the interpreter the package was built for.
    shim = os.path.join(work, "_python")
    os.makedirs(shim)
    os.symlink(python, os.path.join(shim, "python3"))
    env = dict(os.environ, PATH=shim + os.pathsep + os.environ.get("PATH", ""))
    for var in ("PYTHONPATH", "PKG_CONFIG_PATH", "LD_LIBRARY_PATH", "CMAKE_PREFIX_PATH"):
        env.pop(var, None)
    with open(os.path.join(work, "_readme.sh"), "w", encoding="utf-8") as f:
        f.write("\n".join(script))
    done = subprocess.run(["bash", "_readme.sh"], cwd=work, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True)
    print(done.stdout)
    if done.returncode != 0:
        sys.exit(f"a README block failed ({done.returncode}); the last '== README.md:N' line above names it")
    print(f"{ran} README blocks ran")


if __name__ == "__main__":
    main()
