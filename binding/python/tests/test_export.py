"""export(): a multibody XML file to a simulator file, and the whole pipeline
from a CAD XML file without the command line."""
import pytest

import kaloimport as ki
from conftest import DATA


@pytest.fixture(scope="module")
def crank(tmp_path_factory):
    path = tmp_path_factory.mktemp("export") / "crank.xml"
    ki.convert(DATA / "convert" / "slider_crank.xml", path)
    return path


@pytest.mark.parametrize("to, root, report", [
    # The crank's closed loop: kept exactly by equalities in MJCF, dropped in URDF (reported).
    ("mjcf", '<connect name="Rod--Slider.axis"', None),
    ("sdf", '<sdf version="1.9">', None),
    ("urdf", '<robot name="SliderCrank">', "joint 'Rod--Slider': loop closure"),
])
def test_each_format(crank, tmp_path, to, root, report):
    out = tmp_path / f"crank.{to}"
    lines = ki.export(crank, out, to=to)
    assert isinstance(lines, list) and all(isinstance(line, str) for line in lines)
    if report:
        assert any(report in line for line in lines)
    text = out.read_text(encoding="utf-8")
    assert root in text
    # The same model gives the same file.
    assert ki.export(str(crank), str(tmp_path / "again"), to) == lines
    assert (tmp_path / "again").read_text(encoding="utf-8") == text


def test_verify_checks_the_mjcf_in_mujoco(crank, tmp_path):
    lines = ki.export(crank, tmp_path / "checked.xml", verify=True)
    checks = [line for line in lines if line.startswith("verify ")]
    assert checks and all(line.startswith("verify ok: ") for line in checks)
    assert any("mobility with the loops closed: MuJoCo 1 " in line for line in checks)
    with pytest.raises(ki.ConversionError, match="--verify checks MJCF files only"):
        ki.export(crank, tmp_path / "checked.sdf", to="sdf", verify=True)
    assert not (tmp_path / "checked.sdf").exists()


def test_verify_failure_keeps_the_file_and_raises_code_3(tmp_path):
    # A block held by two slides at right angles: MJCF cannot close that loop.
    out = tmp_path / "two_slides.xml"
    with pytest.raises(ki.ConversionError) as failed:
        ki.export(DATA / "export" / "two_slides.xml", out, verify=True)
    assert failed.value.code == 3
    assert "verify FAILED: mobility with the loops closed: MuJoCo 1" in failed.value.message
    assert out.exists()


def test_mjcf_is_the_default(crank, tmp_path):
    ki.export(crank, tmp_path / "default.xml")
    assert "<mujoco " in (tmp_path / "default.xml").read_text(encoding="utf-8")


def test_refusals_leave_no_file(crank, tmp_path):
    out = tmp_path / "out.xml"
    with pytest.raises(ValueError, match="unknown simulator format 'vrml'"):
        ki.export(crank, out, to="vrml")
    with pytest.raises(ki.ConversionError) as failed:
        ki.export(tmp_path / "missing.xml", out)
    assert failed.value.code == 3
    assert failed.value.message == f"'{tmp_path / 'missing.xml'}': No such file or directory (XML Read error)"
    with pytest.raises(ki.ConversionError, match="cannot write") as failed:
        ki.export(crank, tmp_path / "no" / "dir" / "out.xml")
    assert failed.value.code == 1
    assert not out.exists()


def test_options_are_the_tools_options(crank, tmp_path):
    """Keywords are kalo-export's options: checked by the same table, named as Python spells them."""
    out = tmp_path / "opts.mjcf"
    with pytest.raises(TypeError, match="unexpected keyword argument 'mesh-dir'"):
        ki.export(crank, out, **{"mesh-dir": "m"})
    with pytest.raises(TypeError, match="unexpected keyword argument 'fast'"):
        ki.export(crank, out, fast=True)
    with pytest.raises(ValueError, match="^mesh_scale takes a positive number, not '-2.0'$"):
        ki.export(crank, out, mesh_scale=-2.0)
    with pytest.raises(TypeError, match="mesh_scale must be int or float, not str"):
        ki.export(crank, out, mesh_scale="2")
    with pytest.raises(TypeError, match="fixed_base must be bool, not int"):
        ki.export(crank, out, fixed_base=1)
    with pytest.raises(ValueError, match="^simplify takes 0, 1, 2 or 3, not '7'$"):
        ki.export(crank, out, simplify=7)
    assert not out.exists()
    # A mesh folder given as a path object reaches the file as the tool writes it.
    ki.export(DATA / "export" / "slider.xml", out, mesh_dir=tmp_path / "meshes", mesh_scale=0.5,
              keep_missing_meshes=True)
    text = out.read_text(encoding="utf-8")
    assert f'file="{tmp_path / "meshes"}/b.stl"' in text and 'scale="0.5 0.5 0.5"' in text


def test_settings_as_a_dict_or_a_file(crank, tmp_path):
    settings = {"joints": {"Frame--Crank": {"range": [-3, 3], "effort": 5}}}
    ki.export(crank, tmp_path / "dict.xml", joints=settings)
    text = (tmp_path / "dict.xml").read_text(encoding="utf-8")
    assert 'limited="true" range="-3 3"' in text and 'forcerange="-5 5"' in text
    path = tmp_path / "settings.json"
    path.write_text('{"joints": {"Frame--Crank": {"range": [-3, 3], "effort": 5}}}', encoding="utf-8")
    ki.export(crank, tmp_path / "file.xml", settings=path)
    assert (tmp_path / "file.xml").read_text(encoding="utf-8") == text


def test_settings_that_do_not_fit_are_code_2_and_no_file(crank, tmp_path):
    out = tmp_path / "out.xml"
    with pytest.raises(ki.ConversionError) as failed:
        ki.export(crank, out, joints={"joints": {"Frame--Crank": {"range": [1, -1]}}})
    assert failed.value.code == 2 and "'range'" in failed.value.message
    with pytest.raises(ki.ConversionError) as failed:
        ki.export(crank, out, joints={"joints": {"Frame--Cronk": {}}})
    assert failed.value.code == 2 and "'Frame--Crank'" in failed.value.message
    assert not out.exists()
