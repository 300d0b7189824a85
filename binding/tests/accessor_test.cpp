// Individual methods: texts, conversions between host arrays and model
// values, empty results, and the constructors of each class.

#include <gtest/gtest.h>

#include "sample_model.hpp"

namespace kalo_qli_test {
namespace {

const std::string kZoltBase = "kaloimport.ZoltBase";
const std::string kBody = "kaloimport.Body";
const std::string kFrame = "kaloimport.Frame";
const std::string kFrameRef = "kaloimport.FrameRef";
const std::string kPrimitive = "kaloimport.Primitive";
const std::string kSubsystem = "kaloimport.Subsystem";

std::string nameOf(const Value& object) { return textOf(call1(kZoltBase, "getName", {object})); }

TEST(QliAccessors, BodyTextsAndMatrices) {
  const Value body = call1(kBody, "Body",
                           {text("B"), 2.5, text("lbm"), matrix({1, 2, 3, 4, 5, 6, 7, 8, 9}),
                            text("lbm*in^2"), 0.25, text("in^3"), 3.0, text("in^2"), text("b.stl")});
  EXPECT_EQ(textOf(call1(kBody, "getInertiaString", {body})), "[1,2,3;4,5,6;7,8,9]");
  const Value inertia = call1(kBody, "getInertia", {body});
  EXPECT_EQ(qcos::dimensionsOf(inertia), (std::pair<size_t, size_t>{3, 3}));
  EXPECT_EQ(doublesOf(inertia), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9}))
      << "first column holds 1, 2, 3";
  EXPECT_DOUBLE_EQ(std::get<double>(call1(kBody, "getMass", {body})), 2.5);
  EXPECT_EQ(textOf(call1(kBody, "getMassString", {body})), "2.5");
  EXPECT_EQ(textOf(call1(kBody, "getMassUnits", {body})), "lbm");
  EXPECT_EQ(textOf(call1(kBody, "getInertiaUnits", {body})), "lbm*in^2");
  EXPECT_EQ(textOf(call1(kBody, "getVolumeUnits", {body})), "in^3");
  EXPECT_EQ(textOf(call1(kBody, "getSAreaUnits", {body})), "in^2");
  EXPECT_EQ(textOf(call1(kBody, "getFileName", {body})), "b.stl");

  const Value color = call1(kBody, "getColor", {body});
  EXPECT_EQ(qcos::dimensionsOf(color), (std::pair<size_t, size_t>{3, 1}));
  EXPECT_EQ(doublesOf(color), (std::vector<double>{-1, -1, -1})) << "a body made here has no material";
}

TEST(QliAccessors, BodyFramesAndEmptyResults) {
  const Value body = makeBody("A", 1.0);
  EXPECT_TRUE(isEmpty(call1(kBody, "getCGFrame", {body})));
  EXPECT_TRUE(isEmpty(call1(kBody, "getOriginFrame", {body})));
  const Value unnamed = call1(kFrame, "Frame", {text(""), int32_t{-1}, text("m")});
  const Value named = call1(kFrame, "Frame", {text("Named"), int32_t{-1}, text("m")});
  call(kBody, "addLink", {body, unnamed});
  call(kBody, "addLink", {body, named});
  call(kBody, "addLink", {body, call1(kFrame, "Frame", {text(""), int32_t{-1}, text("m")})});
  EXPECT_EQ(int32Of(call1(kBody, "getLinkCount", {body})), 3);
  EXPECT_EQ(nameOf(call1(kBody, "getLinkAt", {body, int32_t{0}})), "CS1");
  EXPECT_EQ(nameOf(call1(kBody, "getLinkAt", {body, int32_t{1}})), "Named");
  EXPECT_EQ(nameOf(call1(kBody, "getLinkAt", {body, int32_t{2}})), "CS2");
  EXPECT_TRUE(isEmpty(call1(kBody, "getLinkAt", {body, int32_t{3}})));
  EXPECT_TRUE(isEmpty(call1(kBody, "getLinkAt", {body, int32_t{-1}})));

  call(kBody, "setCGFrame", {body, named});
  call(kBody, "setOriginFrame", {body, unnamed});
  EXPECT_EQ(nameOf(call1(kBody, "getCGFrame", {body})), "Named");
  EXPECT_EQ(nameOf(call1(kBody, "getOriginFrame", {body})), "CS1");
  call(kBody, "setCGFrame", {body, call1(kBody, "getLinkAt", {body, int32_t{9}})});
  EXPECT_TRUE(isEmpty(call1(kBody, "getCGFrame", {body}))) << "an empty frame unsets it";
}

TEST(QliAccessors, FrameConstructorsAndSetters) {
  const Value frame = call1(kFrame, "Frame",
                            {text("F"), int32_t{7}, row(1, 2, 3), text("cm"), text("P"), identity(),
                             text("deg"), text("Euler X-Y-Z"), text("O")});
  EXPECT_EQ(int32Of(call1(kFrame, "getID", {frame})), 7);
  EXPECT_EQ(textOf(call1(kFrame, "getPositionString", {frame})), "[1,2,3]");
  EXPECT_EQ(textOf(call1(kFrame, "getOrientationString", {frame})), "[1,0,0;0,1,0;0,0,1]");
  // Each text as constructed, then changed through its own setter.
  struct TextField {
    const char* name;
    const char* constructed;
    const char* changed;
  };
  for (const TextField& f : {TextField{"PositionUnits", "cm", "in"}, TextField{"PosRefFrame", "P", "P2"},
                             TextField{"OrientationUnits", "deg", "rev"},
                             TextField{"OrientationType", "Euler X-Y-Z", "Quaternion"},
                             TextField{"OrientationRefFrame", "O", "O2"}}) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(textOf(call1(kFrame, std::string("get") + f.name, {frame})), f.constructed);
    call(kFrame, std::string("set") + f.name, {frame, text(f.changed)});
    EXPECT_EQ(textOf(call1(kFrame, std::string("get") + f.name, {frame})), f.changed);
  }
  call(kFrame, "setOrientation", {frame, matrix({1, 2, 3, 4, 5, 6, 7, 8, 9})});
  EXPECT_EQ(doublesOf(call1(kFrame, "getOrientation", {frame})),
            (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9}));

  const Value shortFrame = call1(kFrame, "Frame", {text(""), int32_t{3}, text("mm")});
  EXPECT_EQ(textOf(call1(kFrame, "getPositionString", {shortFrame})), "[0,0,0]");
  EXPECT_EQ(textOf(call1(kFrame, "getOrientationType", {shortFrame})), "3x3 Transform");
  call(kFrame, "setAutoName", {shortFrame, uint32_t{4}});
  EXPECT_EQ(nameOf(shortFrame), "CS5");
}

TEST(QliAccessors, FrameRefAndPrimitive) {
  const Value noFrame = call1(kFrameRef, "FrameRef", {call1(kBody, "getCGFrame", {makeBody("A", 1)})});
  EXPECT_EQ(nameOf(noFrame), "");
  EXPECT_TRUE(isEmpty(call1(kFrameRef, "getFrame", {noFrame})));
  const Value frame = call1(kFrame, "Frame", {text("X"), int32_t{0}, text("m")});
  call(kFrameRef, "setFrame", {noFrame, frame});
  EXPECT_EQ(nameOf(noFrame), "X");
  EXPECT_EQ(heldObject(call1(kFrameRef, "getFrame", {noFrame})), heldObject(frame));

  const Value prismatic = call1(kPrimitive, "Primitive", {text("prismatic"), row(0, 0, 2), text("WORLD")});
  EXPECT_EQ(textOf(call1(kPrimitive, "getType", {prismatic})), "prismatic");
  EXPECT_EQ(textOf(call1(kPrimitive, "getAxisString", {prismatic})), "[0,0,1]");
  const Value bare = call1(kPrimitive, "Primitive", {text("revolute")});
  EXPECT_EQ(nameOf(bare), "");
  EXPECT_EQ(textOf(call1(kPrimitive, "getRefFrame", {bare})), "WORLD");
  EXPECT_EQ(doublesOf(call1(kPrimitive, "getAxis", {bare})), (std::vector<double>{0, 0, 0}));
  call(kPrimitive, "setAxis", {bare, column(0, 0, 1e-7)});
  EXPECT_EQ(doublesOf(call1(kPrimitive, "getAxis", {bare})), (std::vector<double>{0, 0, 1e-7}));
  call(kPrimitive, "setAxis", {bare, row(3, 0, 4)});
  EXPECT_EQ(textOf(call1(kPrimitive, "getAxisString", {bare})), "[0.6,0,0.8]");
  call(kPrimitive, "setRefFrame", {bare, text("Base")});
  EXPECT_EQ(textOf(call1(kPrimitive, "getRefFrame", {bare})), "Base");
}

TEST(QliAccessors, SubsystemListsAndRootBody) {
  const Value sub = call1(kSubsystem, "Subsystem", {text("S")});
  call(kZoltBase, "setNodeID", {sub, text("/M/S")});
  EXPECT_EQ(textOf(call1(kZoltBase, "getNodeID", {sub})), "/M/S");
  EXPECT_FALSE(std::get<qcos::Logical>(call1(kSubsystem, "getRigidFlag", {sub})).value);
  EXPECT_TRUE(isEmpty(call1(kSubsystem, "getRootBodyRef", {sub})));
  EXPECT_TRUE(isEmpty(call1(kSubsystem, "getBodyRefAt", {sub, 0u})));

  const Value port =
      call1(kFrameRef, "FrameRef", {call1(kFrame, "Frame", {text("Port"), int32_t{0}, text("m")})});
  call(kSubsystem, "addPort", {sub, port});
  EXPECT_EQ(int32Of(call1(kSubsystem, "getPortCount", {sub})), 1);
  EXPECT_EQ(heldObject(call1(kSubsystem, "getPortAt", {sub, 0u})), heldObject(port));
  EXPECT_TRUE(isEmpty(call1(kSubsystem, "getPortAt", {sub, 1u})));

  const Value child = call1(kSubsystem, "Subsystem", {text("Child")});
  call(kSubsystem, "addSubsystemRef",
       {sub, call1("kaloimport.SubsystemRef", "SubsystemRef", {text("ChildRef"), child})});
  const Value ref = call1(kSubsystem, "getSubsystemRefAt", {sub, 0u});
  EXPECT_EQ(nameOf(ref), "ChildRef");
  EXPECT_EQ(heldObject(call1("kaloimport.SubsystemRef", "getSubsystem", {ref})), heldObject(child));

  call(kSubsystem, "setCGFrame", {sub, call1(kFrame, "Frame", {text(""), int32_t{-1}, text("m")})});
  call(kSubsystem, "setOriginFrame", {sub, call1(kFrame, "Frame", {text(""), int32_t{-1}, text("m")})});
  const Value root = call1(kSubsystem, "getOrCreateRootBodyRef",
                           {sub, text("kg"), text("kg*m^2"), text("m^3"), text("m^2")});
  EXPECT_EQ(nameOf(root), "RootPartRef");
  EXPECT_EQ(textOf(call1(kZoltBase, "getNodeID", {root})), "/M/S/RootPartRef");
  const Value rootBody = call1("kaloimport.BodyRef", "getBody", {root});
  EXPECT_EQ(textOf(call1(kZoltBase, "getNodeID", {rootBody})), "/M/S/RootPart");
  EXPECT_EQ(nameOf(call1(kSubsystem, "getCGFrame", {sub})), "CS1");
  EXPECT_EQ(nameOf(call1(kSubsystem, "getOriginFrame", {sub})), "CS2");
  const Value again = call1(kSubsystem, "getOrCreateRootBodyRef",
                            {sub, text("g"), text("g*cm^2"), text("cm^3"), text("cm^2")});
  EXPECT_EQ(heldObject(again), heldObject(root));
  EXPECT_EQ(heldObject(call1(kSubsystem, "getRootBodyRef", {sub})), heldObject(root));
  EXPECT_EQ(int32Of(call1(kSubsystem, "getBodyRefCount", {sub})), 1);
}

TEST(QliAccessors, ModelConstructorAndFrameIds) {
  const Value top = call1(kSubsystem, "Subsystem", {text("T")});
  const Value model = call1("kaloimport.ZoltModel", "ZoltModel",
                            {text("using"), text("from"), text("on"), text("by"), text("Name"), top});
  EXPECT_EQ(nameOf(model), "Name") << "the fifth argument names the model";
  EXPECT_EQ(heldObject(call1("kaloimport.ZoltModel", "getTopSubsystem", {model})), heldObject(top));
  for (int32_t expected : {0, 1, 2}) {
    EXPECT_EQ(int32Of(call1("kaloimport.ZoltModel", "getNextFrameId", {model})), expected);
  }
  EXPECT_EQ(nameOf(call1(kZoltBase, "ZoltBase", {text("plain")})), "plain");
  const Value unnamed = call1(kZoltBase, "ZoltBase", {});
  EXPECT_EQ(nameOf(unnamed), "");
  EXPECT_FALSE(isEmpty(unnamed));
}

}  // namespace
}  // namespace kalo_qli_test
