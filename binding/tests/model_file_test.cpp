// Reading and writing multibody files through the package, with each
// simplifier option, and walking what was read.

#include <gtest/gtest.h>

#include "sample_model.hpp"

namespace kalo_qli_test {
namespace {

const std::string kModel = "kaloimport.ZoltModel";
const std::string kBody = "kaloimport.Body";
const std::string kSubsystem = "kaloimport.Subsystem";

/// readFromXML's two results: the model and the error text.
std::pair<Value, std::string> read(const std::string& path, int32_t option) {
  const std::vector<Value> results = call(kModel, "readFromXML", {text(path), option});
  return {results.at(0), textOf(results.at(1))};
}

Value top(const Value& model) { return call1(kModel, "getTopSubsystem", {model}); }

// Frame ids read back one higher than written; the ground's frame (id 0) is
// shared by the ground and the weld to A.
const char* const kAsWritten =
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
    "spherical[0.57735,0.57735,0.57735]\n";

// Option 1: Sub flattened into the top, then both welded pairs gathered.
const char* const kFlattenedAndGrouped =
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
    "    joint Sub\\D--E SimpleJoint CS1#7[4,0,0] -> CS1#8[4,0,0] weld[0.57735,0.57735,0.57735]\n";

// Option 2: the hierarchy stays; each subsystem gathers its own welded pair.
const char* const kGrouped =
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
    "    joint A--B SimpleJoint CS2#3[1,0,0] -> CS1#4[1,0,0] weld[0.57735,0.57735,0.57735]\n";

TEST(QliModelFile, BuiltModelReadBackWithEachOption) {
  const std::string path = scratchPath("sample.xml");
  ASSERT_EQ(textOf(call1(kModel, "writeToXML", {buildSampleModel(), text(path)})), "");

  struct Case {
    int32_t option;
    const char* outline;
  };
  // Option 3 is not offered: it reads the file unchanged, as any value but 1 and 2.
  for (const Case& c : {Case{0, kAsWritten}, Case{1, kFlattenedAndGrouped}, Case{2, kGrouped},
                        Case{3, kAsWritten}, Case{-7, kAsWritten}}) {
    SCOPED_TRACE("option " + std::to_string(c.option));
    const auto [model, error] = read(path, c.option);
    EXPECT_EQ(error, "");
    ASSERT_FALSE(isEmpty(model));
    EXPECT_EQ(outline(top(model)), c.outline);
  }
}

TEST(QliModelFile, CommittedSampleThroughEveryAccessor) {
  const std::string path = std::string(KALO_TEST_DATA_DIR) + "/multibody/sample_model.xml";
  const auto [model, error] = read(path, 0);
  ASSERT_EQ(error, "");
  ASSERT_FALSE(isEmpty(model));
  const Value t = top(model);
  EXPECT_EQ(textOf(call1("kaloimport.ZoltBase", "getName", {t})), "M");
  EXPECT_EQ(textOf(call1("kaloimport.ZoltBase", "getNodeID", {t})), "M");
  EXPECT_TRUE(heldObject(call1("kaloimport.ZoltBase", "getParent", {t})) == heldObject(model));

  const Value base =
      call1("kaloimport.BodyRef", "getBody", {call1(kSubsystem, "getBodyRefAt", {t, uint32_t{0}})});
  EXPECT_EQ(doublesOf(call1(kBody, "getColor", {base})), (std::vector<double>{0.5, 0.25, 1}));
  EXPECT_EQ(textOf(call1(kBody, "getMassString", {base})), "0.3");
  EXPECT_EQ(textOf(call1(kBody, "getInertiaString", {base})), "[1.5,0,0;0,0,0;0,0,1.23457e+06]");

  const Value mount = call1(kBody, "getLinkAt", {base, int32_t{1}});
  EXPECT_EQ(int32Of(call1("kaloimport.Frame", "getID", {mount})), 2);
  EXPECT_EQ(textOf(call1("kaloimport.Frame", "getPositionUnits", {mount})), "mm");
  EXPECT_EQ(textOf(call1("kaloimport.Frame", "getOrientationUnits", {mount})), "deg");
  EXPECT_EQ(textOf(call1("kaloimport.Frame", "getOrientationType", {mount})), "3x3 Transform");
  EXPECT_EQ(textOf(call1("kaloimport.Frame", "getPosRefFrame", {mount})), "WORLD");
  EXPECT_EQ(textOf(call1("kaloimport.Frame", "getOrientationRefFrame", {mount})), "WORLD");
  // Stored column by column: the first column is (0, 1, 0).
  EXPECT_EQ(doublesOf(call1("kaloimport.Frame", "getOrientation", {mount})),
            (std::vector<double>{0, 1, 0, -1, 0, 0, 0, 0, 1}));
  EXPECT_EQ(textOf(call1("kaloimport.Frame", "getOrientationString", {mount})), "[0,-1,0;1,0,0;0,0,1]");
  const Value loose = call1(kBody, "getLinkAt", {base, int32_t{2}});
  EXPECT_EQ(int32Of(call1("kaloimport.Frame", "getID", {loose})), -1);

  // All SimpleJoint elements come before the MasslessConnector ones.
  const Value connector = call1(kSubsystem, "getJointAt", {t, uint32_t{2}});
  EXPECT_EQ(textOf(call1("kaloimport.Joint", "getType", {connector})), "MasslessConnector");
  const Value spherical = call1("kaloimport.Joint", "getPrimitiveAt", {connector, uint32_t{1}});
  EXPECT_EQ(textOf(call1("kaloimport.Primitive", "getRefFrame", {spherical})), "Arm");
  EXPECT_EQ(textOf(call1("kaloimport.Primitive", "getType", {spherical})), "spherical");
  EXPECT_EQ(textOf(call1("kaloimport.ZoltBase", "getName",
                         {call1("kaloimport.Joint", "getFollowerFrame", {connector})})),
            "CS1")
      << "a joint side without a name of its own answers with its frame's name";

  // A non-ASCII name crosses the host's text conversions unchanged.
  const Value flex =
      call1("kaloimport.SubsystemRef", "getSubsystem", {call1(kSubsystem, "getSubsystemRefAt", {t, 0u})});
  const Value link = call1("kaloimport.BodyRef", "getBody", {call1(kSubsystem, "getBodyRefAt", {flex, 0u})});
  EXPECT_EQ(textOf(call1("kaloimport.ZoltBase", "getName", {link})), "Link \xC3\xA9");
  EXPECT_EQ(doublesOf(call1(kBody, "getColor", {link})), (std::vector<double>{-1, -1, -1}));

  // Option 1 flattens it; there is no welded pair of bodies to gather.
  const auto [flat, flatError] = read(path, 1);
  ASSERT_EQ(flatError, "");
  const Value flatTop = top(flat);
  EXPECT_EQ(int32Of(call1(kSubsystem, "getSubsystemRefCount", {flatTop})), 0);
  EXPECT_EQ(int32Of(call1(kSubsystem, "getBodyRefCount", {flatTop})), 3);
  const Value moved =
      call1("kaloimport.BodyRef", "getBody", {call1(kSubsystem, "getBodyRefAt", {flatTop, 2u})});
  EXPECT_EQ(textOf(call1("kaloimport.ZoltBase", "getName", {moved})), "Flex\\Link \xC3\xA9");
}

TEST(QliModelFile, FailuresComeBackAsText) {
  for (const std::string& path :
       {scratchPath("missing.xml"), std::string(KALO_TEST_DATA_DIR) + "/multibody/bad_mass.xml"}) {
    SCOPED_TRACE(path);
    const auto [model, error] = read(path, 1);
    EXPECT_EQ(error, "XML Read error");
    EXPECT_TRUE(isEmpty(model));
    EXPECT_EQ(classNameOf(model), "kaloimport.ZoltModel");
  }
  const Value model =
      call1(kModel, "ZoltModel",
            {text(""), text(""), text(""), text(""), text("M"), call1(kSubsystem, "Subsystem", {text("T")})});
  EXPECT_EQ(textOf(call1(kModel, "writeToXML", {model, text(scratchPath("no/such/dir/out.xml"))})),
            "XML Read error");
}

}  // namespace
}  // namespace kalo_qli_test
