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
    # The crank's closed loop: kept by an equality in MJCF, dropped in URDF, both reported.
    ("mjcf", '<mujoco model="SliderCrank">', "joint 'Rod--Slider': loop closure"),
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


def test_mjcf_is_the_default(crank, tmp_path):
    ki.export(crank, tmp_path / "default.xml")
    assert "<mujoco " in (tmp_path / "default.xml").read_text(encoding="utf-8")


def test_refusals_leave_no_file(crank, tmp_path):
    out = tmp_path / "out.xml"
    with pytest.raises(ValueError, match="unknown simulator format 'vrml'"):
        ki.export(crank, out, to="vrml")
    with pytest.raises(ki.ConversionError) as failed:
        ki.export(tmp_path / "missing.xml", out)
    assert failed.value.code == 3 and "is not a readable multibody XML file" in failed.value.message
    with pytest.raises(ki.ConversionError, match="cannot write") as failed:
        ki.export(crank, tmp_path / "no" / "dir" / "out.xml")
    assert failed.value.code == 1
    assert not out.exists()


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
