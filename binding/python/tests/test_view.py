"""view(): the model page from Python, the same page kalo-view writes."""
import json
import re

import pytest

import kaloimport as ki
from conftest import DATA


def page_data(text):
    found = re.search(r'<script type="application/json" id="kalo-data">(.*?)</script>', text, re.S)
    assert found, "the page holds its data"
    return json.loads(found.group(1))


def test_page_holds_the_model_and_the_export_report(tmp_path):
    out = tmp_path / "four_bar.html"
    lines = ki.view(DATA / "export" / "four_bar.xml", out)
    text = out.read_text(encoding="utf-8")
    data = page_data(text)
    assert data["model"] == "FourBar"
    assert data["report"] == lines
    assert [c["name"] for c in data["closures"]] == ["Coupler--Rocker"]
    assert {l["rawName"] for l in data["links"]} >= {"Crank", "Coupler", "Rocker"}
    # Options come through the export's table, with its checks and Python spellings.
    ki.view(DATA / "export" / "four_bar.xml", tmp_path / "again.html", mesh_scale=0.001, simplify=0)
    assert (tmp_path / "again.html").read_text(encoding="utf-8") == text
    with pytest.raises(ValueError, match="mesh_scale"):
        ki.view(DATA / "export" / "four_bar.xml", tmp_path / "bad.html", mesh_scale=-1.0)


def test_unreadable_model_raises_and_writes_nothing(tmp_path):
    out = tmp_path / "none.html"
    with pytest.raises(ki.ConversionError, match="bad_truncated.xml. line 50, column 11: .*XML Read error"):
        ki.view(DATA / "multibody" / "bad_truncated.xml", out)
    assert not out.exists()
