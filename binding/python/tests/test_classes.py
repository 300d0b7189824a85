"""The module's classes come from the package registry: one class per host
class with its description, superclass and methods, static methods as static
methods, the kinds in every docstring, and stubs that say the same."""
import ast
import inspect
import os

import kaloimport as ki

CLASSES = ["ZoltBase", "Body", "BodyRef", "Frame", "FrameRef", "Ground", "Joint", "Primitive", "ZoltModel",
           "Subsystem", "SubsystemRef"]
# Registered forms per class, as the binding lists them.
FORM_COUNTS = {"ZoltBase": 9, "Body": 20, "BodyRef": 3, "Frame": 20, "FrameRef": 3, "Ground": 2, "Joint": 16,
               "Primitive": 8, "ZoltModel": 5, "Subsystem": 24, "SubsystemRef": 3}


def short(full_name):
    return full_name.split(".")[-1]


def own_forms(full_name, forms):
    return [f for f in forms if f[0] == full_name]


def test_one_class_per_host_class_with_its_description_and_superclass():
    registry = ki._registry()
    assert [short(c[0]) for c in registry] == CLASSES
    for full_name, superclass, description, methods in registry:
        cls = getattr(ki, short(full_name))
        assert cls.__module__ == "kaloimport" and cls.__name__ == short(full_name)
        assert description == "This is the COSClassInfo class for the C++ class : " + short(full_name)
        assert cls.__doc__.startswith(description)
        if short(full_name) == "ZoltBase":
            assert superclass == ""
        else:
            assert superclass == "kaloimport.ZoltBase" and cls.__bases__ == (ki.ZoltBase,)
        assert sum(len(own_forms(full_name, forms)) for _, _, forms in methods) == FORM_COUNTS[cls.__name__]


def test_every_method_is_an_attribute_with_its_kinds_in_the_docstring():
    for full_name, _, _, methods in ki._registry():
        cls = getattr(ki, short(full_name))
        for name, role, forms in methods:
            attribute = inspect.getattr_static(cls, "__init__" if role == "constructor" else name)
            assert isinstance(attribute, staticmethod) == (role == "static"), (full_name, name)
            doc = (cls.__init__ if role == "constructor" else getattr(cls, name)).__doc__
            for owner, arguments, results in forms:
                assert f"{owner}.{name}({', '.join(arguments)}) -> ({', '.join(results)})" in doc, (name, doc)


def test_static_methods_inheritance_and_constructors():
    assert {n for n, r, _ in sum((m for *_, m in ki._registry()), []) if r == "static"} == {
        "zoltCreateWeldJoint", "zoltCreateSixDOFJoint", "readFromXML", "dynamiccast"}
    assert ki.Body.getName is ki.ZoltBase.getName
    assert issubclass(ki.Subsystem, ki.ZoltBase) and isinstance(ki.Subsystem("S"), ki.ZoltBase)
    assert ki.ZoltBase().getName() == "" and ki.ZoltBase("named").getName() == "named"
    assert "Frame(name: str, id: int, position_units: str)" in ki.Frame.__doc__
    assert ki.Body.getLinkAt.__doc__.startswith("getLinkAt(self, index: int) -> Optional[Frame]\n")
    assert ki.ZoltModel.readFromXML.__doc__.startswith(
        "readFromXML(path: str, option: int) -> Tuple[Optional[ZoltModel], str]\n")


def test_stubs_name_every_class_and_method():
    path = os.path.join(os.path.dirname(ki.__file__), "kaloimport.pyi")
    with open(path, encoding="utf-8") as stubs:
        text = stubs.read()
    assert text == ki._stub_text()
    tree = ast.parse(text)
    classes = {node.name: node for node in tree.body if isinstance(node, ast.ClassDef)}
    functions = {node.name for node in tree.body if isinstance(node, ast.FunctionDef)}
    assert "convert" in functions and {"HostError", "ConversionError"} <= set(classes)
    for full_name, superclass, _, methods in ki._registry():
        node = classes[short(full_name)]
        assert [b.id for b in node.bases] == ([short(superclass)] if superclass else [])
        defined = {}
        for item in node.body:
            if isinstance(item, ast.FunctionDef):
                defined.setdefault(item.name, []).append([d.id for d in item.decorator_list])
        for name, role, _ in methods:
            decorators = defined["__init__" if role == "constructor" else name]
            assert all(("staticmethod" in d) == (role == "static") for d in decorators), name
