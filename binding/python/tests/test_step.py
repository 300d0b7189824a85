"""convert() reads a STEP file through the STEP import: mates from the geometry,
masses from the solids, meshes written beside the output."""
import json
import math

import pytest

import kaloimport as ki
from conftest import DATA

STEP = DATA / "step" / "hinged_arm.step"


def convert_step(*args, **kwargs):
    try:
        return ki.convert(*args, **kwargs)
    except ki.ConversionError as e:
        if "built without STEP import" in e.message:
            pytest.skip("this build has no STEP import (OpenCASCADE was not found)")
        raise


def test_pin_in_a_bore_becomes_a_hinge_with_the_solids_masses(tmp_path):
    settings = tmp_path / "settings.json"
    settings.write_text(json.dumps({"ground": "Base"}), encoding="utf-8")
    out = tmp_path / "arm.xml"
    convert_step(STEP, out, settings=settings, mesh_dir=tmp_path / "meshes", mates_out=tmp_path / "mates.json")
    model = ki.read(out)
    top = model.getTopSubsystem()
    bodies = {}
    for i in range(top.getBodyRefCount()):
        body = top.getBodyRefAt(i).getBody()
        bodies[body.getName()] = body
    assert {"Base", "Arm"} <= set(bodies)
    # Steel (7850 kg/m^3) solids in millimetres: a 40 x 20 x 8 plate with a 5 mm pin 20 long.
    rho = 7850e-9
    arm = rho * (40 * 20 * 8 + math.pi * 25 * 20)
    assert bodies["Arm"].getMass() == pytest.approx(arm, rel=1e-5)
    assert bodies["Arm"].getMassUnits() == "kg"
    joints = [top.getJointAt(i) for i in range(top.getJointCount())]
    assert any(j.getPrimitiveCount() == 1 and j.getPrimitiveAt(0).getType() == "revolute" for j in joints)
    assert sorted(p.name for p in (tmp_path / "meshes").iterdir()) and (tmp_path / "mates.json").exists()


def test_straight_to_mjcf_with_its_meshes(tmp_path):
    settings = tmp_path / "settings.json"
    settings.write_text('{"ground": "Base", "joints": {"*": {"range": [-1, 1]}}}', encoding="utf-8")
    out = tmp_path / "arm.mjcf"
    report = convert_step(STEP, out, to="mjcf", settings=settings)
    text = out.read_text(encoding="utf-8")
    assert 'type="hinge"' in text or "<joint " in text
    assert 'limited="true" range="-1 1"' in text, "the settings' joints reach the export"
    assert (tmp_path / "arm_meshes").is_dir() and "<mesh " in text
    assert isinstance(report, str)
    # The STEP options belong to STEP input only.
    with pytest.raises(TypeError, match="mates_out"):
        ki.convert(DATA / "export" / "four_bar.cad.xml", tmp_path / "x.xml", mates_out=tmp_path / "m.json")
