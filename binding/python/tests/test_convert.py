"""convert(): a CAD XML file into a multibody XML file from Python."""
import pytest

import kaloimport as ki
from conftest import DATA

SLIDER_CRANK = DATA / "convert" / "slider_crank.xml"


def read_top(path):
    model, error = ki.ZoltModel.readFromXML(str(path), 0)
    assert error == ""
    return model.getTopSubsystem()


def test_converts_and_returns_the_report(tmp_path):
    out = tmp_path / "crank.xml"
    report = ki.convert(str(SLIDER_CRANK), str(out))
    # One of the seven constrained pairs cannot become a joint: it is welded and explained.
    assert isinstance(report, str) and "Error Details: " in report
    top = read_top(out)
    assert top.getName() == "SliderCrank"
    assert top.getBodyRefAt(0).getBody().getNodeID() == "/SliderCrank/Frame"
    assert top.getGroundAt(0).getName() == "RootGround"
    flywheel = top.getSubsystemRefAt(0).getSubsystem()
    assert [flywheel.getBodyRefAt(i).getBody().getName() for i in range(2)] == ["Hub", "Rim"]
    # Path objects serve as well, and the same input gives the same file.
    again = tmp_path / "again.xml"
    assert ki.convert(SLIDER_CRANK, again) == report
    assert again.read_bytes() == out.read_bytes()


def test_units_hold_for_one_conversion(tmp_path):
    ki.convert(SLIDER_CRANK, tmp_path / "g.xml", units=("g", "mm"))
    assert read_top(tmp_path / "g.xml").getBodyRefAt(0).getBody().getMassUnits() == "g"
    ki.convert(SLIDER_CRANK, tmp_path / "kg.xml")
    assert read_top(tmp_path / "kg.xml").getBodyRefAt(0).getBody().getMassUnits() == "kg"


@pytest.mark.parametrize("units, error, text", [
    (("ton", "m"), ValueError, "unknown mass unit 'ton'"),
    (("kg", "parsec"), ValueError, "unknown length unit 'parsec'"),
    ("kg,m", TypeError, "units must be a pair"),
    (("kg",), TypeError, "units must be a pair"),
    (("kg", 1), TypeError, "units must be a pair of texts"),
])
def test_bad_units(tmp_path, units, error, text):
    with pytest.raises(error, match=text):
        ki.convert(SLIDER_CRANK, tmp_path / "out.xml", units=units)
    assert not (tmp_path / "out.xml").exists()


def test_files_that_cannot_be_read_or_written(tmp_path):
    for source in (tmp_path / "missing.xml", DATA / "convert" / "truncated.xml"):
        with pytest.raises(ki.ConversionError) as failed:
            ki.convert(source, tmp_path / "out.xml")
        assert failed.value.code == 3 and failed.value.message.startswith(f"'{source}'")
        assert failed.value.message.endswith("(XML Read error)")
    with pytest.raises(ki.ConversionError, match="cannot write") as failed:
        ki.convert(SLIDER_CRANK, tmp_path / "no" / "dir" / "out.xml")
    assert failed.value.code == 3
    with pytest.raises(ValueError):
        ki.convert(SLIDER_CRANK, str(tmp_path / "nul\0.xml"))
    with pytest.raises(TypeError):
        ki.convert(42, tmp_path / "out.xml")


def test_to_writes_the_simulator_file_with_the_export_options(tmp_path):
    multibody = tmp_path / "crank.xml"
    report = ki.convert(SLIDER_CRANK, multibody)
    direct = tmp_path / "direct.urdf"
    lines = ki.convert(SLIDER_CRANK, direct, to="urdf", mesh_dir="meshes")
    # The conversion's report, then the export's lines, as kalo-convert --to prints them.
    assert lines.startswith(report)
    exported = ki.export(multibody, tmp_path / "file.urdf", to="urdf", mesh_dir="meshes")
    assert lines[len(report):] == "".join(line + "\n" for line in exported)
    text = direct.read_text(encoding="utf-8")
    assert text.startswith("<?xml") and '<robot name="SliderCrank">' in text and 'filename="meshes/' in text
    # The same links both ways (joint names carry the parts' node IDs, which only the file route has).
    links = lambda t: sorted(part.split('"')[0] for part in t.split('<link name="')[1:])
    assert links(text) == links((tmp_path / "file.urdf").read_text(encoding="utf-8")) and len(links(text)) >= 6

    # simplify restructures the converted model as export() does while reading the file.
    ki.convert(SLIDER_CRANK, tmp_path / "grouped.mjcf", to="mjcf", simplify=1)
    ki.export(multibody, tmp_path / "grouped_file.mjcf", to="mjcf", simplify=1)
    ki.export(multibody, tmp_path / "plain_file.mjcf", to="mjcf")
    grouped = (tmp_path / "grouped.mjcf").read_bytes()
    assert grouped == (tmp_path / "grouped_file.mjcf").read_bytes()
    assert b"RigidSubsystem1." in grouped and grouped != (tmp_path / "plain_file.mjcf").read_bytes()


def test_convert_takes_every_kalo_convert_option(tmp_path):
    out = tmp_path / "named.xml"
    ki.convert(SLIDER_CRANK, out, name="Crank2", created_using="tests", created_from=tmp_path / "from.cad",
               created_on="2026-12-09", created_by="me", tolerances=(1e-4, 1e-4))
    text = out.read_text(encoding="utf-8")
    for value in ("Crank2", "tests", str(tmp_path / "from.cad"), "2026-12-09", "me"):
        assert f'"{value}"' in text
    assert read_top(out).getName() == "Crank2"


@pytest.mark.parametrize("options, error, text", [
    ({"mesh_dir": "m"}, TypeError, "convert\\(\\) option 'mesh_dir' applies only with to="),
    ({"fast": True}, TypeError, "convert\\(\\) got an unexpected keyword argument 'fast'"),
    ({"to": "mjcf", "fast": True}, TypeError, "convert\\(\\) got an unexpected keyword argument 'fast'"),
    ({"to": "vrml"}, ValueError, "unknown simulator format 'vrml'"),
    ({"to": "mjcf", "simplify": 7}, ValueError, "simplify"),
    ({"to": "mjcf", "mesh_scale": "big"}, TypeError, "mesh_scale must be int or float, not str"),
    ({"tolerances": (1e-4,)}, ValueError, "tolerances must be 2 or 3 non-negative numbers"),
    ({"tolerances": (1e-4, -1)}, ValueError, "tolerances must be 2 or 3"),
    ({"tolerances": "1e-4,1e-4"}, TypeError, "tolerances must be 2 or 3"),
    ({"name": ""}, ValueError, "name must not be empty"),
    ({"created_by": 5}, TypeError, "created_by must be str, not int"),
])
def test_bad_convert_options_write_nothing(tmp_path, options, error, text):
    with pytest.raises(error, match=text):
        ki.convert(SLIDER_CRANK, tmp_path / "out.xml", **options)
    assert list(tmp_path.iterdir()) == []


def test_read_failures_give_the_reason(tmp_path):
    with pytest.raises(ki.ConversionError) as failed:
        ki.convert(DATA / "convert" / "truncated.xml", tmp_path / "out.xml")
    assert failed.value.code == 3
    assert failed.value.message.startswith(f"'{DATA / 'convert' / 'truncated.xml'}' line ")
    assert failed.value.message.endswith("(XML Read error)")
