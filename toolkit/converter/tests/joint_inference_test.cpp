#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "inference_fixture.hpp"

namespace kalo_toolkit {
namespace {

using namespace testing;  // NOLINT: the fixture helpers
using detail::InferenceResult;

const std::string kRule = std::string(81, '-') + "\n";
const std::string kWeldAdded = " A weld joint has been added between the constrained parts.";

Entity point(const Vec3& at) { return {0, at, {0, 0, 0}}; }
Entity line(const Vec3& at, const Vec3& dir) { return {1, at, dir}; }
Entity plane(const Vec3& at, const Vec3& normal) { return {2, at, normal}; }

/// A top assembly placing two parts: "base" at (0,0,5) and "arm" at (10,0,0).
class TwoParts : public ::testing::Test {
 protected:
  TwoParts() {
    top = makeModel("TopModel", {7, 7, 7});
    baseModel = makeModel("BaseModel", {1, 0, 0});
    armModel = makeModel("ArmModel", {0, 1, 0});
    base = place(top, "base", "#b", baseModel, {0, 0, 5});
    arm = place(top, "arm", "#a", armModel, {10, 0, 0});
  }

  /// Constraint in the top assembly from base (entity 1) to arm (entity 2);
  /// locations and axes in each part's own coordinates.
  void mate(const std::string& name, KalotConstrainType type, const Entity& onBase, const Entity& onArm) {
    constrain(top, name, type, {base}, onBase, {arm}, onArm);
  }

  InferenceResult infer() {
    converted.reset(new Converted(top));
    return converted->inferOnly();
  }
  const std::string& report() const { return detail::pairReport(*converted->lastPair); }
  boost::shared_ptr<Body> baseBody() const { return converted->body({base}); }
  boost::shared_ptr<Body> armBody() const { return converted->body({arm}); }

  void expectWeldAtBaseCG(const InferenceResult& r) {
    EXPECT_EQ(r.status, KALOT_UNHANDLED_CONSTRAINT);
    EXPECT_EQ(r.joint->getType(), KALOT_JOINT_WELD);
    expectPrimitives(*r.joint, {{KALOT_PRIM_WELD, {}}});
    expectPosition(r.joint->getBaseFrame(), {1, 0, 5});  // base CG in top coordinates
    expectPosition(r.joint->getFollowerFrame(), {1, 0, 5});
    EXPECT_EQ(r.joint->getBaseFrame()->getFrame()->getParent(), baseBody());
    EXPECT_EQ(r.joint->getFollowerFrame()->getFrame()->getParent(), armBody());
    EXPECT_EQ(converted->connected.count(baseBody()), 1u);
    EXPECT_EQ(converted->connected.count(armBody()), 1u);
  }

  void expectUnsolved(const InferenceResult& r, const std::string& constraint, const std::string& details) {
    expectWeldAtBaseCG(r);
    EXPECT_EQ(r.joint->getStatus(),
              "Could not solve for constraint between BaseModel and ArmModel because of CAD constraint " +
                  constraint);
    EXPECT_EQ(report(), "Constrained Parts: BaseModel, ArmModel\nConstrain Name: " + constraint +
                            "\nError Details: " + details + "\n" + kRule);
  }

  void expectRejected(const InferenceResult& r, const std::string& reason) {
    expectWeldAtBaseCG(r);
    EXPECT_EQ(r.joint->getStatus(),
              "The VelmoraMultibody CAD translator cannot solve for the CAD constraint between BaseModel and "
              "ArmModel.\n " +
                  reason);
    EXPECT_EQ(report(),
              "Constrained Parts: BaseModel, ArmModel\nConstrain Name: <All constrains>\nError Details: " +
                  reason + kWeldAdded + "\n" + kRule);
  }

  void expectSolved(const InferenceResult& r) {
    EXPECT_EQ(r.status, KALOT_SUCCESS);
    EXPECT_TRUE(r.joint->getStatus().empty());
    EXPECT_TRUE(report().empty());
    EXPECT_EQ(converted->connected.count(baseBody()), 1u);
    EXPECT_EQ(converted->connected.count(armBody()), 1u);
  }

  boost::shared_ptr<CadModel> top, baseModel, armModel;
  boost::shared_ptr<CadModelRef> base, arm;
  std::unique_ptr<Converted> converted;
};

// ---- outcomes of the general path -------------------------------------------------------------

TEST_F(TwoParts, PointOnPointIsSphericalWithNamedFramesOnBothBodies) {
  mate("Ball", 0, point({1, 2, -2}), point({-9, 2, 3}));  // both at (1, 2, 3) in the top assembly
  const InferenceResult r = infer();
  expectSolved(r);
  EXPECT_EQ(r.joint->getType(), KALOT_JOINT_SIMPLE);
  expectPrimitives(*r.joint, {{KALOT_PRIM_SPHERICAL, {}}});
  EXPECT_EQ(r.joint->getName(), "base--arm");
  EXPECT_EQ(r.joint->getNodeID(), "#a:-:#b");
  const auto baseFrame = r.joint->getBaseFrame()->getFrame();
  EXPECT_EQ(baseFrame->getParent(), baseBody());
  EXPECT_EQ(baseFrame->getName(), "CS2");  // after the CG frame and the origin frame CS1
  EXPECT_EQ(baseFrame->getNodeID(), "#a:-:#b::#b(AUTOGEN)");
  EXPECT_EQ(baseFrame->getID(), 0);
  EXPECT_EQ(r.joint->getFollowerFrame()->getFrame()->getID(), 1);
  expectPosition(r.joint->getBaseFrame(), {1, 2, 3});
  expectPosition(r.joint->getFollowerFrame(), {1, 2, 3});
}

TEST_F(TwoParts, SingleConstraintJointsAndWhereTheirFramesSit) {
  const auto check = [this](KalotConstrainType type, const Entity& onBase, const Entity& onArm,
                            KalotJointType joint, const std::vector<Prim>& primitives, const Vec3& baseAt,
                            const Vec3& armAt) {
    SCOPED_TRACE(type);
    top->constrains.clear();
    mate("C", type, onBase, onArm);
    const InferenceResult r = infer();
    expectSolved(r);
    EXPECT_EQ(r.joint->getType(), joint);
    EXPECT_EQ(r.joint->getTypeName(),
              joint == KALOT_JOINT_MASSLESS_CONNECTOR ? "MasslessConnector" : "SimpleJoint");
    expectPrimitives(*r.joint, primitives);
    expectPosition(r.joint->getBaseFrame(), baseAt);
    expectPosition(r.joint->getFollowerFrame(), armAt);
  };
  const KalotPrimType P = KALOT_PRIM_PRISMATIC, R = KALOT_PRIM_REVOLUTE, S = KALOT_PRIM_SPHERICAL;
  // A weld fixes everything at entity 1.
  check(7, plane({0, 0, 0}, {0, 0, 1}), plane({-10, 3, 3}, {0, 0, 1}), KALOT_JOINT_WELD,
        {{KALOT_PRIM_WELD, {}}}, {0, 0, 5}, {0, 0, 5});
  // Coincident lines: cylindrical, sliding along entity 2 and turning about entity 1.
  check(0, line({0, 0, -4}, {0, 0, 1}), line({-10, 0, 4}, {0, 0, -1}), KALOT_JOINT_SIMPLE,
        {{P, {0, 0, -1}}, {R, {0, 0, 1}}}, {0, 0, 1}, {0, 0, 1});
  // Coincident planes: translations in entity 2's plane (its normal's perpendicular, then
  // normal x perpendicular), the revolute about entity 1.
  check(0, plane({1, 1, -5}, {0, 0, 1}), plane({-7, 4, 0}, {0, 0, -1}), KALOT_JOINT_SIMPLE,
        {{P, {1, 0, 0}}, {P, {0, -1, 0}}, {R, {0, 0, 1}}}, {1, 1, 0}, {1, 1, 0});
  // Point-to-point distance: a massless connector, each frame at its own point.
  check(5, point({0, 0, -5}), point({-10, 0, 3}), KALOT_JOINT_MASSLESS_CONNECTOR, {{S, {}}, {S, {}}},
        {0, 0, 0}, {0, 0, 3});
}

TEST_F(TwoParts, PinWithAStopIsRevoluteAtTheClosestPointOnTheAxis) {
  // Lines along z through (0,0,0) and (0,0,2); a face pair at height 1 across the axis.
  mate("Pin", 0, line({0, 0, -5}, {0, 0, 1}), line({-10, 0, 2}, {0, 0, 1}));
  mate("Stop", 0, plane({1, 0, -4}, {0, 0, 1}), plane({-10, 1, 1}, {0, 0, 1}));
  const InferenceResult r = infer();
  expectSolved(r);
  expectPrimitives(*r.joint, {{KALOT_PRIM_REVOLUTE, {0, 0, 1}}});
  expectPosition(r.joint->getBaseFrame(), {0, 0, 1});
  expectPosition(r.joint->getFollowerFrame(), {0, 0, 1});
}

TEST_F(TwoParts, TwoPinsOnOneAxisStayCylindricalAndOnParallelAxesSlideOnly) {
  mate("Bearing1", 0, line({0, 0, -5}, {0, 0, 1}), line({-10, 0, 0}, {0, 0, 1}));
  mate("Bearing2", 0, line({0, 0, 3}, {0, 0, 1}), line({-10, 0, 8}, {0, 0, 1}));
  InferenceResult r = infer();
  expectSolved(r);
  expectPrimitives(*r.joint, {{KALOT_PRIM_PRISMATIC, {0, 0, 1}}, {KALOT_PRIM_REVOLUTE, {0, 0, 1}}});
  expectPosition(r.joint->getBaseFrame(), {0, 0, 8});  // the last pin places the frames

  top->constrains.pop_back();
  mate("Bearing2", 0, line({2, 0, 3}, {0, 0, 1}), line({-8, 0, 8}, {0, 0, 1}));
  r = infer();
  expectSolved(r);
  expectPrimitives(*r.joint, {{KALOT_PRIM_PRISMATIC, {0, 0, 1}}});
}

TEST_F(TwoParts, LineInAPlaneThroughTheAxisKeepsTheCylinderOffTheAxisLocksTheTurn) {
  // A pin along z, then a line of the base kept in the arm's plane x = 0.
  mate("Pin", 0, line({0, 0, -5}, {0, 0, 1}), line({-10, 0, 0}, {0, 0, 1}));
  mate("Guide", 0, line({0, 0, -5}, {0, 0, 1}), plane({-10, 0, 0}, {1, 0, 0}));
  InferenceResult r = infer();
  expectSolved(r);
  expectPrimitives(*r.joint, {{KALOT_PRIM_PRISMATIC, {0, 0, 1}}, {KALOT_PRIM_REVOLUTE, {0, 0, 1}}});

  top->constrains.pop_back();
  mate("Guide", 0, line({0, 5, -5}, {0, 0, 1}), plane({-10, 0, 0}, {1, 0, 0}));
  r = infer();
  expectSolved(r);
  expectPrimitives(*r.joint, {{KALOT_PRIM_PRISMATIC, {0, 0, 1}}});
  expectPosition(r.joint->getBaseFrame(), {0, 0, 0});
}

TEST_F(TwoParts, AnglesAndAxesFollowThePlacementRotationAndScale) {
  // The arm is turned 90 degrees about z and scaled by 2: its local x is the top's y.
  const double quarter[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  top->cadmodels.clear();
  base = place(top, "base", "#b", baseModel, {0, 0, 5});
  arm = place(top, "arm", "#a", armModel, {10, 0, 0}, false, 2.0, quarter);
  // Arm line through local (0, 2.5, 0) along local x: top point (5, 0, 0) along y.
  mate("Axis", 0, line({5, 0, -5}, {0, 1, 0}), line({0, 2.5, 0}, {3, 0, 0}));
  const InferenceResult r = infer();
  expectSolved(r);
  expectPrimitives(*r.joint, {{KALOT_PRIM_PRISMATIC, {0, 1, 0}}, {KALOT_PRIM_REVOLUTE, {0, 1, 0}}});
  expectPosition(r.joint->getBaseFrame(), {5, 0, 0});
}

// ---- validation reasons: the pair is welded at the base's centre of gravity --------------------

TEST_F(TwoParts, UnsupportedJointsAreRejectedWithTheirReason) {
  const auto check = [this](KalotConstrainType type, const Entity& onBase, const Entity& onArm,
                            const std::string& reason) {
    SCOPED_TRACE(reason);
    top->constrains.clear();
    mate("C", type, onBase, onArm);
    expectRejected(infer(), reason);
  };
  check(0, line({0, 0, -5}, {1, 0, 0}), plane({-10, 0, 0}, {0, 0, 1}),
        "Two sequential revolute joints are not supported.");
  check(0, line({0, 0, -5}, {0, 0, 1}), line({-10, 0, 0}, {1, 0, 0}),
        "Non-collinear prismatic and revolute axes in a cylindrical joint are not supported.");
  check(0, plane({0, 0, -5}, {0, 0, 1}), plane({-10, 0, 0}, {1, 0, 0}),
        "The two prismatic axes are not lying in the plane perpendicular to the revolute axis in a planar "
        "joint. This axis configuration is not supported.");
  check(1, Entity{3, {0, 0, -5}, {0, 0, 1}}, point({-10, 0, 0}),
        "Serial combination(s) of a prismatic and a spherical joint are not supported.");
  check(5, point({0, 0, -5}), plane({-10, 0, 0}, {0, 0, 1}),
        "Serial combination(s) of prismatic and spherical joints are not supported.");
}

TEST_F(TwoParts, AngularToleranceDecidesCollinearity) {
  const double tilt = 1e-4;
  mate("Axis", 0, line({0, 0, -5}, {0, 0, 1}), line({-10, 0, 0}, {std::sin(tilt), 0, std::cos(tilt)}));
  expectRejected(infer(),
                 "Non-collinear prismatic and revolute axes in a cylindrical joint are not supported.");

  detail::s_tolerances().angular = 1e-3;
  const InferenceResult r = infer();
  detail::s_resetTolerances();
  expectSolved(r);
  EXPECT_EQ(r.joint->getPrimitiveCount(), 2u);
}

// ---- the special path: one entry decides --------------------------------------------------------

TEST_F(TwoParts, SecondPointPointConstraintIsRejected) {
  mate("Ball1", 0, point({0, 0, -5}), point({-10, 0, 0}));
  mate("Ball2", 0, point({1, 0, -5}), point({-9, 0, 0}));
  expectUnsolved(
      infer(), "Ball2",
      "More than one point-point constraint is not supported. A weld joint has been added between the "
      "constrained parts.");
}

TEST_F(TwoParts, UnknownCombinationsTypesAndGeometriesAreRejected) {
  const std::string badType =
      "Unsupported constraint type. A weld joint has been added between the constrained parts.";
  const std::string badGeometry =
      "Unsupported geometry type for one or more constrained parts. A weld joint has been added between the "
      "constrained parts.";
  const auto check = [this](KalotConstrainType type, const Entity& onBase, const Entity& onArm,
                            const std::string& details) {
    SCOPED_TRACE(type);
    top->constrains.clear();
    mate("Odd", type, onBase, onArm);
    expectUnsolved(infer(), "Odd", details);
  };
  check(0, point({0, 0, -5}), plane({-10, 0, 0}, {0, 0, 1}), "Unknown");  // point on plane
  check(2, point({0, 0, 0}), point({0, 0, 0}), "Unknown");                // not in the table
  check(8, point({0, 0, 0}), point({0, 0, 0}), badType);
  check(-1, plane({0, 0, 0}, {0, 0, 1}), plane({0, 0, 0}, {0, 0, 1}), badType);
  check(0, Entity{6, {0, 0, 0}, {0, 0, 1}}, plane({0, 0, 0}, {0, 0, 1}), badGeometry);

  // A valid entry first does not hide a later invalid one; the geometry text wins over the type text.
  top->constrains.clear();
  mate("Face", 0, plane({0, 0, -5}, {0, 0, 1}), plane({-10, 0, 0}, {0, 0, 1}));
  mate("Both", 9, Entity{-1, {0, 0, 0}, {0, 0, 1}}, point({0, 0, 0}));
  expectUnsolved(infer(), "Both", badGeometry);
}

TEST_F(TwoParts, MasslessConnectorMustBeAlone) {
  const std::string details =
      "Massless connector is not supported if there is more than one constraint between parts. A weld joint "
      "has "
      "been added between the constrained parts.";
  mate("Rod", 5, point({0, 0, -5}), point({-10, 0, 3}));
  mate("Face", 0, plane({0, 0, -5}, {0, 0, 1}), plane({-10, 0, 0}, {0, 0, 1}));
  expectUnsolved(infer(), "Rod", details);

  top->constrains.clear();
  mate("Face", 0, plane({0, 0, -5}, {0, 0, 1}), plane({-10, 0, 0}, {0, 0, 1}));
  mate("Rod", 5, point({0, 0, -5}), point({-10, 0, 3}));
  expectUnsolved(infer(), "Rod", details);
}

// ---- grouping ----------------------------------------------------------------------------------

TEST_F(TwoParts, BothOrdersOfTwoPartsFormOnePair) {
  mate("Pin", 0, line({0, 0, -5}, {0, 0, 1}), line({-10, 0, 0}, {0, 0, 1}));
  constrain(top, "Stop", 0, {arm}, plane({-10, 0, 1}, {0, 0, 1}), {base}, plane({0, 0, -4}, {0, 0, 1}));
  converted.reset(new Converted(top));
  auto pairs = converted->group();
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(detail::pairConstraintNames(*pairs[0]), (std::vector<std::string>{"Pin", "Stop"}));
  EXPECT_TRUE(detail::assemblyKey(*pairs[0]).empty());
  const InferenceResult r = converted->infer(*pairs[0]);
  EXPECT_EQ(r.status, KALOT_SUCCESS);
  EXPECT_EQ(r.joint->getName(), "base--arm");  // the first constraint's order
  expectPrimitives(*r.joint, {{KALOT_PRIM_REVOLUTE, {0, 0, 1}}});
}

TEST(Grouping, PairsComeInTheOrderFirstMet) {
  auto top = makeModel("Top");
  auto part = makeModel("Part");
  auto a = place(top, "a", "#a", part), b = place(top, "b", "#b", part), c = place(top, "c", "#c", part),
       d = place(top, "d", "#d", part);
  const Entity face = {2, {0, 0, 0}, {0, 0, 1}};
  constrain(top, "cd", 0, {c}, face, {d}, face);
  constrain(top, "ab", 0, {a}, face, {b}, face);
  constrain(top, "dc", 0, {d}, face, {c}, face);
  constrain(top, "ba", 0, {b}, face, {a}, face);
  Converted converted(top);
  auto pairs = converted.group();
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(detail::pairConstraintNames(*pairs[0]), (std::vector<std::string>{"cd", "dc"}));
  EXPECT_EQ(detail::pairConstraintNames(*pairs[1]), (std::vector<std::string>{"ab", "ba"}));
  EXPECT_EQ(converted.infer(*pairs[0]).joint->getName(), "c--d");
}

/// Top places part "a" and a flexible sub-assembly "sub" (at (100,0,0)) holding
/// part "p" and a rigid sub-assembly "r" (at (0,10,0)) with inner part "i".
class Nested : public ::testing::Test {
 protected:
  Nested() {
    top = makeModel("Top", {1, 1, 1});
    subModel = makeModel("SubModel", {0, 0, 3});
    rigidModel = makeModel("RigidModel", {0, 0, 4});
    a = place(top, "a", "#a", makeModel("AModel", {2, 0, 0}));
    sub = place(top, "sub", "#s", subModel, {100, 0, 0}, true);
    p = place(subModel, "p", "#p", makeModel("PModel"));
    r = place(subModel, "r", "#r", rigidModel, {0, 10, 0});
    i = place(rigidModel, "i", "#i", makeModel("IModel"));
  }

  boost::shared_ptr<CadModel> top, subModel, rigidModel;
  boost::shared_ptr<CadModelRef> a, sub, p, r, i;
  const Entity face = {2, {0, 0, 0}, {0, 0, 1}};
};

TEST_F(Nested, NodeIDsFollowConvertedPlacementsOnly) {
  constrain(top, "Deep", 0, {sub, p}, face, {sub, r, i}, face);
  Converted converted(top);
  const InferenceResult result = converted.inferOnly();
  EXPECT_EQ(result.joint->getNodeID(), "#s:#p:-:#s:#r");
  // The inner part of a rigid sub-assembly lies on the sub-assembly's body.
  EXPECT_EQ(result.joint->getFollowerFrame()->getFrame()->getParent(), converted.body({sub, r}));
  EXPECT_EQ(result.joint->getName(), "p--r");
  expectPosition(result.joint->getBaseFrame(), {100, 0, 0});
}

TEST_F(Nested, ConstraintOnAFlexibleSubAssemblyUsesItsRootBody) {
  constrain(top, "Mount", 0, {a}, face, {sub}, face);
  constrain(top, "Loose", 4, {sub}, Entity{1, {0, 0, 0}, {0, 0, 1}}, {a}, Entity{3, {0, 0, 0}, {0, 0, 1}});
  Converted converted(top);
  const InferenceResult result = converted.inferOnly();
  EXPECT_EQ(result.status, KALOT_UNHANDLED_CONSTRAINT);  // the second constraint decides
  const auto root = converted.subsystem({sub})->getRootBodyRef()->getBody();
  ASSERT_TRUE(root);
  // The deciding constraint names the sides: the sub-assembly is its base.
  EXPECT_EQ(result.joint->getName(), "RootPart--a");
  EXPECT_EQ(result.joint->getBaseFrame()->getFrame()->getParent(), root);
  EXPECT_EQ(result.joint->getNodeID(), "#a:-:#s");
  EXPECT_EQ(result.joint->getStatus(),
            "Could not solve for constraint between SubModel and AModel because of CAD constraint Loose");
  // The weld sits at the base's (the sub-assembly's) CG in top coordinates.
  expectPosition(result.joint->getBaseFrame(), {100, 0, 3});
  EXPECT_EQ(converted.connected.count(root), 1u);
}

TEST_F(Nested, ConstraintsInsideAFlexibleSubAssemblyComeFirstAndMapThroughItsPlacement) {
  constrain(top, "Outer", 0, {a}, face, {sub, p}, face);
  constrain(subModel, "Inner", 0, {p}, line({0, 0, 0}, {0, 0, 1}), {r, i}, line({0, -10, 0}, {0, 0, 1}));
  // Constraints of a rigid sub-assembly are inside one body: never grouped.
  constrain(rigidModel, "Hidden", 0, {i}, face, {}, face);
  Converted converted(top);
  auto pairs = converted.group();
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(detail::pairConstraintNames(*pairs[0]), std::vector<std::string>{"Inner"});
  EXPECT_EQ(detail::assemblyKey(*pairs[0]), Converted::key({sub}));
  EXPECT_EQ(detail::pairConstraintNames(*pairs[1]), std::vector<std::string>{"Outer"});
  const InferenceResult inner = converted.infer(*pairs[0]);
  EXPECT_EQ(inner.status, KALOT_SUCCESS);
  EXPECT_EQ(inner.joint->getNodeID(), "#p:-:#r");
  expectPrimitives(*inner.joint, {{KALOT_PRIM_PRISMATIC, {0, 0, 1}}, {KALOT_PRIM_REVOLUTE, {0, 0, 1}}});
  expectPosition(inner.joint->getBaseFrame(), {100, 0, 0});
}

TEST_F(Nested, PairStatedInTwoAssembliesMapsEachConstraintThroughItsOwnAssembly) {
  // The sub-assembly itself and its part p, constrained from inside and from the top: one pair.
  constrain(subModel, "Inside", 0, {}, line({0, 0, 0}, {0, 0, 1}), {p}, line({0, 0, 2}, {0, 0, 1}));
  constrain(top, "Outside", 0, {sub}, line({0, 0, 7}, {0, 0, 1}), {sub, p}, line({0, 0, 9}, {0, 0, 1}));
  Converted converted(top);
  auto pairs = converted.group();
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(detail::assemblyKey(*pairs[0]), Converted::key({sub}));
  const InferenceResult result = converted.infer(*pairs[0]);
  EXPECT_EQ(result.status, KALOT_SUCCESS);
  // Both pins lie on the line x = 100 in the top assembly, so the rotation stays free; the last
  // pin places the frames.
  expectPrimitives(*result.joint, {{KALOT_PRIM_PRISMATIC, {0, 0, 1}}, {KALOT_PRIM_REVOLUTE, {0, 0, 1}}});
  expectPosition(result.joint->getBaseFrame(), {100, 0, 7});
  expectPosition(result.joint->getFollowerFrame(), {100, 0, 7});
}

TEST_F(Nested, UnconvertedComponentStandsForTheAssembly) {
  // A component naming a reference this assembly does not place.
  auto stray = boost::make_shared<CadModelRef>("stray", "#x", makeModel("Stray"), nullptr, nullptr, 1.0,
                                               false, false, nullptr);
  constrain(top, "Stray", 0, {a}, point({0, 0, 0}), {stray}, point({0, 0, 0}));
  Converted converted(top);
  const InferenceResult result = converted.inferOnly();
  EXPECT_EQ(result.joint->getFollowerFrame()->getFrame()->getParent(),
            converted.topSubsystem->getRootBodyRef()->getBody());
  EXPECT_EQ(result.joint->getNodeID(), "#a:-:#x");
}

TEST_F(Nested, LongComponentStopsAtTheDeepestConvertedPlacement) {
  // A component that repeats one reference many times (as a hostile file could)
  // still names part "a": nothing below a's body was converted.
  Refs longPath(20000, a);
  constrain(top, "Long", 0, longPath, point({0, 0, 0}), {sub, p}, point({0, 0, 0}));
  Converted converted(top);
  const InferenceResult result = converted.inferOnly();
  EXPECT_EQ(result.joint->getBaseFrame()->getFrame()->getParent(), converted.body({a}));
  EXPECT_EQ(result.joint->getNodeID(), "#a:-:#s:#p");
}

}  // namespace
}  // namespace kalo_toolkit
