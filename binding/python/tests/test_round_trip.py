"""Setters and getters: values set through the package survive writeToXML and
a second read, and vectors and matrices keep their element order."""
import numpy as np
import pytest

import kaloimport as ki
from conftest import make_body

# Not symmetric, so a transposed matrix would show.
ROTATION = np.array([[0.0, -1.0, 0.0], [1.0, 0.0, 0.0], [0.0, 0.0, 1.0]])


def build(tmp_path):
    top = ki.Subsystem("Top")
    model = ki.ZoltModel("kalo tests", "", "", "", "Round", top)
    a, b = make_body("A", 1.0), make_body("B", 2.0)
    for body in (a, b):
        top.addBodyRef(ki.BodyRef(body.getName(), body))
    mount = ki.Frame("F", model.getNextFrameId(), [0, 0, 0], "m", "WORLD", np.eye(3), "rad", "3x3 Transform",
                     "WORLD")
    a.addLink(mount)
    mount.setName("Mount")
    mount.setNodeID("/Round/A/Mount")
    mount.setPosition(np.array([[1.0], [2.0], [3.0]]))  # a column
    mount.setPositionUnits("cm")
    mount.setPosRefFrame("A")
    mount.setOrientation(ROTATION)
    mount.setOrientationUnits("deg")
    mount.setOrientationType("Euler Z-Y-X")
    mount.setOrientationRefFrame("B")
    unnamed = ki.Frame("X", model.getNextFrameId(), "m")
    unnamed.setAutoName(4)
    b.addLink(unnamed)

    joint = ki.Joint(model, a, b, [1, 2, 3], [4, 5, 6], "cm", "AB")
    joint.setStatus("checked")
    primitive = ki.Primitive("revolute", [1, 0, 0], "WORLD")
    primitive.setAxis((0, 0, 2))  # normalised
    primitive.setRefFrame("A")
    joint.addPrimitive(primitive)
    top.addJoint(joint)
    path = str(tmp_path / "round.xml")
    assert model.writeToXML(path) == ""
    return path, mount, unnamed, primitive


def check(mount, unnamed, primitive):
    assert mount.getName() == "Mount" and mount.getNodeID() == "/Round/A/Mount"
    np.testing.assert_array_equal(mount.getPosition(), [1, 2, 3])
    assert mount.getPositionString() == "[1,2,3]"
    assert (mount.getPositionUnits(), mount.getPosRefFrame()) == ("cm", "A")
    np.testing.assert_array_equal(mount.getOrientation(), ROTATION)
    assert mount.getOrientationString() == "[0,-1,0;1,0,0;0,0,1]"
    assert (mount.getOrientationUnits(), mount.getOrientationType(), mount.getOrientationRefFrame()) == (
        "deg", "Euler Z-Y-X", "B")
    assert unnamed.getName() == "CS5"
    np.testing.assert_array_equal(primitive.getAxis(), [0, 0, 1])
    assert (primitive.getAxisString(), primitive.getRefFrame(), primitive.getType()) == ("[0,0,1]", "A", "revolute")


def test_setters_seen_in_memory_and_after_a_second_read(tmp_path):
    path, mount, unnamed, primitive = build(tmp_path)
    check(mount, unnamed, primitive)

    model, error = ki.ZoltModel.readFromXML(path, 0)
    assert error == ""
    top = model.getTopSubsystem()
    a, b = (top.getBodyRefAt(i).getBody() for i in range(2))
    joint = top.getJointAt(0)
    assert (joint.getStatus(), joint.getTypeName(), joint.getName()) == ("checked", "SimpleJoint", "A--B")
    check(a.getLinkAt(0), b.getLinkAt(0), joint.getPrimitiveAt(0))


def test_vectors_as_rows_columns_and_sequences():
    frame = ki.Frame("F", 0, "m")
    for value in ([1, 2, 3], (1.0, 2.0, 3.0), np.array([1, 2, 3], dtype=np.int64), np.array([[1, 2, 3]]),
                  np.array([[1], [2], [3]], dtype=np.float32)):
        frame.setPosition([0, 0, 0])
        frame.setPosition(value)
        assert frame.getPosition().tolist() == [1, 2, 3]
    # A matrix given in C or Fortran memory order means the same rows and columns.
    for matrix in (ROTATION, np.asfortranarray(ROTATION), ROTATION.tolist()):
        frame.setOrientation(matrix)
        np.testing.assert_array_equal(frame.getOrientation(), ROTATION)


def test_inertia_matrix_and_its_text():
    values = np.arange(1.0, 10.0).reshape(3, 3, order="F")  # values 1..9 column by column
    body = ki.Body("I", 1.0, "kg", values, "kg*m^2", 1.0, "m^3", 1.0, "m^2", "")
    np.testing.assert_array_equal(body.getInertia()[:, 0], [1, 2, 3])
    assert body.getInertiaString() == "[1,2,3;4,5,6;7,8,9]"


def test_frame_ids_and_names():
    model = ki.ZoltModel("", "", "", "", "M", ki.Subsystem("T"))
    assert [model.getNextFrameId() for _ in range(3)] == [0, 1, 2]
    body = make_body("A", 1.0)
    for _ in range(2):
        body.addLink(ki.Frame("", 0, "m"))
    assert [body.getLinkAt(i).getName() for i in range(2)] == ["CS1", "CS2"]
    ref = ki.FrameRef(body.getLinkAt(0))
    assert ref.getName() == "CS1"
    ref.setFrame(body.getLinkAt(1))
    assert ref.getFrame() == body.getLinkAt(1)
    assert ki.Frame("", 0, "m").getParent() is None
