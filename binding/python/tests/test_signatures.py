"""Generated methods are Python functions: parameter names from the method
tables, inspect.signature, keyword arguments, and TypeError texts that count
arguments as Python does and name Python types."""
import inspect

import numpy as np
import pytest

import kaloimport as ki
from conftest import make_body


def names(function):
    return list(inspect.signature(function).parameters)


def type_error(call):
    with pytest.raises(TypeError) as refused:
        call()
    return str(refused.value)


def test_every_method_has_a_signature_with_the_table_names():
    for full_name, _, _, methods in ki._registry():
        cls = getattr(ki, full_name.split(".")[-1])
        for name, role, forms in methods:
            function = cls.__init__ if role == "constructor" else getattr(cls, name)
            parameters = names(function)
            assert not any(p.rstrip("0123456789") in ("text", "value", "number", "index") and p[-1].isdigit()
                           for p in parameters), (full_name, name, parameters)
            assert (parameters[:1] == ["self"]) == (role != "static"), (full_name, name)


@pytest.mark.parametrize("function, expected", [
    (ki.Body.getLinkAt, ["self", "index"]),
    (ki.Body.__init__, ["self", "name", "mass", "mass_units", "inertia", "inertia_units", "volume",
                        "volume_units", "surface_area", "area_units", "file_name"]),
    (ki.ZoltModel.readFromXML, ["path", "option"]),
    (ki.ZoltModel.writeToXML, ["self", "path"]),
    (ki.Joint.zoltCreateWeldJoint, ["model", "base", "follower", "base_position", "follower_position",
                                    "length_units", "node_id"]),
    # Forms that differ only at the end share one signature with those parameters optional.
    (ki.BodyRef.__init__, ["self", "name", "body", "rotation", "translation"]),
    (ki.ZoltBase.__init__, ["self", "name"]),
    # Forms that differ otherwise: the shared parameters, then *args.
    (ki.Frame.__init__, ["self", "name", "id", "args"]),
    (ki.Joint.addPrimitive, ["self", "args"]),
])
def test_signatures(function, expected):
    assert names(function) == expected


def test_annotations_and_docstrings_use_python_types():
    signature = inspect.signature(ki.Body.getLinkAt)
    assert signature.parameters["index"].annotation == "int"
    assert signature.return_annotation == "Optional[Frame]"
    assert inspect.signature(ki.ZoltModel.readFromXML).return_annotation == "Tuple[Optional[ZoltModel], str]"
    assert ki.Body.getLinkAt.__doc__.startswith("getLinkAt(self, index: int) -> Optional[Frame]\n")
    assert "Frame(name: str, id: int, position_units: str)" in ki.Frame.__doc__
    assert ki.Body.getLinkAt.__qualname__ == "Body.getLinkAt" and ki.Body.getLinkAt.__module__ == "kaloimport"
    assert list(inspect.signature(ki.read).parameters) == ["path", "simplify"]
    assert list(inspect.signature(ki.ZoltModel.write).parameters) == ["self", "path"]
    assert "to" in inspect.signature(ki.convert).parameters


def test_keyword_arguments_by_table_name():
    body = make_body("A", 1.0)
    body.addLink(frame=ki.Frame("F", 3, "mm"))
    assert body.getLinkAt(index=0).getID() == 3
    ref = ki.BodyRef("R", body, translation=[1, 2, 3], rotation=np.eye(3))
    assert ref.getBody() == body
    assert ki.BodyRef(name="S", body=body).getName() == "S"
    assert ki.ZoltBase().getName() == "" and ki.ZoltBase(name="Z").getName() == "Z"


@pytest.mark.parametrize("call, text", [
    # Python's own counts for a single form: self included.
    (lambda b: b.getLinkAt(), "Body.getLinkAt() missing 1 required positional argument: 'index'"),
    (lambda b: b.getLinkAt(0, 1), "Body.getLinkAt() takes 2 positional arguments but 3 were given"),
    (lambda b: b.getMass(1), "Body.getMass() takes 1 positional argument but 2 were given"),
    (lambda b: b.getLinkAt(slot=0), "got an unexpected keyword argument 'slot'"),
    # Several forms: counted by the binding the same way.
    (lambda b: ki.Frame("F", 0, "m", "x"), "Frame.__init__() takes 4 or 10 positional arguments but 5 were given"),
    (lambda b: ki.BodyRef("R", b, np.eye(3)),
     "BodyRef.__init__() takes 3 or 5 positional arguments but 4 were given"),
    (lambda b: ki.Joint.addPrimitive(None, 1, 2), "Joint.addPrimitive() takes 2 or 4 positional arguments but 3"),
    # Values named by parameter and Python type.
    (lambda b: b.getLinkAt("0"), "Body.getLinkAt() argument 'index' must be int, not str"),
    (lambda b: b.getLinkAt(1.0), "argument 'index' must be int, not float"),
    (lambda b: b.getLinkAt(2 ** 31), "argument 'index' must be an int from -2147483648 to 2147483647"),
    (lambda b: b.setName(5), "ZoltBase.setName() argument 'name' must be str, not int"),
    (lambda b: b.addLink("F"), "Body.addLink() argument 'frame' must be Frame or None, not str"),
    (lambda b: ki.Body.getMass(3), "Body.getMass() argument 'self' must be Body or None, not int"),
    (lambda b: ki.Body("B", "heavy", "kg", np.eye(3), "kg*m^2", 1, "m^3", 1, "m^2", ""),
     "Body.__init__() argument 'mass' must be float, not str"),
    (lambda b: ki.ZoltModel.readFromXML(3, 0), "ZoltModel.readFromXML() argument 'path' must be str, not int"),
])
def test_type_errors_speak_python(call, text):
    assert text in type_error(lambda: call(make_body("A", 1.0)))
