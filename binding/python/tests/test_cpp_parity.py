"""The steps of the C++ binding test QliModelFile.BuiltModelReadBackWithEachOption
(binding/tests/model_file_test.cpp), one for one in Python, with the same
expected outlines: build the sample model, write it, read it back with each
simplifier option."""
import pytest

import kaloimport as ki
from conftest import build_sample_model, outline

# Frame ids read back one higher than written; the ground's frame (id 0) is
# shared by the ground and the weld to A.
AS_WRITTEN = (
    "subsystem Sample\n"
    "  body A: A 2.5kg frames CS1#2[1,0,0] CS2#3[1,0,0]\n"
    "  body B: B 1kg frames CS1#4[1,0,0] CS2#5[2,0,0]\n"
    "  body C: C 1kg frames CS1#6[3,0,0]\n"
    "  joint RootGround--A SimpleJoint CS1#1[1,0,0] -> CS1#2[1,0,0] weld[0.57735,0.57735,0.57735]\n"
    "  joint A--B SimpleJoint CS2#3[1,0,0] -> CS1#4[1,0,0] weld[0.57735,0.57735,0.57735]\n"
    "  joint B--C SimpleJoint CS2#5[2,0,0] -> CS1#6[3,0,0] revolute[0,0,1]\n"
    "  ground RootGround CS1#1[1,0,0]\n"
    "  subsystem Sub\n"
    "    body D: D 1kg frames CS1#7[4,0,0]\n"
    "    body E: E 1kg frames CS1#8[4,0,0] CS2#9[5,0,0]\n"
    "    body F: F 1kg frames CS1#10[6,0,0]\n"
    "    joint D--E SimpleJoint CS1#7[4,0,0] -> CS1#8[4,0,0] weld[0.57735,0.57735,0.57735]\n"
    "    joint E--F SimpleJoint CS2#9[5,0,0] -> CS1#10[6,0,0] prismatic[1,0,0] prismatic[0,1,0] "
    "prismatic[0,0,1] "
    "spherical[0.57735,0.57735,0.57735]\n")

# Option 1: Sub flattened into the top, then both welded pairs gathered.
FLATTENED_AND_GROUPED = (
    "subsystem Sample\n"
    "  body C: C 1kg frames CS1#6[3,0,0]\n"
    "  body Sub\\F: Sub\\F 1kg frames CS1#10[6,0,0]\n"
    "  joint RootGround--A SimpleJoint CS1#1[1,0,0] -> CS1#2[1,0,0] weld[0.57735,0.57735,0.57735]\n"
    "  joint B--C SimpleJoint CS2#5[2,0,0] -> CS1#6[3,0,0] revolute[0,0,1]\n"
    "  joint Sub\\E--F SimpleJoint CS2#9[5,0,0] -> CS1#10[6,0,0] prismatic[1,0,0] prismatic[0,1,0] "
    "prismatic[0,0,1] spherical[0.57735,0.57735,0.57735]\n"
    "  ground RootGround CS1#1[1,0,0]\n"
    "  subsystem RigidSubsystem1 (rigid)\n"
    "    body B: B 1kg frames CS1#4[1,0,0] CS2#5[2,0,0]\n"
    "    body A: A 2.5kg frames CS1#2[1,0,0] CS2#3[1,0,0]\n"
    "    joint A--B SimpleJoint CS2#3[1,0,0] -> CS1#4[1,0,0] weld[0.57735,0.57735,0.57735]\n"
    "  subsystem RigidSubsystem2 (rigid)\n"
    "    body Sub\\D: Sub\\D 1kg frames CS1#7[4,0,0]\n"
    "    body Sub\\E: Sub\\E 1kg frames CS1#8[4,0,0] CS2#9[5,0,0]\n"
    "    joint Sub\\D--E SimpleJoint CS1#7[4,0,0] -> CS1#8[4,0,0] weld[0.57735,0.57735,0.57735]\n")

# Option 2: the hierarchy stays; each subsystem gathers its own welded pair.
GROUPED = (
    "subsystem Sample\n"
    "  body C: C 1kg frames CS1#6[3,0,0]\n"
    "  joint RootGround--A SimpleJoint CS1#1[1,0,0] -> CS1#2[1,0,0] weld[0.57735,0.57735,0.57735]\n"
    "  joint B--C SimpleJoint CS2#5[2,0,0] -> CS1#6[3,0,0] revolute[0,0,1]\n"
    "  ground RootGround CS1#1[1,0,0]\n"
    "  subsystem Sub\n"
    "    body F: F 1kg frames CS1#10[6,0,0]\n"
    "    joint E--F SimpleJoint CS2#9[5,0,0] -> CS1#10[6,0,0] prismatic[1,0,0] prismatic[0,1,0] "
    "prismatic[0,0,1] "
    "spherical[0.57735,0.57735,0.57735]\n"
    "    subsystem RigidSubsystem1 (rigid)\n"
    "      body E: E 1kg frames CS1#8[4,0,0] CS2#9[5,0,0]\n"
    "      body D: D 1kg frames CS1#7[4,0,0]\n"
    "      joint D--E SimpleJoint CS1#7[4,0,0] -> CS1#8[4,0,0] weld[0.57735,0.57735,0.57735]\n"
    "  subsystem RigidSubsystem1 (rigid)\n"
    "    body B: B 1kg frames CS1#4[1,0,0] CS2#5[2,0,0]\n"
    "    body A: A 2.5kg frames CS1#2[1,0,0] CS2#3[1,0,0]\n"
    "    joint A--B SimpleJoint CS2#3[1,0,0] -> CS1#4[1,0,0] weld[0.57735,0.57735,0.57735]\n")


@pytest.fixture(scope="module")
def written_sample(tmp_path_factory):
    path = str(tmp_path_factory.mktemp("parity") / "sample.xml")
    assert build_sample_model().writeToXML(path) == ""
    return path


# Option 3 is not offered: it reads the file unchanged, as any value but 1 and 2.
@pytest.mark.parametrize("option, expected", [(0, AS_WRITTEN), (1, FLATTENED_AND_GROUPED), (2, GROUPED),
                                              (3, AS_WRITTEN), (-7, AS_WRITTEN)])
def test_built_model_read_back_with_each_option(written_sample, option, expected):
    model, error = ki.ZoltModel.readFromXML(written_sample, option)
    assert error == ""
    assert isinstance(model, ki.ZoltModel)
    assert outline(model.getTopSubsystem()) == expected
