// Building a model with joints through the package, writing it and reading it back.

#include <gtest/gtest.h>

#include "sample_model.hpp"

namespace kalo_qli_test {
namespace {

const std::string kJoint = "kaloimport.Joint";
const std::string kModel = "kaloimport.ZoltModel";
const std::string kSubsystem = "kaloimport.Subsystem";

std::vector<std::string> primitiveTypes(const Value& joint) {
  std::vector<std::string> types;
  for (int32_t i = 0, n = int32Of(call1(kJoint, "getPrimitiveCount", {joint})); i < n; ++i) {
    types.push_back(textOf(call1("kaloimport.Primitive", "getType",
                                 {call1(kJoint, "getPrimitiveAt", {joint, static_cast<uint32_t>(i)})})));
  }
  return types;
}

Value build(const std::string& how, const Value& model, const Value& base, const Value& follower, double x) {
  return call1(kJoint, how,
               {model, base, follower, column(x, 0, 0), column(x + 1, 0, 0), text("mm"), text(how)});
}

TEST(QliJointBuilding, FactoriesConnectorsAndRoundTrip) {
  const Value top = call1(kSubsystem, "Subsystem", {text("Top")});
  const Value model =
      call1(kModel, "ZoltModel", {text("kalo tests"), text(""), text(""), text(""), text("Joints"), top});
  std::vector<Value> bodies;
  for (const char* name : {"A", "B", "C", "D"}) {
    bodies.push_back(makeBody(name, 1.0));
    call(kSubsystem, "addBodyRef",
         {top, call1("kaloimport.BodyRef", "BodyRef", {text(name), bodies.back()})});
  }
  const Value ground = call1(
      "kaloimport.Ground", "Ground",
      {text("RootGround"),
       call1("kaloimport.Frame", "Frame", {text(""), call1(kModel, "getNextFrameId", {model}), text("mm")})});
  call(kSubsystem, "addGround", {top, ground});

  const Value groundWeld = build("zoltCreateWeldJoint", model, ground, bodies[0], 0);
  const Value sixDOF = build("zoltCreateSixDOFJoint", model, bodies[0], bodies[1], 2);
  EXPECT_EQ(textOf(call1(kJoint, "getType", {sixDOF})), "SimpleJoint");

  const Value connector = build("Joint", model, bodies[1], bodies[2], 4);
  call(kJoint, "addMassLessConnectorPrims",
       {connector, text("MasslessConnectorPS"), column(0, 2, 0), text("B"), row(1, 0, 0), text("C")});
  EXPECT_EQ(textOf(call1(kJoint, "getType", {connector})), "MasslessConnector");
  call(kJoint, "setStatus", {connector, text("checked")});
  const Value bodyWeld = build("zoltCreateWeldJoint", model, bodies[2], bodies[3], 6);

  // The connector first, to see the reader put it after the simple joints.
  for (const Value& j : {connector, groundWeld, sixDOF, bodyWeld}) call(kSubsystem, "addJoint", {top, j});
  const std::string path = scratchPath("joints.xml");
  ASSERT_EQ(textOf(call1(kModel, "writeToXML", {model, text(path)})), "");

  const std::vector<Value> read = call(kModel, "readFromXML", {text(path), int32_t{0}});
  ASSERT_EQ(textOf(read[1]), "");
  // A weld from the ground sits at the follower's position, one between bodies at the base's.
  EXPECT_EQ(outline(call1(kModel, "getTopSubsystem", {read[0]})),
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
            "  ground RootGround CS1#1[1,0,0]\n");
  const Value readConnector =
      call1(kSubsystem, "getJointAt", {call1(kModel, "getTopSubsystem", {read[0]}), 3u});
  EXPECT_EQ(textOf(call1(kJoint, "getStatus", {readConnector})), "checked");
  EXPECT_EQ(textOf(call1("kaloimport.Primitive", "getRefFrame",
                         {call1(kJoint, "getPrimitiveAt", {readConnector, 0u})})),
            "B");
}

TEST(QliJointBuilding, PrimitivesAddedOneByOne) {
  const Value top = call1(kSubsystem, "Subsystem", {text("Top")});
  const Value model = call1(kModel, "ZoltModel", {text(""), text(""), text(""), text(""), text("M"), top});
  const Value joint = build("Joint", model, makeBody("P", 1), makeBody("Q", 1), 0);
  EXPECT_EQ(textOf(call1(kJoint, "getType", {joint})), "SimpleJoint");
  EXPECT_EQ(int32Of(call1(kJoint, "getPrimitiveCount", {joint})), 0);
  call(kJoint, "addPrimitive", {joint, call1("kaloimport.Primitive", "Primitive", {text("weld")})});
  call(kJoint, "addPrimitive", {joint, text("revolute"), row(0, 3, 0), text("WORLD")});
  EXPECT_EQ(primitiveTypes(joint), (std::vector<std::string>{"weld", "revolute"}));
  EXPECT_EQ(
      textOf(call1("kaloimport.Primitive", "getAxisString", {call1(kJoint, "getPrimitiveAt", {joint, 1u})})),
      "[0,1,0]");
  EXPECT_TRUE(isEmpty(call1(kJoint, "getPrimitiveAt", {joint, 2u})));
}

TEST(QliJointBuilding, ModelRefusalOfAnEndThatIsNoBodyComesBackAsHostError) {
  const size_t before = qcos::Host::instance().liveInstanceCount();
  {
    const Value top = call1(kSubsystem, "Subsystem", {text("Top")});
    const Value model = call1(kModel, "ZoltModel", {text(""), text(""), text(""), text(""), text("M"), top});
    // A subsystem is neither a body nor a ground.
    EXPECT_THROW(build("Joint", model, top, makeBody("Q", 1), 0), qcos::Error);
    EXPECT_THROW(build("zoltCreateWeldJoint", model, makeBody("P", 1), top, 0), qcos::Error);
  }
  EXPECT_EQ(qcos::Host::instance().liveInstanceCount(), before)
      << "the constructor's new object was released";
}

}  // namespace
}  // namespace kalo_qli_test
