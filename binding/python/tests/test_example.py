"""The example under examples/python: run on a copy of a welded arm, it prints
the model and writes it to a new file with one body's mass changed and nothing
else; the model it read is never written over."""
import os
import pathlib
import shutil
import subprocess
import sys

import kaloimport as ki
from conftest import DATA, outline

EXAMPLE = pathlib.Path(os.environ["KALO_PYTHON_EXAMPLES"]) / "robot_arm.py"


def run(*args):
    done = subprocess.run([sys.executable, str(EXAMPLE), *map(str, args)], capture_output=True, text=True,
                          timeout=120)
    return done.returncode, done.stdout, done.stderr


def read_outline(path):
    model, error = ki.ZoltModel.readFromXML(str(path), 0)
    assert error == ""
    return outline(model.getTopSubsystem())


def rewritten_outline(path, tmp_path):
    """The outline after one more write and read, as the example's output has
    had (frame ids read back one higher than written)."""
    model, _ = ki.ZoltModel.readFromXML(str(path), 0)
    assert model.writeToXML(str(tmp_path / "rewritten.xml")) == ""
    return read_outline(tmp_path / "rewritten.xml")


def test_prints_the_model_and_writes_a_new_file_with_one_mass_changed(tmp_path):
    model = tmp_path / "arm.xml"
    shutil.copy(DATA / "inspect" / "welded_arm.xml", model)
    original = model.read_bytes()
    before = rewritten_outline(model, tmp_path)

    code, out, err = run(model, "--body", "UpperArm", "--mass", "3.25")
    assert (code, err) == (0, "")
    assert out.startswith(f"Model 'Rig' from {model}\nBodies:\n  /Rig/Base ")
    assert "\n  /Rig/Arm/UpperArm " in out and "Joints:\n  /Rig/Base--Column " in out
    written = tmp_path / "arm_heavier.xml"
    assert out.endswith(f"Mass of 'UpperArm': 250 -> 3.25 g\nWrote {written}\n")
    assert model.read_bytes() == original

    after = read_outline(written)
    assert after != before
    assert after == before.replace("body UpperArm: UpperArm 250g", "body UpperArm: UpperArm 3.25g")


def test_default_body_and_refusals(tmp_path):
    model = tmp_path / "arm.xml"
    shutil.copy(DATA / "inspect" / "welded_arm.xml", model)
    code, out, _ = run(model, "--out", tmp_path / "edited.xml")
    assert code == 0 and "Mass of 'Base': 2 -> 4 kg" in out
    assert "body Base: Base 4kg" in read_outline(tmp_path / "edited.xml")

    code, _, err = run(model, "--body", "Nobody")
    assert code == 1 and "no body named 'Nobody'" in err
    code, _, err = run(tmp_path / "missing.xml")
    assert code == 1 and "No such file or directory" in err
    code, _, err = run(DATA / "multibody" / "bad_truncated.xml", "--out", tmp_path / "t.xml")
    assert code == 1 and "(XML Read error)" in err
    # The model itself as output, also through a link: refused, nothing written.
    os.symlink(model, tmp_path / "link.xml")
    original = model.read_bytes()
    for out in (model, tmp_path / "link.xml"):
        code, _, err = run(model, "--out", out)
        assert code == 2 and "is MODEL itself" in err
    assert model.read_bytes() == original


def test_help_names_every_argument_and_default():
    code, out, _ = run("--help")
    assert code == 0
    for text in ("MODEL.xml", "--body NAME", "--mass VALUE", "--out OUT.xml", "out/robot_arm.xml",
                 "MODEL_heavier.xml", "mass is not zero", "twice its mass", "Exit status"):
        assert text in " ".join(out.split()), text
