"""Handles and lifetime: handles compare and hash by the model object they
hold, keep it alive, and release it with the last of them."""
import gc

import kaloimport as ki
from conftest import SAMPLE, live_host_objects, make_body, outline


def test_two_handles_on_one_frame():
    body = make_body("A", 1.0)
    body.addLink(ki.Frame("", 0, "m"))
    first, second = body.getLinkAt(0), body.getLinkAt(0)
    assert first is not second
    assert first == second and hash(first) == hash(second) and len({first, second}) == 1
    first.setPosition([1, 2, 3])
    assert second.getPosition().tolist() == [1, 2, 3]
    second.setName("Renamed")
    assert first.getName() == "Renamed"
    other = ki.Frame("", 0, "m")
    assert first != other and first != "Renamed" and not (first == None)  # noqa: E711


def test_repr_shows_class_and_name():
    assert repr(make_body("A\u00e9", 1.0)) == "<kaloimport.Body 'A\u00e9'>"
    model, _ = ki.ZoltModel.readFromXML(str(SAMPLE), 0)
    flex = model.getTopSubsystem().getSubsystemRefAt(0).getSubsystem()
    assert repr(flex.getBodyRefAt(0).getBody().getParent()) == "<kaloimport.ZoltBase 'Flex'>"


def test_releasing_every_handle_releases_the_model():
    before = live_host_objects()
    model, error = ki.ZoltModel.readFromXML(str(SAMPLE), 2)
    assert error == ""
    top = model.getTopSubsystem()
    outline(top)  # walks every object once
    body = top.getBodyRefAt(0).getBody()
    frame = body.getLinkAt(0)
    assert live_host_objects() > before
    # The top's parent is the model while a handle keeps the model...
    assert top.getParent() == model
    del model
    gc.collect()
    # ... and gone with the last one; the objects still held stay usable.
    assert top.getParent() is None
    assert body.getParent() == top
    del top
    gc.collect()
    assert body.getParent() is None
    assert frame.getName() == "CS1" and body.getLinkAt(0) == frame
    del body, frame
    assert live_host_objects() == before


def test_dynamiccast_shares_the_object():
    model, _ = ki.ZoltModel.readFromXML(str(SAMPLE), 0)
    top = model.getTopSubsystem()
    flex = top.getSubsystemRefAt(0).getSubsystem()
    link = flex.getBodyRefAt(0).getBody()
    parent = link.getParent()
    assert type(parent) is ki.ZoltBase and parent == flex
    cast = ki.Subsystem.dynamiccast(parent)
    assert type(cast) is ki.Subsystem and cast == flex and cast.getBodyRefCount() == 1
    assert ki.Subsystem.dynamiccast(link) is None
    del parent, cast
    gc.collect()
    # Both handles are gone; the model they came from is intact.
    assert flex.getBodyRefCount() == 1 and link.getParent() == flex
