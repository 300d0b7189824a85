"""Shared helpers: the test data, a body maker, the sample model built through
the package only, and a readable outline of a subsystem reached through its
getters (the same as the C++ binding tests use)."""
import gc
import os
import pathlib

import numpy as np
import pytest

import kaloimport as ki

DATA = pathlib.Path(os.environ["KALO_TEST_DATA_DIR"])
SAMPLE = DATA / "multibody" / "sample_model.xml"


def make_body(name, mass):
    """A body of `mass` kg, diagonal inertia (1, 2, 3) and geometry name + ".stl"."""
    return ki.Body(name, mass, "kg", np.diag([1.0, 2.0, 3.0]), "kg*m^2", 0.5, "m^3", 4.0, "m^2", name + ".stl")


def build_sample_model():
    """Model "Sample": top with bodies A, B, C, the ground "RootGround" welded to
    A, a weld A-B, a revolute B-C, and a child subsystem "Sub" with bodies D, E,
    F, a weld D-E and a six-DOF joint E-F."""
    top = ki.Subsystem("Top")
    model = ki.ZoltModel("kalo tests", "sample.cad", "today", "tester", "Sample", top)

    def add_body(subsystem, name):
        body = make_body(name, 2.5 if name == "A" else 1.0)
        subsystem.addBodyRef(ki.BodyRef(name + "Ref", body))
        return body

    a, b, c = (add_body(top, n) for n in "ABC")
    ground = ki.Ground("RootGround", ki.Frame("", model.getNextFrameId(), "m"))
    top.addGround(ground)
    top.addJoint(ki.Joint.zoltCreateWeldJoint(model, ground, a, [0, 0, 0], [1, 0, 0], "m", "GA"))
    top.addJoint(ki.Joint.zoltCreateWeldJoint(model, a, b, [1, 0, 0], [2, 0, 0], "m", "AB"))
    # Positions given as rows (1x3) here, as columns elsewhere.
    revolute = ki.Joint(model, b, c, np.array([[2, 0, 0]]), np.array([[3, 0, 0]]), "m", "BC")
    revolute.addPrimitive("revolute", [0, 0, 2], "WORLD")
    top.addJoint(revolute)

    sub = ki.Subsystem("Sub")
    top.addSubsystemRef(ki.SubsystemRef("SubRef", sub, np.eye(3), [0, 0, 1]))
    d, e, f = (add_body(sub, n) for n in "DEF")
    sub.addJoint(ki.Joint.zoltCreateWeldJoint(model, d, e, [4, 0, 0], [4, 0, 0], "m", "DE"))
    sub.addJoint(ki.Joint.zoltCreateSixDOFJoint(model, e, f, [5, 0, 0], [6, 0, 0], "m", "EF"))
    return model


def frame_text(frame):
    if frame is None:
        return "-"
    return f"{frame.getName()}#{frame.getID()}{frame.getPositionString()}"


def outline(subsystem, indent=""):
    text = f"{indent}subsystem {subsystem.getName()}{' (rigid)' if subsystem.getRigidFlag() else ''}\n"
    inner = indent + "  "
    for i in range(subsystem.getBodyRefCount()):
        ref = subsystem.getBodyRefAt(i)
        body = ref.getBody()
        frames = "".join(" " + frame_text(body.getLinkAt(k)) for k in range(body.getLinkCount()))
        text += f"{inner}body {ref.getName()}: {body.getName()} {body.getMassString()}{body.getMassUnits()} frames{frames}\n"
    for i in range(subsystem.getJointCount()):
        joint = subsystem.getJointAt(i)
        text += (f"{inner}joint {joint.getName()} {joint.getTypeName()} "
                 f"{frame_text(joint.getBaseFrame().getFrame())} -> {frame_text(joint.getFollowerFrame().getFrame())}")
        for k in range(joint.getPrimitiveCount()):
            primitive = joint.getPrimitiveAt(k)
            text += f" {primitive.getType()}{primitive.getAxisString()}"
        text += "\n"
    for i in range(subsystem.getGroundCount()):
        ground = subsystem.getGroundAt(i)
        text += f"{inner}ground {ground.getName()} {frame_text(ground.getFrame())}\n"
    for i in range(subsystem.getSubsystemRefCount()):
        text += outline(subsystem.getSubsystemRefAt(i).getSubsystem(), inner)
    return text


def live_host_objects():
    gc.collect()
    return ki._live_host_objects()


@pytest.fixture
def no_host_objects_left():
    """Fails the test when it leaves host objects behind."""
    before = live_host_objects()
    yield
    assert live_host_objects() == before
