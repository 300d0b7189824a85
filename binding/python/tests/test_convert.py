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
        assert failed.value.code == 3 and "is not a readable CAD XML file (XML Read error)" in failed.value.message
    with pytest.raises(ki.ConversionError, match="cannot write") as failed:
        ki.convert(SLIDER_CRANK, tmp_path / "no" / "dir" / "out.xml")
    assert failed.value.code == 3
    with pytest.raises(ValueError):
        ki.convert(SLIDER_CRANK, str(tmp_path / "nul\0.xml"))
    with pytest.raises(TypeError):
        ki.convert(42, tmp_path / "out.xml")
