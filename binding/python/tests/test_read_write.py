"""read() and ZoltModel.write(): the model or an exception, never an error text
to check; str and os.PathLike alike; the simplify option range-checked."""
import os
import pathlib

import pytest

import kaloimport as ki
from conftest import DATA, SAMPLE, outline


class Located(os.PathLike):
    """A path object that is no pathlib.Path."""

    def __init__(self, path):
        self.path = str(path)

    def __fspath__(self):
        return self.path


def host_outline(path, option=0):
    model, error = ki.ZoltModel.readFromXML(str(path), option)
    assert error == ""
    return outline(model.getTopSubsystem())


@pytest.mark.parametrize("path", [str(SAMPLE), SAMPLE, Located(SAMPLE)])
def test_read_gives_the_model_the_host_method_gives(path):
    model = ki.read(path)
    assert isinstance(model, ki.ZoltModel)
    assert outline(model.getTopSubsystem()) == host_outline(SAMPLE)


@pytest.mark.parametrize("simplify", [1, 2])
def test_simplify_options_match_the_host_method(simplify):
    assert outline(ki.read(SAMPLE, simplify=simplify).getTopSubsystem()) == host_outline(SAMPLE, simplify)


def test_flatten_only_is_offered_too():
    # Option 3 flattens without grouping: the host method reads it as 0.
    flat = outline(ki.read(SAMPLE, 3).getTopSubsystem())
    assert flat != host_outline(SAMPLE, 3) and "subsystem Sub" not in flat
    assert host_outline(SAMPLE, 3) == host_outline(SAMPLE, 0)


@pytest.mark.parametrize("simplify, error, text", [
    (4, ValueError, "simplify must be 0, 1, 2 or 3, not 4"),
    (-1, ValueError, "not -1"),
    (2 ** 70, ValueError, "simplify must be 0, 1, 2 or 3"),
    (True, TypeError, "simplify must be int, not bool"),
    (1.0, TypeError, "simplify must be int, not float"),
    ("1", TypeError, "simplify must be int, not str"),
])
def test_simplify_is_range_checked(simplify, error, text):
    with pytest.raises(error, match=text):
        ki.read(SAMPLE, simplify)


def test_files_that_cannot_be_read(tmp_path):
    with pytest.raises(FileNotFoundError) as missing:
        ki.read(tmp_path / "missing.xml")
    assert missing.value.filename == str(tmp_path / "missing.xml")
    with pytest.raises(IsADirectoryError):
        ki.read(tmp_path)
    for broken in ("bad_truncated.xml", "bad_empty_file.xml", "bad_mass.xml"):
        path = DATA / "multibody" / broken
        with pytest.raises(ki.ReadError) as refused:
            ki.read(path)
        assert refused.value.code == 3 and refused.value.path == str(path)
        # The reader's reason between the file and the code: where it stopped and why.
        assert refused.value.message.startswith(f"'{path}' line ")
        assert refused.value.message.endswith(" (XML Read error)") and ": " in refused.value.message
        assert str(refused.value) == refused.value.message
    with pytest.raises(TypeError, match="path must be str or os.PathLike, not int"):
        ki.read(3)
    with pytest.raises(ValueError, match="embedded null"):
        ki.read("nul\0.xml")


def test_write_gives_the_bytes_of_write_to_xml(tmp_path):
    model = ki.read(SAMPLE)
    assert model.writeToXML(str(tmp_path / "host.xml")) == ""
    for path in (tmp_path / "path.xml", str(tmp_path / "str.xml"), Located(tmp_path / "like.xml")):
        assert model.write(path) is None
        assert pathlib.Path(os.fspath(path)).read_bytes() == (tmp_path / "host.xml").read_bytes()


def test_write_raises_what_the_system_says(tmp_path):
    model = ki.read(SAMPLE)
    with pytest.raises(FileNotFoundError):
        model.write(tmp_path / "no" / "folder.xml")
    with pytest.raises(IsADirectoryError):
        model.write(tmp_path)
    with pytest.raises(TypeError, match="needs a ZoltModel"):
        ki.ZoltModel.write(ki.Subsystem("S"), tmp_path / "x.xml")
    assert list(tmp_path.iterdir()) == []


def test_host_methods_take_path_objects_too(tmp_path):
    model, error = ki.ZoltModel.readFromXML(Located(SAMPLE), 0)
    assert error == "" and model.writeToXML(tmp_path / "out.xml") == ""
    assert ki.read(SAMPLE).writeToXML(str(tmp_path / "str.xml")) == ""
    assert (tmp_path / "out.xml").read_bytes() == (tmp_path / "str.xml").read_bytes()
    body = ki.Body("B", 1.0, "kg", [[1, 0, 0], [0, 1, 0], [0, 0, 1]], "kg*m^2", 1.0, "m^3", 1.0, "m^2",
                   pathlib.PurePosixPath("meshes") / "b.stl")
    assert body.getFileName() == "meshes/b.stl"
