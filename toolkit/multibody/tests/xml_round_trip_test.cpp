#include <cmath>
#include <regex>

#include <gtest/gtest.h>

#include "sample_model.hpp"

using namespace kalo_toolkit;
using namespace kalo_test;

namespace {

// Every ref attribute one higher: what a read followed by a write does to ids.
std::string shiftRefs(const std::string& text) {
  static const std::regex ref("ref=\"(-?[0-9]+)\"");
  std::string out;
  auto begin = std::sregex_iterator(text.begin(), text.end(), ref);
  size_t last = 0;
  for (auto it = begin; it != std::sregex_iterator(); ++it) {
    out.append(text, last, static_cast<size_t>(it->position()) - last);
    out += "ref=\"" + std::to_string(std::stoll((*it)[1].str()) + 1) + "\"";
    last = static_cast<size_t>(it->position() + it->length());
  }
  out.append(text, last, std::string::npos);
  return out;
}

class XmlRoundTripTest : public ::testing::Test {
 protected:
  std::string tmp(const std::string& name) const {
    return ::testing::TempDir() + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
           "_" + name;
  }
};

boost::shared_ptr<ZoltModel> read(const std::string& path, KalotError expected = KALOT_SUCCESS) {
  KalotError error = KALOT_GENERIC_FAILURE;
  auto model = ZoltModel::readFromXML(&error, path, MechanismSimplifier::None);
  EXPECT_EQ(error, expected) << path;
  EXPECT_EQ(static_cast<bool>(model), expected == KALOT_SUCCESS) << path;
  return model;
}

}  // namespace

TEST_F(XmlRoundTripTest, WriterOutputMatchesTheCommittedSample) {
  const std::string path = tmp("a.xml");
  ASSERT_EQ(buildSampleModel()->writeToXML(path), 0);
  EXPECT_EQ(readFile(path), readFile(dataPath("sample_model.xml")));
  // Writing is deterministic: a second model built the same way gives the same bytes.
  const std::string again = tmp("b.xml");
  ASSERT_EQ(buildSampleModel()->writeToXML(again), 0);
  EXPECT_EQ(readFile(path), readFile(again));
}

TEST_F(XmlRoundTripTest, WriteReadWriteIsIdenticalApartFromTheIdShift) {
  // The first read puts simple joints before connectors; from then on the file is stable.
  auto first = read(dataPath("sample_model.xml"));
  ASSERT_TRUE(first);
  const std::string b = tmp("b.xml");
  const std::string c = tmp("c.xml");
  ASSERT_EQ(first->writeToXML(b), 0);
  auto second = read(b);
  ASSERT_TRUE(second);
  ASSERT_EQ(second->writeToXML(c), 0);
  const std::string textB = readFile(b);
  ASSERT_NE(textB.find("ref=\"2\""), std::string::npos);
  EXPECT_EQ(shiftRefs(textB), readFile(c));
}

TEST_F(XmlRoundTripTest, ReadModelHoldsWhatWasWritten) {
  auto model = read(dataPath("sample_model.xml"));
  ASSERT_TRUE(model);
  EXPECT_EQ(model->getName(), "M");
  EXPECT_EQ(model->getNodeID(), "M");
  EXPECT_EQ(model->getCreatedUsing(), "Kalo");
  EXPECT_EQ(model->getCreatedFrom(), "assembly.cad");
  EXPECT_EQ(model->getCreatedOn(), "2024-01-02");
  EXPECT_EQ(model->getCreatedBy(), "tester");

  auto top = model->getTopSubsystem();
  ASSERT_TRUE(top);
  // The top subsystem takes the model's name and node ID.
  EXPECT_EQ(top->getName(), "M");
  EXPECT_EQ(top->getNodeID(), "M");
  EXPECT_EQ(top->getParent(), model);

  ASSERT_EQ(top->getBodyRefCount(), 2u);
  auto baseRef = top->getBodyRefAt(0);
  EXPECT_EQ(baseRef->getName(), "Base");  // the reference takes the body's name
  auto base = baseRef->getBody();
  EXPECT_EQ(base->getParent(), top);
  EXPECT_EQ(base->getNodeID(), "/M/Base");
  EXPECT_DOUBLE_EQ(base->getMass(), 0.3);
  EXPECT_EQ(base->getMassUnits(), KALOT_MASS_G);
  EXPECT_EQ(base->getInertiaUnits(), KALOT_INERTIA_G_CM2);
  EXPECT_EQ(base->getInertia()[4], 0.0);          // below 1e-12 of the largest value: cleaned on writing
  EXPECT_EQ(base->getInertia()[8], 1.23457e+06);  // six significant digits in the file
  EXPECT_EQ(base->getVolume(), 12.5);
  EXPECT_EQ(base->getVolumeUnits(), KALOT_VOL_CM3);
  EXPECT_EQ(base->getSArea(), 100000.0);
  EXPECT_EQ(base->getSAreaUnits(), KALOT_SAREA_CM2);
  EXPECT_EQ(base->getFileName(), "Base.stl");
  ASSERT_NE(base->getColor(), nullptr);
  EXPECT_EQ(base->getColor()->color[1], 0.25);
  EXPECT_EQ(base->getColor()->emission, 1.0);
  EXPECT_EQ(top->getBodyRefAt(1)->getBody()->getColor(), nullptr);

  ASSERT_EQ(base->getLinkCount(), 3u);
  auto cs1 = base->getLinkAt(0);
  EXPECT_EQ(cs1->getName(), "CS1");
  EXPECT_EQ(cs1->getID(), 1);  // written id 0 as ref 1
  EXPECT_EQ(cs1->getParent(), base);
  EXPECT_EQ(base->getLinkAt(1)->getDisplayName(), "Mount shown");
  EXPECT_EQ(base->getLinkAt(2)->getID(), -1);
  EXPECT_EQ(cs1->getPositionUnits(), KALOT_LENGTH_MM);
  EXPECT_EQ(cs1->getOrientationUnits(), KALOT_ANGLE_DEG);
  EXPECT_EQ(cs1->getOrientationType(), KALOT_ROT_3X3);
  EXPECT_EQ(cs1->getPosition()[2], -1e-3);
  EXPECT_EQ(cs1->getOrientation()[1], 1.0);
  EXPECT_EQ(cs1->getOrientation()[3], -1.0);

  // Simple joints (the weld among them) first, then the connector.
  ASSERT_EQ(top->getJointCount(), 3u);
  auto hinge = top->getJointAt(0);
  auto weld = top->getJointAt(1);
  auto connector = top->getJointAt(2);
  EXPECT_EQ(hinge->getType(), KALOT_JOINT_SIMPLE);
  EXPECT_EQ(hinge->getStatus(), "ok \"quoted\" & <escaped>");
  EXPECT_EQ(hinge->getNodeID(), "/M/Arm:-:/M/Base");
  EXPECT_EQ(hinge->getParent(), top);
  EXPECT_EQ(weld->getType(), KALOT_JOINT_SIMPLE);
  ASSERT_EQ(weld->getPrimitiveCount(), 1u);
  EXPECT_EQ(weld->getPrimitiveAt(0)->getType(), KALOT_PRIM_WELD);
  EXPECT_EQ(connector->getType(), KALOT_JOINT_MASSLESS_CONNECTOR);
  ASSERT_EQ(connector->getPrimitiveCount(), 2u);
  EXPECT_EQ(connector->getPrimitiveAt(0)->getType(), KALOT_PRIM_REVOLUTE);
  EXPECT_EQ(connector->getPrimitiveAt(0)->getAxis()[0], 1.0);
  EXPECT_EQ(connector->getPrimitiveAt(0)->getRefFrame(), "Base");
  EXPECT_EQ(connector->getPrimitiveAt(1)->getType(), KALOT_PRIM_SPHERICAL);
  EXPECT_NEAR(connector->getPrimitiveAt(1)->getAxis()[2], 1 / std::sqrt(3.0), 1e-5);

  // References resolve to the very frames of the bodies and the ground.
  EXPECT_EQ(connector->getBaseFrame()->getFrame(), cs1);
  EXPECT_EQ(connector->getFollowerFrame()->getFrame(), top->getBodyRefAt(1)->getBody()->getLinkAt(1));
  ASSERT_EQ(top->getGroundCount(), 1u);
  auto ground = top->getGroundAt(0);
  EXPECT_EQ(ground->getName(), "RootGround");
  EXPECT_EQ(ground->getFrame()->getParent(), ground);
  EXPECT_EQ(ground->getParent(), top);
  EXPECT_EQ(weld->getBaseFrame()->getFrame(), ground->getFrame());
  EXPECT_EQ(weld->getFollowerFrame()->getFrame(), cs1);
  EXPECT_EQ(hinge->getBaseFrame()->getName(), "Mount");

  ASSERT_EQ(top->getSubsystemRefCount(), 1u);
  auto flexRef = top->getSubsystemRefAt(0);
  auto flex = flexRef->getSubsystem();
  EXPECT_EQ(flexRef->getName(), "Flex");
  EXPECT_EQ(flex->getParent(), top);
  EXPECT_EQ(flex->getNodeID(), "/M/Flex");
  ASSERT_EQ(flex->getBodyRefCount(), 1u);
  auto link = flex->getBodyRefAt(0)->getBody();
  EXPECT_EQ(link->getName(), "Link \u00e9");
  // A joint in a child subsystem reaches a frame of a body in its parent.
  ASSERT_EQ(flex->getJointCount(), 1u);
  EXPECT_EQ(flex->getJointAt(0)->getBaseFrame()->getFrame(), top->getBodyRefAt(1)->getBody()->getLinkAt(1));
  EXPECT_EQ(flex->getJointAt(0)->getFollowerFrame()->getFrame(), link->getLinkAt(0));
  ASSERT_EQ(flex->getSubsystemRefCount(), 1u);
  EXPECT_EQ(flex->getSubsystemRefAt(0)->getSubsystem()->getBodyRefCount(), 0u);
  EXPECT_EQ(flex->getPortCount(), 0u);
}

TEST_F(XmlRoundTripTest, EmptyTopSubsystemWritesEveryListAndTheId) {
  auto model = boost::make_shared<ZoltModel>("u", "f", "o", "b", "Empty", boost::make_shared<Subsystem>("t"));
  const std::string path = tmp("empty.xml");
  ASSERT_EQ(model->writeToXML(path), 0);
  const std::string text = readFile(path);
  EXPECT_NE(
      text.find(
          "<nodeID>\"\"</nodeID>\n    <bodies></bodies>\n    <joints></joints>\n    <grounds></grounds>\n"
          "    <subsystems></subsystems>\n    <connectionPorts></connectionPorts>\n    <id>0</id>\n"
          "  </VelmoraMultibody>"),
      std::string::npos)
      << text;
  EXPECT_NE(text.find("<formatVersion>\"1.0.4\"</formatVersion>"), std::string::npos);
  EXPECT_NE(text.find("<internalVersion>1</internalVersion>"), std::string::npos);
  auto back = read(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->getTopSubsystem()->getName(), "Empty");
  EXPECT_EQ(back->getTopSubsystem()->getBodyRefCount(), 0u);
}

TEST_F(XmlRoundTripTest, FrameIdsAndReferencesShiftTogether) {
  auto top = boost::make_shared<Subsystem>("t");
  auto model = boost::make_shared<ZoltModel>("u", "f", "o", "b", "M", top);
  auto body = makeBody("B", nullptr);
  auto f4 = makeFrame("F4", 4, 0);
  auto noId = makeFrame("N", -1, 0);
  body->addLink(f4);
  body->addLink(noId);
  top->addBodyRef(boost::make_shared<BodyRef>("B", body));
  auto g = makeFrame("G", 2147483647, 0);  // id + 1 must not overflow
  top->addGround(boost::make_shared<Ground>("G", g));
  auto j = boost::make_shared<Joint>("J", refTo(f4), refTo(g), "");
  top->addJoint(j);
  const std::string path = tmp("ids.xml");
  ASSERT_EQ(model->writeToXML(path), 0);
  const std::string text = readFile(path);
  EXPECT_NE(text.find("<Frame ref=\"5\">"), std::string::npos);
  EXPECT_NE(text.find("<Frame ref=\"5\"/>"), std::string::npos);
  EXPECT_NE(text.find("<Frame ref=\"2147483648\"/>"), std::string::npos);
  EXPECT_NE(text.find("<Frame>\n            <name>\"N\"</name>"), std::string::npos);

  auto back = read(path);
  ASSERT_TRUE(back);
  auto b = back->getTopSubsystem()->getBodyRefAt(0)->getBody();
  EXPECT_EQ(b->getLinkAt(0)->getID(), 5);
  EXPECT_EQ(b->getLinkAt(1)->getID(), -1);
  auto joint = back->getTopSubsystem()->getJointAt(0);
  EXPECT_EQ(joint->getBaseFrame()->getFrame(), b->getLinkAt(0));
  // The widened id wraps to the low 32 bits on reading, on both sides alike.
  EXPECT_EQ(joint->getFollowerFrame()->getFrame(), back->getTopSubsystem()->getGroundAt(0)->getFrame());
}

TEST_F(XmlRoundTripTest, ScriptOnlyConnectorKindsSurviveARoundTrip) {
  auto model = buildSampleModel();
  auto top = model->getTopSubsystem();
  top->getJointAt(1)->setType(KALOT_JOINT_MASSLESS_CONNECTOR_RS);
  const std::string path = tmp("rs.xml");
  ASSERT_EQ(model->writeToXML(path), 0);
  EXPECT_NE(readFile(path).find("<MasslessConnectorRS>"), std::string::npos);
  auto back = read(path);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->getTopSubsystem()->getJointCount(), 3u);
  EXPECT_EQ(back->getTopSubsystem()->getJointAt(2)->getType(), KALOT_JOINT_MASSLESS_CONNECTOR_RS);
}

TEST_F(XmlRoundTripTest, SimplifierOptionIsApplied) {
  KalotError error = KALOT_GENERIC_FAILURE;
  auto flat = ZoltModel::readFromXML(&error, dataPath("sample_model.xml"), MechanismSimplifier::Flatten);
  ASSERT_EQ(error, KALOT_SUCCESS);
  ASSERT_TRUE(flat);
  EXPECT_EQ(flat->getTopSubsystem()->getSubsystemRefCount(), 0u);
  auto kept = read(dataPath("sample_model.xml"));
  EXPECT_EQ(kept->getTopSubsystem()->getSubsystemRefCount(), 1u);
}
