"""Building joints through the package: the joint factories, massless
connectors and primitives, written and read back."""
import pytest

import kaloimport as ki
from conftest import make_body, outline


def build(how, model, base, follower, x):
    factory = ki.Joint if how == "Joint" else getattr(ki.Joint, how)
    return factory(model, base, follower, [x, 0, 0], [x + 1, 0, 0], "mm", how)


def test_factories_connectors_and_round_trip(tmp_path, no_host_objects_left):
    top = ki.Subsystem("Top")
    model = ki.ZoltModel("kalo tests", "", "", "", "Joints", top)
    bodies = [make_body(name, 1.0) for name in "ABCD"]
    for body in bodies:
        top.addBodyRef(ki.BodyRef(body.getName(), body))
    ground = ki.Ground("RootGround", ki.Frame("", model.getNextFrameId(), "mm"))
    top.addGround(ground)

    ground_weld = build("zoltCreateWeldJoint", model, ground, bodies[0], 0)
    six_dof = build("zoltCreateSixDOFJoint", model, bodies[0], bodies[1], 2)
    assert six_dof.getType() == "SimpleJoint"
    connector = build("Joint", model, bodies[1], bodies[2], 4)
    connector.addMassLessConnectorPrims("MasslessConnectorPS", [0, 2, 0], "B", [[1, 0, 0]], "C")
    assert connector.getType() == "MasslessConnector"
    connector.setStatus("checked")
    body_weld = build("zoltCreateWeldJoint", model, bodies[2], bodies[3], 6)

    # The connector first, to see the reader put it after the simple joints.
    for joint in (connector, ground_weld, six_dof, body_weld):
        top.addJoint(joint)
    path = str(tmp_path / "joints.xml")
    assert model.writeToXML(path) == ""

    read, error = ki.ZoltModel.readFromXML(path, 0)
    assert error == ""
    # A weld from the ground sits at the follower's position, one between bodies at the base's.
    assert outline(read.getTopSubsystem()) == (
        "subsystem Joints\n"
        "  body A: A 1kg frames CS1#2[1,0,0] CS2#3[2,0,0]\n"
        "  body B: B 1kg frames CS1#4[3,0,0] CS2#5[4,0,0]\n"
        "  body C: C 1kg frames CS1#6[5,0,0] CS2#7[6,0,0]\n"
        "  body D: D 1kg frames CS1#8[6,0,0]\n"
        "  joint RootGround--A SimpleJoint CS1#1[1,0,0] -> CS1#2[1,0,0] weld[0.57735,0.57735,0.57735]\n"
        "  joint A--B SimpleJoint CS2#3[2,0,0] -> CS1#4[3,0,0] prismatic[1,0,0] prismatic[0,1,0] "
        "prismatic[0,0,1] spherical[0.57735,0.57735,0.57735]\n"
        "  joint C--D SimpleJoint CS2#7[6,0,0] -> CS1#8[6,0,0] weld[0.57735,0.57735,0.57735]\n"
        "  joint B--C MasslessConnector CS2#5[4,0,0] -> CS1#6[5,0,0] prismatic[0,1,0] spherical[1,0,0]\n"
        "  ground RootGround CS1#1[1,0,0]\n")
    read_connector = read.getTopSubsystem().getJointAt(3)
    assert read_connector.getStatus() == "checked"
    assert read_connector.getPrimitiveAt(0).getRefFrame() == "B"


def test_primitives_added_one_by_one():
    model = ki.ZoltModel("", "", "", "", "M", ki.Subsystem("Top"))
    joint = build("Joint", model, make_body("P", 1), make_body("Q", 1), 0)
    assert (joint.getType(), joint.getPrimitiveCount()) == ("SimpleJoint", 0)
    joint.addPrimitive(ki.Primitive("weld"))  # the one-argument form
    joint.addPrimitive("revolute", [0, 3, 0], "WORLD")  # the three-argument form
    assert [joint.getPrimitiveAt(i).getType() for i in range(2)] == ["weld", "revolute"]
    assert joint.getPrimitiveAt(1).getAxisString() == "[0,1,0]"
    assert joint.getPrimitiveAt(2) is None
    joint.setType("MasslessConnectorRR")
    assert joint.getType() == "MasslessConnectorRR"


def test_an_end_that_is_no_body_is_refused_by_the_model(no_host_objects_left):
    top = ki.Subsystem("Top")
    model = ki.ZoltModel("", "", "", "", "M", top)
    # A subsystem is neither a body nor a ground; the constructor's new object is released.
    with pytest.raises(ki.HostError) as refused:
        build("Joint", model, top, make_body("Q", 1), 0)
    assert refused.value.identifier == "qcos:methodFailed"
    with pytest.raises(ki.HostError):
        build("zoltCreateWeldJoint", model, make_body("P", 1), top, 0)
