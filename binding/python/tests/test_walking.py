"""Walking a model read from the committed sample: every kind of result as
the Python value it becomes."""
import numpy as np
import pytest

import kaloimport as ki
from conftest import SAMPLE, make_body


@pytest.fixture(scope="module")
def sample():
    model, error = ki.ZoltModel.readFromXML(str(SAMPLE), 0)
    assert error == ""
    return model


def test_model_top_and_parent(sample):
    top = sample.getTopSubsystem()
    assert (top.getName(), top.getNodeID()) == ("M", "M")
    parent = top.getParent()
    # Returned with the class the method declares, and equal to the model object it holds.
    assert type(parent) is ki.ZoltBase
    assert parent == sample
    assert ki.Subsystem.dynamiccast(parent) is None
    assert type(top.getRigidFlag()) is bool and not top.getRigidFlag()
    assert type(top.getBodyRefCount()) is int and top.getBodyRefCount() == 2


def test_body_values(sample):
    base = sample.getTopSubsystem().getBodyRefAt(0).getBody()
    assert type(base) is ki.Body
    assert base.getMass() == pytest.approx(0.3) and type(base.getMass()) is float
    assert (base.getMassString(), base.getMassUnits(), base.getInertiaUnits()) == ("0.3", "g", "g*cm^2")
    color = base.getColor()
    assert isinstance(color, np.ndarray) and color.shape == (3,)
    assert color.tolist() == [0.5, 0.25, 1]
    inertia = base.getInertia()
    assert inertia.shape == (3, 3)
    assert inertia[0, 0] == 1.5 and inertia[2, 2] == pytest.approx(1.23457e6)
    assert base.getInertiaString() == "[1.5,0,0;0,0,0;0,0,1.23457e+06]"
    assert base.isEmpty() == 0


def test_frames_and_matrix_order(sample):
    base = sample.getTopSubsystem().getBodyRefAt(0).getBody()
    mount = base.getLinkAt(1)
    assert mount.getID() == 2
    assert (mount.getPositionUnits(), mount.getOrientationUnits(), mount.getOrientationType(),
            mount.getPosRefFrame(), mount.getOrientationRefFrame()) == ("mm", "deg", "3x3 Transform", "WORLD", "WORLD")
    np.testing.assert_array_equal(mount.getPosition(), [2, 0.25, -0.001])
    # Stored column by column (first column (0, 1, 0)); m[i, j] is row i, column j,
    # as the matrix text writes it.
    orientation = mount.getOrientation()
    np.testing.assert_array_equal(orientation, [[0, -1, 0], [1, 0, 0], [0, 0, 1]])
    assert mount.getOrientationString() == "[0,-1,0;1,0,0;0,0,1]"
    assert base.getLinkAt(2).getID() == -1


def test_unset_and_out_of_range_give_none(sample):
    base = sample.getTopSubsystem().getBodyRefAt(0).getBody()
    assert base.getLinkAt(3) is None
    # getLinkAt takes an int32: a negative index reaches the model as a huge one.
    assert base.getLinkAt(-1) is None
    assert sample.getTopSubsystem().getJointAt(99) is None
    fresh = make_body("Fresh", 1.0)
    assert fresh.getCGFrame() is None and fresh.getOriginFrame() is None
    assert fresh.getColor().tolist() == [-1, -1, -1]


def test_joints_primitives_and_texts(sample):
    top = sample.getTopSubsystem()
    connector = top.getJointAt(2)
    assert connector.getType() == "MasslessConnector"
    spherical = connector.getPrimitiveAt(1)
    assert (spherical.getType(), spherical.getRefFrame()) == ("spherical", "Arm")
    assert spherical.getAxis() == pytest.approx([0.57735, 0.57735, 0.57735])
    # A joint side without a name of its own answers with its frame's name.
    assert type(connector.getFollowerFrame()) is ki.FrameRef
    assert connector.getFollowerFrame().getName() == "CS1"
    assert top.getJointAt(0).getStatus() == 'ok "quoted" & <escaped>'
    flex = top.getSubsystemRefAt(0).getSubsystem()
    link = flex.getBodyRefAt(0).getBody()
    assert link.getName() == "Link \u00e9"


def test_flattened_read(sample):
    model, error = ki.ZoltModel.readFromXML(str(SAMPLE), 1)
    assert error == ""
    top = model.getTopSubsystem()
    assert (top.getSubsystemRefCount(), top.getBodyRefCount()) == (0, 3)
    assert top.getBodyRefAt(2).getBody().getName() == "Flex\\Link \u00e9"


def test_read_failures_come_back_as_text(tmp_path):
    for path in (tmp_path / "missing.xml", SAMPLE.parent / "bad_mass.xml"):
        assert ki.ZoltModel.readFromXML(str(path), 1) == (None, "XML Read error")
    model = ki.ZoltModel("", "", "", "", "M", ki.Subsystem("T"))
    assert model.writeToXML(str(tmp_path / "no" / "such" / "dir.xml")) == "XML Read error"
