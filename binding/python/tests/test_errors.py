"""Error paths: refusals of the host and the binding become HostError with the
host's identifier; Python values that cannot become host values raise
TypeError naming the method and the argument; no argument crashes."""
import itertools

import numpy as np
import pytest

import kaloimport as ki
from conftest import SAMPLE, make_body

INVALID = "kaloimport:invalidArgument"


def refusal(call, identifier=INVALID):
    with pytest.raises(ki.HostError) as refused:
        call()
    assert refused.value.identifier == identifier
    assert str(refused.value) == refused.value.message
    return refused.value.message


def type_error(call):
    with pytest.raises(TypeError) as refused:
        call()
    return str(refused.value)


@pytest.fixture
def frame():
    frame = ki.Frame("F", 0, "m")
    frame.setPosition([1, 2, 3])
    return frame


def test_host_error_is_a_runtime_error():
    assert issubclass(ki.HostError, RuntimeError)


def test_empty_objects_are_refused(frame, no_host_objects_left):
    body = make_body("A", 1.0)
    assert refusal(lambda: ki.Frame.getID(None)) == \
        "kaloimport.Frame.getID: argument 1 (kaloimport.Frame) is an empty object"
    assert refusal(lambda: body.addLink(body.getCGFrame())) == \
        "kaloimport.Body.addLink: argument 2 (kaloimport.Frame) is an empty object"
    assert body.getLinkCount() == 0
    assert "argument 2" in refusal(lambda: ki.Ground("G", None))
    # An empty object where the model takes one: it clears the parent.
    loose = ki.ZoltBase("loose")
    loose.setParent(frame)
    assert loose.getParent() == frame
    loose.setParent(None)
    assert loose.getParent() is None
    assert ki.ZoltBase.isEmpty(None) == 1


@pytest.mark.parametrize("wrong", [[7, 7], [[7, 7], [7, 7]], np.eye(3), [], [1, 2, 3, 4]])
def test_vectors_must_hold_three_numbers(frame, wrong):
    assert refusal(lambda: frame.setPosition(wrong)) == ("kaloimport.Frame.setPosition: argument 2 (double vector) "
                                                         "must hold exactly 3 doubles, as 3x1 or 1x3")
    assert frame.getPosition().tolist() == [1, 2, 3]


@pytest.mark.parametrize("wrong", [[1, 0, 0], np.eye(3).reshape(1, 9), np.eye(2)])
def test_matrices_must_be_three_by_three(frame, wrong):
    assert refusal(lambda: frame.setOrientation(wrong)) == \
        "kaloimport.Frame.setOrientation: argument 2 (double matrix) must be a 3x3 double matrix"


def test_object_of_another_class_finds_no_form(frame):
    message = refusal(lambda: ki.Body.getMass(frame), "qcos:noMatchingSignature")
    assert "getMass" in message
    model, _ = ki.ZoltModel.readFromXML(str(SAMPLE), 0)
    flex = model.getTopSubsystem().getSubsystemRefAt(0).getSubsystem()
    # getParent answers with a ZoltBase, which the Subsystem methods do not take.
    as_base = flex.getBodyRefAt(0).getBody().getParent()
    refusal(lambda: ki.Subsystem.getBodyRefCount(as_base), "qcos:noMatchingSignature")
    assert ki.Subsystem.dynamiccast(as_base).getBodyRefCount() == 1


def test_subsystem_placed_inside_itself():
    outer, inner = ki.Subsystem("outer"), ki.Subsystem("inner")
    outer.addSubsystemRef(ki.SubsystemRef("r", inner))
    assert refusal(lambda: outer.addSubsystemRef(ki.SubsystemRef("self", outer))).endswith(
        "would place the subsystem inside itself")
    assert "inside itself" in refusal(lambda: inner.addSubsystemRef(ki.SubsystemRef("up", outer)))
    assert inner.getSubsystemRefCount() == 0


@pytest.mark.parametrize("call, where", [
    (lambda f, b: f.setPosition("abc"), "Frame.setPosition() argument 'position' must be a sequence or array of "
     "numbers, not str"),
    (lambda f, b: f.setPosition(["1", "2", "3"]), "argument 'position' must hold numbers, not an array of dtype <U1"),
    (lambda f, b: f.setPosition([1j, 0, 0]), "argument 'position' must hold numbers, not an array of dtype complex"),
    (lambda f, b: f.setPosition([[1, 2], [3]]), "argument 'position' cannot be read as an array of numbers: "),
    (lambda f, b: f.setPosition({"x": 1}), "argument 'position' must hold numbers"),
    (lambda f, b: f.setPosition(2.0), "argument 'position' must be a sequence or array of numbers, not float"),
    (lambda f, b: f.setOrientation(np.zeros((3, 3, 1))), "must have 1 or 2 dimensions, not 3"),
    (lambda f, b: b.getLinkAt(1.0), "Body.getLinkAt() argument 'index' must be int, not float"),
    (lambda f, b: b.getLinkAt(True), "argument 'index' must be int, not bool"),
    (lambda f, b: b.getLinkAt(2 ** 31), "must be an int from -2147483648 to 2147483647 (an int32 scalar), not 2147483648"),
    (lambda f, b: ki.Subsystem("S").getBodyRefAt(-1), "must be an int from 0 to 4294967295 (a uint32 scalar), not -1"),
    (lambda f, b: f.setAutoName(2 ** 32), "Frame.setAutoName() argument 'n' must be an int from 0 to 4294967295"),
    (lambda f, b: f.setName(5), "ZoltBase.setName() argument 'name' must be str, not int"),
    (lambda f, b: f.setName(b"bytes"), "must be str, not bytes"),
    (lambda f, b: f.setName("nul\0inside"), "ZoltBase.setName() argument 'name' "),
    (lambda f, b: b.addLink("frame"), "Body.addLink() argument 'frame' must be Frame or None, not str"),
    (lambda f, b: ki.Body.getMass(object()), "Body.getMass() argument 'self' must be Body or None, not object"),
    (lambda f, b: ki.Body("B", "heavy", "kg", np.eye(3), "kg*m^2", 1, "m^3", 1, "m^2", ""),
     "Body.__init__() argument 'mass' must be float, not str"),
    (lambda f, b: f.setPosition(), "Frame.setPosition() missing 1 required positional argument: 'position'"),
    (lambda f, b: ki.Frame("F"), "Frame.__init__() missing 1 required positional argument: 'id'"),
    (lambda f, b: ki.Frame("F", 1), "Frame.__init__() takes 4 or 10 positional arguments but 3 were given"),
    (lambda f, b: f.setName(text="x"), "ZoltBase.setName() got an unexpected keyword argument 'text'"),
    (lambda f, b: ki.Frame.getID(), "Frame.getID() missing 1 required positional argument: 'self'"),
])
def test_values_that_cannot_become_host_values(frame, call, where):
    body = make_body("A", 1.0)
    assert where in type_error(lambda: call(frame, body))
    assert frame.getName() == "F" and frame.getPosition().tolist() == [1, 2, 3]


def test_index_like_numbers_are_taken():
    body = make_body("A", 1.0)
    body.addLink(ki.Frame("", 0, "m"))
    assert body.getLinkAt(np.int64(0)).getName() == "CS1"
    assert ki.Body("B", np.float32(2.5), "kg", np.eye(3), "kg*m^2", 1, "m^3", 1, "m^2", "").getMass() == 2.5


def test_constructing_again_makes_a_new_object(frame):
    held = ki.FrameRef(frame)
    frame.__init__("G", 1, "mm")
    assert (frame.getName(), frame.getID()) == ("G", 1)
    assert held.getFrame() != frame and held.getFrame().getName() == "F"
    for other in (object(), ki.ZoltBase("Z")):
        with pytest.raises(TypeError, match=r"Frame.__init__\(\) argument 'self' must be Frame, not "):
            ki.Frame.__init__(other, "G", 0, "m")
    with pytest.raises(TypeError):
        ki.Frame.__init__(object(), "G", 0, "m")


JUNK = [None, 0, -1, 2 ** 40, 1.5, float("nan"), "x", "", [1, 2, 3], np.eye(3), [[1, 2], [3, 4]], object(),
        True, b"raw"]


def test_no_argument_crashes(tmp_path, monkeypatch, no_host_objects_left):
    """Every method of every class, called with mixes of odd values and of
    objects of the package, raises TypeError or HostError or runs."""
    monkeypatch.chdir(tmp_path)  # writeToXML("x") writes a file here
    objects = [make_body("A", 1.0), ki.Frame("F", 0, "m"), ki.Subsystem("S"), ki.ZoltBase("Z")]
    values = JUNK + objects
    calls = 0
    for full_name, _, _, methods in ki._registry():
        cls = getattr(ki, full_name.split(".")[-1])
        for name, role, forms in methods:
            function = cls if role == "constructor" else getattr(cls, name)
            for count in sorted({len(arguments) for _, arguments, _ in forms} | {0, 1}):
                for start in range(len(values)):
                    args = list(itertools.islice(itertools.cycle(values), start, start + count))
                    try:
                        function(*args)
                    except (TypeError, ki.HostError):
                        pass
                    calls += 1
    assert calls > 1000
