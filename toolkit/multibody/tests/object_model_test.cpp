#include <cmath>
#include <vector>

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

using namespace kalo_toolkit;

namespace {

boost::shared_ptr<Body> makeBody(const std::string& name) {
  const double inertia[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  return boost::make_shared<Body>(name, 2.5, KALOT_MASS_KG, inertia, KALOT_INERTIA_KG_M2, 0.1, KALOT_VOL_M3,
                                  3.0, KALOT_SAREA_M2, "part.stl", nullptr);
}

boost::shared_ptr<Frame> unnamedFrame() { return boost::make_shared<Frame>("", -1, KALOT_LENGTH_M); }

}  // namespace

TEST(BodyTest, AutomaticFrameNamesSkipNamedFrames) {
  auto body = makeBody("B");
  auto f1 = unnamedFrame();
  auto a = boost::make_shared<Frame>("A", -1, KALOT_LENGTH_M);
  auto f2 = unnamedFrame();
  auto f3 = unnamedFrame();
  body->addLink(f1);
  body->addLink(a);
  body->addLink(f2);
  body->addLink(f3);
  ASSERT_EQ(body->getLinkCount(), 4u);
  EXPECT_EQ(body->getLinkAt(0)->getName(), "CS1");
  EXPECT_EQ(body->getLinkAt(1)->getName(), "A");
  EXPECT_EQ(body->getLinkAt(2)->getName(), "CS2");
  EXPECT_EQ(body->getLinkAt(3)->getName(), "CS3");
  EXPECT_FALSE(body->getLinkAt(4));
  // Appending does not set the back link.
  EXPECT_FALSE(f1->getParent());
}

TEST(BodyTest, KeepsItsOwnCopyOfTheMaterial) {
  kalot_vis_mat_prop mat = {{0.1, 0.2, 0.3}, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};
  Body body("B", 4.0, KALOT_MASS_G, nullptr, KALOT_INERTIA_G_CM2, 5.0, KALOT_VOL_CM3, 6.0, KALOT_SAREA_CM2,
            "f.stl", &mat);
  mat.color[0] = 99;
  ASSERT_NE(body.getColor(), nullptr);
  EXPECT_EQ(body.getColor()->color[0], 0.1);
  EXPECT_EQ(body.getColor()->emission, 0.9);
  body.setMatProp(nullptr);
  EXPECT_EQ(body.getColor(), nullptr);
}

TEST(FrameTest, ShortConstructorDefaults) {
  Frame f("F", 3, KALOT_LENGTH_MM);
  EXPECT_EQ(f.getID(), 3);
  EXPECT_EQ(f.getPositionUnits(), KALOT_LENGTH_MM);
  EXPECT_EQ(f.getPosRefFrame(), "WORLD");
  EXPECT_EQ(f.getOrientationRefFrame(), "WORLD");
  EXPECT_EQ(f.getOrientationUnits(), KALOT_ANGLE_RAD);
  EXPECT_EQ(f.getOrientationType(), KALOT_ROT_3X3);
  EXPECT_EQ(std::vector<double>(f.getOrientation(), f.getOrientation() + 9),
            (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  EXPECT_EQ(std::vector<double>(f.getPosition(), f.getPosition() + 3), std::vector<double>(3, 0.0));
  EXPECT_TRUE(f.getDisplayName().empty());
  f.setAutoName(41);
  EXPECT_EQ(f.getName(), "CS42");
}

TEST(GroundTest, NamesAnUnnamedFrameOnly) {
  auto f = unnamedFrame();
  Ground g("G", f);
  EXPECT_EQ(f->getName(), "CS1");
  auto named = boost::make_shared<Frame>("F", -1, KALOT_LENGTH_M);
  Ground g2("G2", named);
  EXPECT_EQ(named->getName(), "F");
  EXPECT_EQ(g2.getFrame(), named);
}

TEST(FrameRefTest, NameFallsBackToFrame) {
  FrameRef ref{boost::shared_ptr<Frame>()};
  EXPECT_EQ(ref.getName(), "");
  auto f = boost::make_shared<Frame>("F", -1, KALOT_LENGTH_M);
  ref.setFrame(f);
  EXPECT_EQ(ref.getName(), "F");
  // Called through the base, as renaming code does.
  ZoltBase& base = ref;
  EXPECT_EQ(base.getName(), "F");
  ref.setName("own");
  EXPECT_EQ(base.getName(), "own");
}

TEST(PrimitiveTest, AxisNormalisation) {
  const double z2[3] = {0, 0, 2};
  Primitive p(KALOT_PRIM_REVOLUTE, z2, "F");
  EXPECT_EQ(p.getAxis()[2], 1.0);
  EXPECT_EQ(p.getName(), "revolute");
  const double tiny[3] = {0, 0, 1e-7};
  p.setAxis(tiny);
  EXPECT_EQ(p.getAxis()[2], 1e-7);
  Primitive n(KALOT_PRIM_WELD, Joint::zoltNullAxis, "WORLD");
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(n.getAxis()[i], 1.0 / std::sqrt(3.0), 1e-15);
  EXPECT_EQ(Joint::zoltNullAxis[0], 1.0);  // the shared constant is not touched
}

TEST(PrimitiveTest, TypeFromTextAndOneArgumentConstructor) {
  const double x[3] = {1, 0, 0};
  Primitive p("prismatic", x, "F");
  EXPECT_EQ(p.getType(), KALOT_PRIM_PRISMATIC);
  EXPECT_EQ(p.getName(), "prismatic");
  Primitive unknown("twist", x, "F");
  EXPECT_EQ(unknown.getType(), KALOT_PRIM_UNKNOWN);
  EXPECT_EQ(unknown.getName(), "twist");
  Primitive bare(KALOT_PRIM_SPHERICAL);
  EXPECT_EQ(bare.getName(), "");
  EXPECT_EQ(bare.getRefFrame(), "WORLD");
  EXPECT_EQ(bare.getAxis()[0], 0.0);
}

TEST(JointTest, PrimitivesTypeAndNodeID) {
  auto base = boost::make_shared<FrameRef>(unnamedFrame());
  auto follower = boost::make_shared<FrameRef>(unnamedFrame());
  Joint j("J", base, follower, "a:-:b");
  EXPECT_EQ(j.getNodeID(), "a:-:b");
  EXPECT_EQ(j.getType(), KALOT_JOINT_SIMPLE);
  EXPECT_EQ(j.getTypeName(), "SimpleJoint");
  EXPECT_TRUE(j.getStatus().empty());
  const double y[3] = {0, 3, 0};
  j.addPrimitive(KALOT_PRIM_PRISMATIC, y, "WORLD");
  ASSERT_EQ(j.getPrimitiveCount(), 1u);
  EXPECT_EQ(j.getPrimitiveAt(0)->getAxis()[1], 1.0);
  EXPECT_EQ(j.getPrimitiveAt(0)->getName(), "prismatic");
  EXPECT_FALSE(j.getPrimitiveAt(1));
  j.setType(std::string("MasslessConnector"));
  EXPECT_EQ(j.getType(), KALOT_JOINT_MASSLESS_CONNECTOR);
  j.setType(std::string("nonsense"));
  EXPECT_EQ(j.getType(), KALOT_JOINT_UNKNOWN);
  j.setType(KALOT_JOINT_WELD);
  EXPECT_EQ(j.getTypeName(), "SimpleJoint");
}

TEST(SubsystemTest, RootBodyRefIsMadeOnce) {
  auto s = boost::make_shared<Subsystem>("S");
  s->setNodeID("/M/S");
  auto cg = unnamedFrame();
  auto origin = unnamedFrame();
  s->setCGFrame(cg);
  s->setOriginFrame(origin);
  s->addBodyRef(boost::make_shared<BodyRef>("other", makeBody("other")));

  auto ref = s->getOrCreateRootBodyRef(KALOT_MASS_G, KALOT_INERTIA_G_CM2, KALOT_VOL_CM3, KALOT_SAREA_CM2);
  ASSERT_TRUE(ref);
  EXPECT_EQ(ref->getName(), "RootPartRef");
  EXPECT_EQ(ref->getNodeID(), "/M/S/RootPartRef");
  ASSERT_EQ(s->getBodyRefCount(), 2u);
  EXPECT_EQ(s->getBodyRefAt(1), ref);
  EXPECT_EQ(s->getRootBodyRef(), ref);
  auto body = ref->getBody();
  EXPECT_EQ(body->getName(), "RootPart");
  EXPECT_EQ(body->getNodeID(), "/M/S/RootPart");
  EXPECT_EQ(body->getMassUnits(), KALOT_MASS_G);
  EXPECT_EQ(body->getSAreaUnits(), KALOT_SAREA_CM2);
  EXPECT_EQ(body->getMass(), 0.0);
  EXPECT_EQ(body->getColor(), nullptr);
  ASSERT_EQ(body->getLinkCount(), 2u);
  EXPECT_EQ(cg->getName(), "CS1");
  EXPECT_EQ(cg->getNodeID(), "/M/S/RootPart::CS1(AUTOGEN)");
  EXPECT_EQ(origin->getName(), "CS2");
  EXPECT_EQ(origin->getNodeID(), "/M/S/RootPart::CS2(AUTOGEN)");
  EXPECT_EQ(body->getCGFrame(), cg);
  EXPECT_EQ(body->getOriginFrame(), origin);
  // Identity placement.
  EXPECT_EQ(ref->getScale(), 1.0);
  EXPECT_EQ(ref->getRotation()[0], 1.0);
  EXPECT_EQ(ref->getRotation()[1], 0.0);
  EXPECT_EQ(ref->getTranslation()[2], 0.0);

  auto again = s->getOrCreateRootBodyRef(KALOT_MASS_KG, KALOT_INERTIA_KG_M2, KALOT_VOL_M3, KALOT_SAREA_M2);
  EXPECT_EQ(again, ref);
  EXPECT_EQ(s->getBodyRefCount(), 2u);
  EXPECT_EQ(body->getLinkCount(), 2u);
}

TEST(SubsystemTest, RemoveKeepsOrderAndIgnoresBadIndex) {
  Subsystem s("S");
  for (int i = 0; i < 3; ++i) {
    s.addBodyRef(boost::make_shared<BodyRef>("r" + std::to_string(i), makeBody("b")));
    s.addGround(boost::make_shared<Ground>("g" + std::to_string(i), unnamedFrame()));
    s.addJoint(boost::make_shared<Joint>("j" + std::to_string(i), boost::shared_ptr<FrameRef>(),
                                         boost::shared_ptr<FrameRef>(), ""));
    s.addSubsystemRef(
        boost::make_shared<SubsystemRef>("s" + std::to_string(i), boost::make_shared<Subsystem>("c")));
  }
  s.removeBodyRef(1);
  s.removeGround(1);
  s.removeJoint(1);
  s.removeSubsystemRef(1);
  EXPECT_EQ(s.getBodyRefAt(1)->getName(), "r2");
  EXPECT_EQ(s.getGroundAt(1)->getName(), "g2");
  EXPECT_EQ(s.getJointAt(1)->getName(), "j2");
  const Subsystem& cs = s;
  EXPECT_EQ(cs.getJointAt(0)->getName(), "j0");
  EXPECT_EQ(s.getSubsystemRefAt(1)->getName(), "s2");

  for (size_t bad : {size_t(2), size_t(1000), static_cast<size_t>(-1)}) {
    s.removeBodyRef(bad);
    s.removeGround(bad);
    s.removeJoint(bad);
    s.removeSubsystemRef(bad);
  }
  EXPECT_EQ(s.getBodyRefCount(), 2u);
  EXPECT_EQ(s.getGroundCount(), 2u);
  EXPECT_EQ(s.getJointCount(), 2u);
  EXPECT_EQ(s.getSubsystemRefCount(), 2u);
  EXPECT_FALSE(s.getBodyRefAt(2));
  EXPECT_FALSE(s.getPortAt(0));
  EXPECT_FALSE(s.getRigidFlag());
}

TEST(ZoltModelTest, FrameIdsCountUpFromZero) {
  ZoltModel m("using", "from", "on", "by", "name", boost::make_shared<Subsystem>("top"));
  EXPECT_EQ(m.getNextFrameId(), 0);
  EXPECT_EQ(m.getNextFrameId(), 1);
}

TEST(ZoltModelTest, ReleasingTheModelReleasesTheTree) {
  boost::weak_ptr<Body> weakBody;
  {
    auto top = boost::make_shared<Subsystem>("top");
    auto model = boost::make_shared<ZoltModel>("u", "f", "o", "b", "m", top);
    top->setParent(model);
    auto body = makeBody("B");
    body->setParent(top);
    weakBody = body;
    top->addBodyRef(boost::make_shared<BodyRef>("B", body));
  }
  EXPECT_TRUE(weakBody.expired());
}

TEST(ZoltModelTest, ReleasingADeepHierarchyNeitherRecursesNorDropsSharedParts) {
  boost::weak_ptr<Subsystem> deepest;
  boost::shared_ptr<Subsystem> kept;  // also held by a script: must survive
  {
    auto top = boost::make_shared<Subsystem>("top");
    auto current = top;
    for (int i = 0; i < 200000; ++i) {
      auto child = boost::make_shared<Subsystem>("s");
      current->addSubsystemRef(boost::make_shared<SubsystemRef>("r", child));
      if (i == 10) kept = child;
      current = child;
    }
    deepest = current;
  }
  // Everything below the kept subsystem stays alive with it; the rest is gone.
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->getSubsystemRefCount(), 1u);
  EXPECT_FALSE(deepest.expired());
  kept.reset();
  EXPECT_TRUE(deepest.expired());
}
