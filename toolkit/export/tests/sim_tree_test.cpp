#include <cmath>

#include <gtest/gtest.h>

#include "../src/sim_text.hpp"
#include "../src/sim_tree.hpp"
#include "export_test_model.hpp"

namespace kalo_toolkit {
namespace {

using namespace testing;
using sim::DofKind;
using sim::SimLink;
using sim::SimTree;

SimTree build(const TestModel& m, const sim::TreeOptions& options = sim::TreeOptions()) {
  return sim::buildSimTree(*m.model, options);
}

const SimLink& link(const SimTree& tree, const std::string& name) {
  for (const SimLink& l : tree.links)
    if (l.name == name) return l;
  throw std::runtime_error("no link " + name);
}

void expectVec(const Vec3& actual, const Vec3& expected, double tol = 1e-12) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], tol) << "component " << i;
}

bool reported(const SimTree& tree, const std::string& text) {
  for (const std::string& line : tree.report)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

TEST(SimTreeTest, ConvertsEveryUnitToSI) {
  struct Case {
    Units units;
    double kg, kgm2, m;  // one unit of each, from the unit definitions
  } cases[] = {
      {{KALOT_MASS_G, KALOT_INERTIA_G_CM2, KALOT_LENGTH_MM}, 1e-3, 1e-7, 1e-3},
      {{KALOT_MASS_LBM, KALOT_INERTIA_LBM_IN2, KALOT_LENGTH_IN},
       0.45359237,
       0.45359237 * 0.0254 * 0.0254,
       0.0254},
      {{KALOT_MASS_SLUG, KALOT_INERTIA_SLUG_FT2, KALOT_LENGTH_FT},
       14.593902937206,
       14.593902937206 * 0.3048 * 0.3048,
       0.3048},
      {{KALOT_MASS_OZ, KALOT_INERTIA_LBM_FT2, KALOT_LENGTH_YD},
       0.028349523125,
       0.45359237 * 0.3048 * 0.3048,
       0.9144},
  };
  for (const Case& c : cases) {
    TestModel m;
    auto b = m.body(m.top, "B", 2.0, {1, 0, 0, 0, 2, 0, 0, 0, 2.5}, {10, 20, 30}, c.units);
    m.joint(m.top, m.ground, b, {10, 20, 30}, {revolute({0, 0, 1})}, c.units.length);
    const SimTree tree = build(m);
    const SimLink& l = link(tree, "B");
    EXPECT_NEAR(l.mass, 2.0 * c.kg, 1e-12 * c.kg);
    EXPECT_NEAR(sim::at(l.inertia, 1, 1), 2.0 * c.kgm2, 1e-12 * c.kgm2);
    expectVec(l.com, {10 * c.m, 20 * c.m, 30 * c.m});
    expectVec(l.origin, l.com);
    expectVec(l.dofs.at(0).point, l.com);
  }
}

TEST(SimTreeTest, RotatesTheTensorFromTheCGFrameIntoWorldAxes) {
  TestModel m;
  // Part axes turned 90 degrees about z: the part's x (moment 1) lies along world y.
  auto b = m.body(m.top, "B", 1.0, {1, 0, 0, 0, 2, 0, 0, 0, 3}, {0, 0, 0}, Units(), rotationZ(M_PI / 2));
  // An oblique one keeps its principal moments and trace.
  auto c = m.body(m.top, "C", 1.0, {2, 0.1, 0, 0.1, 2.5, 0.2, 0, 0.2, 3}, {1, 0, 0}, Units(), rotationZ(0.3));
  m.joint(m.ground, b, {0, 0, 0}, {revolute({0, 0, 1})});
  m.joint(m.ground, c, {1, 0, 0}, {revolute({0, 0, 1})});
  const SimTree tree = build(m);
  const Mat3& ib = link(tree, "B").inertia;
  EXPECT_NEAR(sim::at(ib, 0, 0), 2, 1e-12);
  EXPECT_NEAR(sim::at(ib, 1, 1), 1, 1e-12);
  EXPECT_NEAR(sim::at(ib, 2, 2), 3, 1e-12);
  EXPECT_NEAR(sim::at(ib, 0, 1), 0, 1e-12);

  const Mat3& ic = link(tree, "C").inertia;
  const Mat3 expected = sim::times(sim::times(rotationZ(0.3), Mat3{2, 0.1, 0, 0.1, 2.5, 0.2, 0, 0.2, 3}),
                                   sim::transposed(rotationZ(0.3)));
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(ic[i], expected[i], 1e-12);
  EXPECT_NE(sim::at(ic, 0, 1), 0.1);  // really rotated
}

TEST(SimTreeTest, BodyWithoutCGFrameUsesItsFirstFrameAndSaysSo) {
  TestModel m;
  auto b = boost::make_shared<Body>("Bare", 1.0, KALOT_MASS_KG, Mat3{1, 0, 0, 0, 1, 0, 0, 0, 1}.data(),
                                    KALOT_INERTIA_KG_M2, 0, KALOT_VOL_M3, 0, KALOT_SAREA_M2, "", nullptr);
  const double p[3] = {0.5, 0, 0};
  const double r[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  b->addLink(boost::make_shared<Frame>("Mark", -1, p, KALOT_LENGTH_M, "WORLD", r, KALOT_ANGLE_RAD,
                                       KALOT_ROT_3X3, "WORLD"));
  m.top->addBodyRef(boost::make_shared<BodyRef>("Bare", b));
  m.joint(m.ground, b, {0, 0, 0}, {revolute({0, 0, 1})});
  const SimTree tree = build(m);
  expectVec(link(tree, "Bare").com, {0.5, 0, 0});
  EXPECT_TRUE(reported(tree, "body 'Bare': no frame named \"CG\"; its first frame 'Mark' taken"));
}

// Four-bar: ground - crank - coupler - rocker - ground, joints in that order.
struct FourBar {
  TestModel m;
  boost::shared_ptr<Body> crank = m.body("Crank", 1, {0.5, 0, 0});
  boost::shared_ptr<Body> coupler = m.body("Coupler", 1, {1, 1, 0});
  boost::shared_ptr<Body> rocker = m.body("Rocker", 1, {2, 0.5, 0});
  FourBar() {
    m.joint(m.ground, crank, {0, 0, 0}, {revolute({0, 0, 1})});
    m.joint(crank, coupler, {0, 1, 0}, {revolute({0, 0, 1})});
    m.joint(coupler, rocker, {2, 1, 0}, {revolute({0, 0, 1})});
    m.joint(rocker, m.ground, {2, 0, 0}, {revolute({0, 0, 1})});  // ground as follower
  }
};

TEST(SimTreeTest, SpansTheTreeFromTheGroundInJointOrderAndKeepsTheRestAsClosures) {
  FourBar f;
  const SimTree tree = build(f.m);
  ASSERT_EQ(tree.links.size(), 3u);
  // Breadth first from the ground: both ground joints first, the coupler-rocker joint closes the loop.
  EXPECT_EQ(tree.links[0].name, "Crank");
  EXPECT_EQ(tree.links[1].name, "Rocker");
  EXPECT_EQ(tree.links[2].name, "Coupler");
  EXPECT_EQ(tree.links[2].parent, 0);
  ASSERT_EQ(tree.closures.size(), 1u);
  EXPECT_EQ(tree.closures[0].name, "Coupler--Rocker");
  EXPECT_EQ(tree.closures[0].link1, 2);
  EXPECT_EQ(tree.closures[0].link2, 1);
  expectVec(tree.closures[0].point, {2, 1, 0});

  // The rocker hangs by a joint whose base is the rocker: run backwards, its axis turns round.
  const SimLink& rocker = tree.links[1];
  EXPECT_EQ(rocker.parent, -1);
  expectVec(rocker.origin, {2, 0, 0});
  expectVec(rocker.dofs.at(0).axis, {0, 0, -1});
  EXPECT_TRUE(rocker.moving);
  EXPECT_EQ(tree.roots, (std::vector<int>{0, 1}));
}

TEST(SimTreeTest, SixFreedomsAreFreeRelativeToTheWorldOrAFixedBodyElseSlidesAndBall) {
  TestModel m;
  auto fixed = m.body("Fixed", 1, {0, 0, 0});
  auto arm = m.body("Arm", 1, {1, 0, 0});
  auto onGround = m.body("OnGround", 1, {0, 2, 0});
  auto onFixed = m.body("OnFixed", 1, {0, 3, 0});
  auto onArm = m.body("OnArm", 1, {1, 4, 0});
  m.joint(m.ground, fixed, {0, 0, 0}, {});
  m.joint(m.ground, arm, {0, 0, 0}, {revolute({0, 0, 1})});
  m.sixDof(m.ground, onGround, {0, 0, 0}, {0, 2, 0});
  m.sixDof(fixed, onFixed, {0, 0, 0}, {0, 3, 0});
  m.sixDof(arm, onArm, {1, 0, 0}, {1, 4, 0});
  const SimTree tree = build(m);

  EXPECT_TRUE(link(tree, "Fixed").dofs.empty());
  EXPECT_FALSE(link(tree, "Fixed").moving);
  for (const char* name : {"OnGround", "OnFixed"}) {
    EXPECT_TRUE(link(tree, name).free) << name;
    EXPECT_EQ(link(tree, name).parent, -1) << name;
  }
  const SimLink& onArmLink = link(tree, "OnArm");
  EXPECT_FALSE(onArmLink.free);
  EXPECT_TRUE(onArmLink.sixDof);
  ASSERT_EQ(onArmLink.dofs.size(), 4u);
  EXPECT_EQ(onArmLink.dofs[3].kind, DofKind::Ball);
  expectVec(onArmLink.origin, {1, 4, 0});  // at the follower frame
  EXPECT_EQ(onArmLink.dofs[0].name, "Arm--OnArm.slide1");
  EXPECT_EQ(onArmLink.dofs[3].name, "Arm--OnArm.ball");
}

TEST(SimTreeTest, WeldsAttachRigidlyAndOnlyBodiesMovedByTheirOwnJointAreBounded) {
  TestModel m;
  auto base = m.body("Base", 0, {0, 0, 0});  // massless, fixed: kept as it is
  auto arm = m.body("Arm", 0, {1, 0, 0});    // massless, moving: bounded
  auto tool = m.body("Tool", 0, {2, 0, 0});  // massless, welded to the arm: rides on its mass
  m.joint(m.ground, base, {0, 0, 0}, {});
  m.joint(base, arm, {0, 0, 0}, {revolute({0, 0, 1})});
  m.joint(arm, tool, {2, 0, 0}, {});
  const SimTree tree = build(m);
  EXPECT_EQ(link(tree, "Base").mass, 0.0);
  EXPECT_FALSE(link(tree, "Base").moving);
  EXPECT_EQ(link(tree, "Arm").mass, sim::kMinMass);
  EXPECT_TRUE(link(tree, "Tool").moving);
  EXPECT_TRUE(link(tree, "Tool").dofs.empty());
  EXPECT_EQ(link(tree, "Tool").mass, 0.0);
  EXPECT_TRUE(reported(tree, "body 'Arm': mass 0 kg raised to 1e-09 kg"));
  EXPECT_FALSE(reported(tree, "body 'Base'"));
  EXPECT_FALSE(reported(tree, "body 'Tool'"));
}

TEST(SimTreeTest, MasslessConnectorHangsALightBodyBetweenItsPrimitives) {
  TestModel m;
  auto b = m.body("B", 1, {1, 0, 0});
  const double basePoint[3] = {0, 0, 0}, followerPoint[3] = {1, 0, 0}, z[3] = {0, 0, 1};
  auto j = boost::make_shared<Joint>(m.model, m.ground, b, basePoint, followerPoint, KALOT_LENGTH_M, "c");
  j->addMassLessConnectorPrims(KALOT_JOINT_MASSLESS_CONNECTOR_RS, z, "WORLD", z, "WORLD");
  m.top->addJoint(j);
  const SimTree tree = build(m);
  ASSERT_EQ(tree.links.size(), 2u);
  const SimLink& light = tree.links[0];
  EXPECT_TRUE(light.light);
  EXPECT_EQ(light.name, "RootGround--B.connector");
  EXPECT_EQ(light.mass, sim::kMinMass);
  EXPECT_EQ(light.dofs.at(0).kind, DofKind::Hinge);
  expectVec(light.dofs[0].point, {0, 0, 0});
  EXPECT_EQ(tree.links[1].parent, 0);
  EXPECT_EQ(tree.links[1].dofs.at(0).kind, DofKind::Ball);
  expectVec(tree.links[1].dofs[0].point, {1, 0, 0});
  EXPECT_TRUE(
      reported(tree, "joint 'RootGround--B': massless connector; light body 'RootGround--B.connector'"));
}

// Bodies that no joint ties to the ground float as one group from the
// heaviest; a group without mass carries nothing and stays where it stands;
// --fixed-base anchors every group.
TEST(SimTreeTest, GroupsTiedToNoGroundFloatFromTheirHeaviestBody) {
  TestModel m;
  auto light = m.body("Light", 1, {0, 0, 1});
  auto heavy = m.body("Heavy", 3, {1, 0, 1});
  auto tip = m.body("Tip", 3, {2, 0, 1});
  m.body("Placeholder", 0, {0, 2, 0});
  m.joint(light, heavy, {0.5, 0, 1}, {revolute({0, 1, 0})});
  m.joint(heavy, tip, {1.5, 0, 1}, {revolute({0, 1, 0})});
  const SimTree tree = build(m);
  ASSERT_EQ(tree.links.size(), 4u);
  EXPECT_EQ(tree.floatingGroups, 1);
  // Heavy and Tip weigh the same: the first in model order roots the group.
  const SimLink& root = link(tree, "Heavy");
  EXPECT_EQ(root.parent, -1);
  EXPECT_TRUE(root.free);
  EXPECT_TRUE(root.moving);
  EXPECT_EQ(root.jointName, "Heavy.free");
  expectVec(root.origin, {1, 0, 1});
  EXPECT_EQ(tree.links[static_cast<size_t>(link(tree, "Light").parent)].name, "Heavy");
  EXPECT_EQ(link(tree, "Light").dofs.size(), 1u);
  EXPECT_TRUE(reported(tree,
                       "body 'Heavy' and the 2 bodies joined to it: no joint ties them to the ground; they "
                       "float, 'Heavy' (the heaviest) on a free joint"));
  const SimLink& placeholder = link(tree, "Placeholder");
  EXPECT_EQ(placeholder.parent, -1);
  EXPECT_FALSE(placeholder.free);
  EXPECT_FALSE(placeholder.moving);
  EXPECT_EQ(placeholder.mass, 0.0);
  EXPECT_TRUE(
      reported(tree, "body 'Placeholder': no joint ties it to the ground; no mass, so fixed to the world"));

  sim::TreeOptions anchored;
  anchored.fixedBase = true;
  const SimTree fixedTree = sim::buildSimTree(*m.model, anchored);
  EXPECT_EQ(fixedTree.floatingGroups, 0);
  EXPECT_FALSE(link(fixedTree, "Heavy").moving);
  EXPECT_TRUE(link(fixedTree, "Heavy").dofs.empty());
  EXPECT_TRUE(reported(fixedTree,
                       "body 'Heavy' and the 2 bodies joined to it: no joint ties them to the ground; "
                       "--fixed-base: fixed to the world where they stand"));
}

// A six-DOF joint from an empty helper body constrains nothing: the real part
// floats on its own and the helper, without mass, stays put.
TEST(SimTreeTest, SixDofJointFromAnEmptyFloatingBodyLeavesItsFollowerFloatingAlone) {
  TestModel m;
  auto helper = m.body("RootPart", 0, {0, 0, 0});
  auto part = m.body("Link", 1.5, {0, 0, 1});
  m.sixDof(helper, part, {0, 0, 0}, {0, 0, 1});
  const SimTree tree = build(m);
  EXPECT_EQ(tree.floatingGroups, 1);
  EXPECT_TRUE(link(tree, "Link").free);
  EXPECT_EQ(link(tree, "Link").parent, -1);
  EXPECT_FALSE(link(tree, "RootPart").moving);
  EXPECT_EQ(link(tree, "RootPart").mass, 0.0);
  EXPECT_TRUE(tree.closures.empty());
  EXPECT_TRUE(reported(tree,
                       "joint 'RootPart--Link': six freedoms between bodies that move on their own "
                       "constrain nothing; left out"));
}

TEST(SimTreeTest, NamesComeFromTheSubsystemPathAreLegalAndUnique) {
  TestModel m;
  auto grip = m.subsystem(m.top, "Grip per");
  auto inner = m.subsystem(grip, "In::ner");
  auto a = m.body(grip, "Finger", 1, {0.1, 0, 0, 0, 0.1, 0, 0, 0, 0.1}, {0, 0, 0});
  auto b = m.body(inner, "Pad<1>", 1, {0.1, 0, 0, 0, 0.1, 0, 0, 0, 0.1}, {0, 0, 0});
  auto c = m.body(m.top, "world", 1, {0.1, 0, 0, 0, 0.1, 0, 0, 0, 0.1}, {0, 0, 0});
  auto d = m.body(m.top, "world", 1, {0.1, 0, 0, 0, 0.1, 0, 0, 0, 0.1}, {0, 0, 0});
  auto e = m.body(m.top, "__hidden", 1, {0.1, 0, 0, 0, 0.1, 0, 0, 0, 0.1}, {0, 0, 0});
  for (auto body : {a, b, c, d, e}) m.joint(m.ground, body, {0, 0, 0}, {});
  const SimTree tree = build(m);
  EXPECT_NO_THROW(link(tree, "Grip_per.Finger"));
  EXPECT_NO_THROW(link(tree, "Grip_per.In__ner.Pad_1_"));
  EXPECT_NO_THROW(link(tree, "world_"));
  EXPECT_NO_THROW(link(tree, "world__2"));
  EXPECT_NO_THROW(link(tree, "n__hidden"));
  EXPECT_EQ(tree.subsystems.size(), 3u);
  EXPECT_EQ(tree.subsystems[2].parent, 1);
}

TEST(SimTreeTest, MeshReferenceIsBelowTheMeshFolderAndScaledByTheLengthUnit) {
  TestModel m;
  Units mm;
  mm.length = KALOT_LENGTH_MM;
  auto b = m.body(m.top, "B", 1, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {10, 0, 0}, mm, rotationZ(0.5), "parts/b.stl",
                  {5, 0, 0});
  auto c =
      m.body(m.top, "C", 1, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}, Units(), sim::identity3(), "/abs/c.stl");
  m.joint(m.ground, b, {0, 0, 0}, {revolute({0, 0, 1})});
  m.joint(m.ground, c, {0, 0, 0}, {revolute({0, 0, 1})});

  sim::TreeOptions options;
  options.meshDir = "meshes";
  SimTree tree = build(m, options);
  const SimLink& lb = link(tree, "B");
  ASSERT_TRUE(lb.hasMesh);
  EXPECT_EQ(lb.mesh.file, "meshes/parts/b.stl");
  EXPECT_EQ(lb.mesh.scale, 0.001);
  expectVec(lb.mesh.position, {0.005, 0, 0});  // the part's own origin, not its centre of mass
  EXPECT_NEAR(sim::at(lb.mesh.rotation, 1, 0), std::sin(0.5), 1e-15);
  EXPECT_EQ(link(tree, "C").mesh.file, "/abs/c.stl");
  EXPECT_EQ(link(tree, "C").mesh.scale, 1.0);

  options.meshDir = "";
  options.meshScale = 0.5;
  tree = build(m, options);
  EXPECT_EQ(link(tree, "B").mesh.file, "parts/b.stl");
  EXPECT_EQ(link(tree, "B").mesh.scale, 0.5);
}

TEST(SimTreeTest, RefusesWhatCannotBeExportedNamingTheCulprit) {
  const auto message = [](TestModel& m) {
    try {
      build(m);
    } catch (const sim::ExportError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  {  // a joint side whose frame belongs to nothing in the model
    TestModel m;
    auto b = m.body("B", 1, {0, 0, 0});
    auto stray = boost::make_shared<Frame>("Stray", 7, KALOT_LENGTH_M);
    auto j = boost::make_shared<Joint>("J", boost::make_shared<FrameRef>(stray),
                                       boost::make_shared<FrameRef>(b->getLinkAt(0)), "");
    m.top->addJoint(j);
    EXPECT_EQ(message(m), "joint 'J': the base frame 'Stray' belongs to no body or ground of the model");
  }
  {  // a joint side with no frame at all
    TestModel m;
    auto b = m.body("B", 1, {0, 0, 0});
    m.top->addJoint(boost::make_shared<Joint>("J", boost::make_shared<FrameRef>(b->getLinkAt(0)),
                                              boost::make_shared<FrameRef>(boost::shared_ptr<Frame>()), ""));
    EXPECT_EQ(message(m), "joint 'J': the follower side has no frame");
  }
  {  // non-finite numbers
    TestModel m;
    m.body("B", std::nan(""), {0, 0, 0});
    EXPECT_EQ(message(m), "body 'B': mass or inertia is not a finite number");
  }
  {
    TestModel m;
    m.body("B", 1, {0, INFINITY, 0});
    EXPECT_EQ(message(m), "frame 'CG' of body 'B': position or orientation is not a finite number");
  }
  {  // an orientation that is no rotation: a mirror
    TestModel m;
    m.body(m.top, "B", 1, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}, Units(), {1, 0, 0, 0, 1, 0, 0, 0, -1});
    EXPECT_EQ(message(m), "frame 'CG' of body 'B': orientation is not a rotation matrix");
  }
  {  // a revolute without direction
    TestModel m;
    auto b = m.body("B", 1, {0, 0, 0});
    m.joint(m.ground, b, {0, 0, 0}, {revolute({0, 0, 0})});
    EXPECT_EQ(message(m), "joint 'RootGround--B', primitive 1: axis has no direction");
  }
}

TEST(SimTreeTest, MassBoundsRaiseOnlyWhatNoSimulatorAccepts) {
  struct Case {
    bool moving;
    double mass;
    Mat3 inertia;
    bool changed;
  } cases[] = {
      {true, 1, {1, 0, 0, 0, 1, 0, 0, 0, 1}, false},
      {true, 1, {1, 0, 0, 0, 1, 0, 0, 0, 2}, false},     // flat plate: exactly on the triangle limit
      {true, 1, {1e-6, 0, 0, 0, 1, 0, 0, 0, 1}, false},  // thin rod
      {true, 1, {0, 0, 0, 0, 1, 0, 0, 0, 1}, true},      // ideal rod: no moving body may have a zero moment
      {false, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0}, false},    // fixed and massless
      {true, 0, {1, 0, 0, 0, 1, 0, 0, 0, 1}, true},      // zero mass
      {true, 1, {-1, 0, 0, 0, 1, 0, 0, 0, 1}, true},     // not positive
      {true, 1, {1, 0, 0, 0, 1, 0, 0, 0, 3}, true},      // triangle broken
      {false, 1, {1, 0, 0, 0, 1, 0, 0, 0, 3}, true},     // broken even when fixed
      {true, 1, {1, 2, 0, 2, 1, 0, 0, 0, 1}, true},      // off-diagonal: moments -1, 1, 3
      // Moments 0, 2e10, 2e10 turned 45 degrees: the text of the turned tensor cannot hold
      // a moment of 1e-12 kg*m^2 beside 2e10, so the smallest is raised with the largest.
      {true, 1, {1e10, -1e10, 0, -1e10, 1e10, 0, 0, 0, 2e10}, true},
      {false, 1, {0, 0, 0, 0, 1, 0, 0, 0, 1}, true},  // ideal rod fixed: a simulator may refuse zero too
  };
  for (const Case& c : cases) {
    double mass = c.mass;
    Mat3 inertia = c.inertia;
    const std::string what = sim::boundMassProperties(c.moving, &mass, &inertia);
    EXPECT_EQ(!what.empty(), c.changed) << what;
    if (!c.changed) {
      EXPECT_EQ(inertia, c.inertia);
      continue;
    }
    Vec3 moments{};
    Mat3 axes{};
    sim::symmetricEigen(inertia, &moments, &axes);
    EXPECT_GE(moments[0], c.moving ? sim::kMinMoment : 0.0) << what;
    EXPECT_GE(moments[0], moments[2] * 1e-12 * (1 - 1e-6)) << what;
    EXPECT_GE(moments[0] + moments[1], moments[2]) << what;
    if (c.moving) {
      EXPECT_GE(mass, sim::kMinMass);
    }
  }
}

// A loop whose two frames do not meet in the model is held where its follower
// frame stands, and the gap is reported.
TEST(SimTreeTest, LoopWhoseFramesStandApartIsHeldAtTheFollowerFrameAndReported) {
  TestModel m;
  auto a = m.body("A", 1, {0.5, 0, 0});
  auto b = m.body("B", 1, {1.5, 0, 0});
  m.joint(m.ground, a, {0, 0, 0}, {revolute({0, 0, 1})});
  m.joint(b, m.ground, {2, 0, 0}, {revolute({0, 0, 1})});
  // Reached last from the ground, so the closure; its frames are 2 mm apart.
  auto j = boost::make_shared<Joint>(m.model, a, b, Vec3{1, 0, 0}.data(), Vec3{1, 0.002, 0}.data(),
                                     KALOT_LENGTH_M, "id");
  j->addPrimitive(KALOT_PRIM_REVOLUTE, Vec3{0, 0, 1}.data(), "WORLD");
  m.top->addJoint(j);
  const SimTree tree = build(m);
  ASSERT_EQ(tree.closures.size(), 1u);
  EXPECT_EQ(tree.closures[0].name, "A--B");
  expectVec(tree.closures[0].point, {1, 0.002, 0});
  EXPECT_TRUE(reported(tree,
                       "joint 'A--B': closes a loop with its two frames 0.002 m apart at rest; held where "
                       "its follower frame stands"));
}

// Masses a simulator's round-off swamps are kept but reported, in SI whatever the units given.
TEST(SimTreeTest, ReportsMassesAndMomentsOutsideTheSimulatedRange) {
  TestModel m;
  // Welded to the ground, so that no mass bound applies.
  for (const auto& b :
       {m.body(m.top, "Speck", 1e-10, {1e-3, 0, 0, 0, 1e-3, 0, 0, 0, 1e-3}, {0, 0, 0}, Units{KALOT_MASS_G}),
        m.body(m.top, "Planet", 1e3, {1e13, 0, 0, 0, 1e13, 0, 0, 0, 1e13}, {1, 0, 0}),
        m.body(m.top, "Gram", 1, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {2, 0, 0}, Units{KALOT_MASS_G})})
    m.joint(m.ground, b, {0, 0, 0}, {});
  const SimTree tree = build(m);
  EXPECT_TRUE(reported(tree, "body 'Speck': mass 1e-13 kg is outside 1e-12 .. 1e+12 kg"));
  EXPECT_TRUE(
      reported(tree, "body 'Planet': principal moments (1e+13 1e+13 1e+13) kg*m^2: 1e+13 is outside"));
  EXPECT_FALSE(reported(tree, "body 'Planet': mass"));
  EXPECT_FALSE(reported(tree, "body 'Gram'"));
  EXPECT_EQ(link(tree, "Speck").mass, 1e-13);
}

// Both ends of a massless connector are joints, each with a name of its own.
TEST(SimTreeTest, ConnectorEndsHaveNamesOfTheirOwn) {
  TestModel m;
  auto a = m.body("A", 1, {0, 0, 0});
  auto b = m.body("B", 1, {1, 0, 0});
  m.joint(m.ground, a, {0, 0, 0}, {});
  auto j = boost::make_shared<Joint>(m.model, a, b, Vec3{0, 0, 0}.data(), Vec3{1, 0, 0}.data(),
                                     KALOT_LENGTH_M, "id");
  j->addMassLessConnectorPrims(KALOT_JOINT_MASSLESS_CONNECTOR_SS, Joint::zoltNullAxis, "WORLD",
                               Joint::zoltNullAxis, "WORLD");
  m.top->addJoint(j);
  const SimTree tree = build(m);
  const SimLink& light = tree.links.at(1);
  ASSERT_TRUE(light.light);
  ASSERT_EQ(light.dofs.size(), 1u);
  ASSERT_EQ(link(tree, "B").dofs.size(), 1u);
  EXPECT_EQ(light.dofs[0].name, "A--B.base");
  EXPECT_EQ(link(tree, "B").dofs[0].name, "A--B.follower");
}

TEST(SimTextTest, NumbersKeepFifteenDigitsInTheirShortestForm) {
  EXPECT_EQ(sim::number(0.1 + 0.2), "0.3");
  EXPECT_EQ(sim::number(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(sim::number(-0.0), "0");
  EXPECT_EQ(sim::number(1e-9), "1e-09");
  EXPECT_EQ(sim::number(0.0254 * 0.0254), "0.00064516");
  EXPECT_EQ(sim::number(123456789.012345678), "123456789.012346");
  EXPECT_EQ(sim::number(-2.5e300), "-2.5e+300");
  // Values a model file holds (up to 15 digits) come back exactly.
  for (double v : {0.1, 12345.6789, 9.87654321098765e-7, 0.45359237}) EXPECT_EQ(std::stod(sim::number(v)), v);
}

}  // namespace
}  // namespace kalo_toolkit
