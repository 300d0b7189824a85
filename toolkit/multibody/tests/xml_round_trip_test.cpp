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

// Reading keeps every written value: read and written again, the sample comes
// back with the ids one higher and the simple joints moved before the connector;
// from then on the file is stable apart from the id shift.
TEST_F(XmlRoundTripTest, WriteReadWriteIsIdenticalApartFromIdShiftAndJointOrder) {
  std::string expected = readFile(dataPath("sample_model.xml"));
  const size_t from = expected.find("      <MasslessConnector>");
  const std::string endTag = "      </MasslessConnector>\n";
  const size_t to = expected.find(endTag) + endTag.size();
  ASSERT_LT(from, to);
  const std::string connector = expected.substr(from, to - from);
  expected.erase(from, to - from);
  expected.insert(expected.find("    </joints>"), connector);

  auto first = read(dataPath("sample_model.xml"));
  ASSERT_TRUE(first);
  const std::string b = tmp("b.xml");
  const std::string c = tmp("c.xml");
  ASSERT_EQ(first->writeToXML(b), 0);
  const std::string textB = readFile(b);
  EXPECT_EQ(textB, shiftRefs(expected));
  auto second = read(b);
  ASSERT_TRUE(second);
  ASSERT_EQ(second->writeToXML(c), 0);
  ASSERT_NE(textB.find("ref=\"2\""), std::string::npos);
  EXPECT_EQ(shiftRefs(textB), readFile(c));
}

// What a rewritten file cannot show: back links, names that are not written,
// and references resolved to the very frames rather than to copies.
TEST_F(XmlRoundTripTest, ReadModelIsLinkedTogether) {
  auto model = read(dataPath("sample_model.xml"));
  ASSERT_TRUE(model);
  auto top = model->getTopSubsystem();
  ASSERT_TRUE(top);
  // The top subsystem takes the model's name and node ID.
  EXPECT_EQ(top->getName(), "M");
  EXPECT_EQ(top->getNodeID(), "M");
  EXPECT_EQ(top->getParent(), model);

  ASSERT_EQ(top->getBodyRefCount(), 2u);
  EXPECT_EQ(top->getBodyRefAt(0)->getName(), "Base");  // the reference takes the body's name
  auto base = top->getBodyRefAt(0)->getBody();
  EXPECT_EQ(base->getParent(), top);
  ASSERT_EQ(base->getLinkCount(), 3u);
  auto cs1 = base->getLinkAt(0);
  EXPECT_EQ(cs1->getID(), 1);  // written id 0 as ref 1
  EXPECT_EQ(cs1->getParent(), base);

  ASSERT_EQ(top->getJointCount(), 3u);
  auto hinge = top->getJointAt(0);
  auto weld = top->getJointAt(1);
  auto connector = top->getJointAt(2);
  EXPECT_EQ(hinge->getParent(), top);
  EXPECT_EQ(weld->getType(), KALOT_JOINT_SIMPLE);
  EXPECT_EQ(connector->getBaseFrame()->getFrame(), cs1);
  EXPECT_EQ(connector->getFollowerFrame()->getFrame(), top->getBodyRefAt(1)->getBody()->getLinkAt(1));
  ASSERT_EQ(top->getGroundCount(), 1u);
  auto ground = top->getGroundAt(0);
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
  ASSERT_EQ(flex->getBodyRefCount(), 1u);
  auto link = flex->getBodyRefAt(0)->getBody();
  // A joint in a child subsystem reaches a frame of a body in its parent.
  ASSERT_EQ(flex->getJointCount(), 1u);
  EXPECT_EQ(flex->getJointAt(0)->getBaseFrame()->getFrame(), top->getBodyRefAt(1)->getBody()->getLinkAt(1));
  EXPECT_EQ(flex->getJointAt(0)->getFollowerFrame()->getFrame(), link->getLinkAt(0));
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
