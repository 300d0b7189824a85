#include <array>
#include <iterator>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>

#include <kalo_toolkit/ground.hpp>

#include "../src/primitive_synthesis.hpp"
#include "inference_fixture.hpp"

namespace kalo_toolkit {
namespace {

using testing::bareBody;
using testing::expectPosition;
using testing::expectPrimitives;
using testing::Prim;

class JointConstructionTest : public ::testing::Test {
 protected:
  boost::shared_ptr<ZoltModel> model =
      boost::make_shared<ZoltModel>("u", "f", "o", "b", "M", boost::make_shared<Subsystem>("M"));
  boost::shared_ptr<Body> a = bareBody("A", "/a");
  boost::shared_ptr<Body> b = bareBody("B", "/b");
  const double p1[3] = {1, 2, 3};
  const double p2[3] = {4, 5, 6};
};

TEST_F(JointConstructionTest, NamesFramesAndNodeIDsInBuildOrder) {
  Joint ab(model, a, b, p1, p2, KALOT_LENGTH_MM, "J");
  EXPECT_EQ(ab.getName(), "A--B");
  EXPECT_EQ(ab.getType(), KALOT_JOINT_SIMPLE);

  auto base = ab.getBaseFrame()->getFrame();
  auto follower = ab.getFollowerFrame()->getFrame();
  EXPECT_EQ(base->getID(), 0);
  EXPECT_EQ(follower->getID(), 1);
  EXPECT_EQ(base->getName(), "CS1");
  EXPECT_EQ(follower->getName(), "CS1");
  EXPECT_EQ(base->getNodeID(), "J::/a(AUTOGEN)");
  EXPECT_EQ(follower->getNodeID(), "J::/b(AUTOGEN)");
  EXPECT_EQ(base->getParent(), a);
  EXPECT_EQ(follower->getParent(), b);
  EXPECT_EQ(base->getPositionUnits(), KALOT_LENGTH_MM);
  EXPECT_EQ(base->getPosRefFrame(), "WORLD");
  EXPECT_EQ(base->getOrientationRefFrame(), "WORLD");
  expectPosition(ab.getBaseFrame(), {1, 2, 3});
  expectPosition(ab.getFollowerFrame(), {4, 5, 6});
  ASSERT_EQ(a->getLinkCount(), 1u);
  EXPECT_EQ(a->getLinkAt(0), base);

  Joint ba(model, b, a, p1, p2, KALOT_LENGTH_M, "K");
  EXPECT_EQ(ba.getName(), "B--A");
  EXPECT_EQ(ba.getBaseFrame()->getFrame()->getID(), 2);
  EXPECT_EQ(ba.getFollowerFrame()->getFrame()->getID(), 3);
  EXPECT_EQ(ba.getBaseFrame()->getFrame()->getName(), "CS2");
  EXPECT_EQ(ba.getFollowerFrame()->getFrame()->getName(), "CS2");
}

TEST_F(JointConstructionTest, GroundLendsItsOwnFrameToEveryJoint) {
  auto frame = boost::make_shared<Frame>("", model->getNextFrameId(), KALOT_LENGTH_M);
  auto ground = boost::make_shared<Ground>("RootGround", frame);
  ground->setNodeID("RootGround");

  Joint first(model, ground, a, p1, p2, KALOT_LENGTH_M, "G1");
  EXPECT_EQ(first.getBaseFrame()->getFrame(), frame);
  EXPECT_EQ(frame->getParent(), ground);
  EXPECT_EQ(first.getFollowerFrame()->getFrame()->getID(), 1);  // the ground's frame took 0, no new id
  EXPECT_EQ(first.getName(), "RootGround--A");

  Joint second(model, ground, b, p2, p1, KALOT_LENGTH_M, "G2");
  EXPECT_EQ(second.getBaseFrame()->getFrame(), frame);
  EXPECT_EQ(frame->getNodeID(), "G2::RootGround(AUTOGEN)");
  expectPosition(first.getBaseFrame(), {4, 5, 6});  // the latest joint moved the shared frame
  EXPECT_EQ(frame->getName(), "CS1");
}

TEST_F(JointConstructionTest, RejectsSidesWithoutAFrameBeforeTouchingEitherSide) {
  auto subsystem = boost::make_shared<Subsystem>("S");
  EXPECT_THROW(Joint(model, a, subsystem, p1, p2, KALOT_LENGTH_M, "X"), std::invalid_argument);
  EXPECT_THROW(Joint(model, subsystem, a, p1, p2, KALOT_LENGTH_M, "X"), std::invalid_argument);
  EXPECT_THROW(Joint(model, a, boost::shared_ptr<ZoltBase>(), p1, p2, KALOT_LENGTH_M, "X"),
               std::invalid_argument);
  auto frameless = boost::make_shared<Ground>("G", boost::shared_ptr<Frame>());
  EXPECT_THROW(Joint::zoltCreateWeldJoint(model, frameless, a, p1, p2, KALOT_LENGTH_M, "X"),
               std::invalid_argument);
  EXPECT_THROW(Joint(model, a, b, nullptr, p2, KALOT_LENGTH_M, "X"), std::invalid_argument);
  EXPECT_EQ(a->getLinkCount(), 0u);
  EXPECT_EQ(b->getLinkCount(), 0u);
  EXPECT_EQ(model->getNextFrameId(), 0);  // no frame id was spent
}

TEST_F(JointConstructionTest, WeldPlacesBothFramesAtOnePoint) {
  auto weld = Joint::zoltCreateWeldJoint(model, a, b, p1, p2, KALOT_LENGTH_M, "W");
  EXPECT_EQ(weld->getType(), KALOT_JOINT_WELD);
  EXPECT_EQ(weld->getTypeName(), "SimpleJoint");
  expectPrimitives(*weld, {{KALOT_PRIM_WELD, {}}});
  EXPECT_EQ(weld->getPrimitiveAt(0)->getName(), "weld");
  expectPosition(weld->getBaseFrame(), {1, 2, 3});
  expectPosition(weld->getFollowerFrame(), {1, 2, 3});

  auto ground = boost::make_shared<Ground>("G", boost::make_shared<Frame>("", 9, KALOT_LENGTH_M));
  auto fromGround = Joint::zoltCreateWeldJoint(model, ground, b, p1, p2, KALOT_LENGTH_M, "W2");
  expectPosition(fromGround->getBaseFrame(), {4, 5, 6});
  expectPosition(fromGround->getFollowerFrame(), {4, 5, 6});
  auto toGround = Joint::zoltCreateWeldJoint(model, b, ground, p1, p2, KALOT_LENGTH_M, "W3");
  expectPosition(toGround->getFollowerFrame(), {1, 2, 3});
}

TEST_F(JointConstructionTest, SixDOFJointKeepsBothPositions) {
  auto joint = Joint::zoltCreateSixDOFJoint(model, a, b, p1, p2, KALOT_LENGTH_M, "S");
  EXPECT_EQ(joint->getType(), KALOT_JOINT_SIMPLE);
  expectPrimitives(*joint, {{KALOT_PRIM_PRISMATIC, {1, 0, 0}},
                            {KALOT_PRIM_PRISMATIC, {0, 1, 0}},
                            {KALOT_PRIM_PRISMATIC, {0, 0, 1}},
                            {KALOT_PRIM_SPHERICAL, {}}});
  EXPECT_EQ(joint->getPrimitiveAt(3)->getName(), "spherical");
  expectPosition(joint->getBaseFrame(), {1, 2, 3});
  expectPosition(joint->getFollowerFrame(), {4, 5, 6});
}

TEST_F(JointConstructionTest, ConnectorSelectorChoosesThePrimitivesOnly) {
  const double x[3] = {2, 0, 0}, y[3] = {0, 3, 0};
  struct Case {
    KalotJointType selector;
    KalotPrimType first, second;
  };
  const Case cases[] = {
      {KALOT_JOINT_MASSLESS_CONNECTOR_RR, KALOT_PRIM_REVOLUTE, KALOT_PRIM_REVOLUTE},
      {KALOT_JOINT_MASSLESS_CONNECTOR_RS, KALOT_PRIM_REVOLUTE, KALOT_PRIM_SPHERICAL},
      {KALOT_JOINT_MASSLESS_CONNECTOR_SS, KALOT_PRIM_SPHERICAL, KALOT_PRIM_SPHERICAL},
      {KALOT_JOINT_MASSLESS_CONNECTOR_PS, KALOT_PRIM_PRISMATIC, KALOT_PRIM_SPHERICAL},
      {KALOT_JOINT_WELD, KALOT_PRIM_REVOLUTE, KALOT_PRIM_REVOLUTE},
      {static_cast<KalotJointType>(-1), KALOT_PRIM_REVOLUTE, KALOT_PRIM_REVOLUTE},
  };
  for (const Case& c : cases) {
    Joint joint(model, a, b, p1, p2, KALOT_LENGTH_M, "C");
    joint.addMassLessConnectorPrims(c.selector, x, "F1", y, "F2");
    EXPECT_EQ(joint.getType(), KALOT_JOINT_MASSLESS_CONNECTOR) << c.selector;
    ASSERT_EQ(joint.getPrimitiveCount(), 2u);
    EXPECT_EQ(joint.getPrimitiveAt(0)->getType(), c.first) << c.selector;
    EXPECT_EQ(joint.getPrimitiveAt(1)->getType(), c.second) << c.selector;
    EXPECT_EQ(joint.getPrimitiveAt(0)->getRefFrame(), "F1");
    EXPECT_EQ(joint.getPrimitiveAt(1)->getRefFrame(), "F2");
    EXPECT_DOUBLE_EQ(joint.getPrimitiveAt(0)->getAxis()[0], 1.0);
    EXPECT_DOUBLE_EQ(joint.getPrimitiveAt(1)->getAxis()[1], 1.0);
  }
}

TEST_F(JointConstructionTest, FreeSlotsBecomePrimitivesPrismaticsFirst) {
  // Columns (1,0,0), (0,1,0), (0,0,1) for translations; (0,0,1), (1,0,0), (0,1,0) for rotations.
  const double translationAxes[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const double rotationAxes[9] = {0, 0, 1, 1, 0, 0, 0, 1, 0};
  const KalotPrimType P = KALOT_PRIM_PRISMATIC, R = KALOT_PRIM_REVOLUTE;
  const Prim weld{KALOT_PRIM_WELD, {}}, ball{KALOT_PRIM_SPHERICAL, {}};
  struct Case {
    std::array<int, 3> translations, rotations;
    std::vector<Prim> primitives;
  };
  const Case cases[] = {
      {{-1, -1, -1}, {-1, -1, -1}, {weld}},
      {{7, -1, -1}, {-5, -1, -1}, {weld}},  // slots outside the matrix are empty
      {{-1, -1, -1}, {0, 1, 2}, {ball}},
      {{2, -1, -1}, {0, 1, 2}, {{P, {0, 0, 1}}, ball}},
      {{0, -1, -1}, {0, -1, -1}, {{P, {1, 0, 0}}, {R, {0, 0, 1}}}},
      // Slots name columns: the order of the slots, not of the columns, decides.
      {{2, 0, -1}, {-1, 1, -1}, {{P, {0, 0, 1}}, {P, {1, 0, 0}}, {R, {1, 0, 0}}}},
      {{-1, -1, -1}, {2, 0, -1}, {{R, {0, 1, 0}}, {R, {0, 0, 1}}}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    Joint joint(model, a, b, p1, p2, KALOT_LENGTH_M, "P");
    detail::synthesizePrimitives(joint, cases[i].translations.data(), translationAxes,
                                 cases[i].rotations.data(), rotationAxes);
    EXPECT_EQ(joint.getType(), i < 2 ? KALOT_JOINT_WELD : KALOT_JOINT_SIMPLE);
    expectPrimitives(joint, cases[i].primitives);
  }
}

}  // namespace
}  // namespace kalo_toolkit
