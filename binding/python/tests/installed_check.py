"""Checks the installed kaloimport: python3 installed_check.py PREFIX MODEL.xml"""
import os
import sys

import kaloimport


def loaded_from(library):
    with open("/proc/self/maps", encoding="utf-8") as maps:
        paths = {line.split()[-1] for line in maps if library in line}
    return sorted(paths)


def main(prefix, model_path):
    prefix = os.path.realpath(prefix)
    module = os.path.realpath(kaloimport.__file__)
    assert module.startswith(prefix + os.sep), f"kaloimport came from {module}"
    stubs = os.path.join(os.path.dirname(module), "kaloimport.pyi")
    assert os.path.isfile(stubs), "the type stubs are not installed beside the module"
    for library in ("libkalo_qli", "libkalo_qcos_host", "libkalo_toolkit"):
        paths = loaded_from(library)
        assert paths and all(os.path.realpath(p).startswith(prefix + os.sep) for p in paths), (library, paths)

    model, error = kaloimport.ZoltModel.readFromXML(model_path, 0)
    assert error == "" and model is not None, error
    top = model.getTopSubsystem()
    assert top.getBodyRefCount() > 0
    print(f"installed kaloimport {kaloimport.__version__} at {module}: read {top.getName()!r}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
