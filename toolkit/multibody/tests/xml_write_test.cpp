#include <functional>
#include <iterator>

#include <gtest/gtest.h>

#include <kalo_toolkit/zolt_read_helper.hpp>

#include "sample_model.hpp"

using namespace kalo_toolkit;
using namespace kalo_test;

namespace {
std::string tmpPath(const std::string& name) { return ::testing::TempDir() + "/write_test_" + name; }
}  // namespace

// One defect each in an otherwise writable model; every one ends the write with 3.
TEST(XmlWriteTest, MissingPartsAndUnknownTypesGiveError3) {
  const auto noFrame = [] { return boost::make_shared<FrameRef>(boost::shared_ptr<Frame>()); };
  const auto addJoint = [](Subsystem& top, boost::shared_ptr<FrameRef> base,
                           boost::shared_ptr<FrameRef> follower) {
    top.addJoint(boost::make_shared<Joint>("J", base, follower, ""));
  };
  auto frame = makeFrame("F", 9, 0);
  const std::function<void(Subsystem&)> defects[] = {
      // A joint side with a reference without a frame, or with no reference at all.
      [&](Subsystem& top) { addJoint(top, refTo(frame), noFrame()); },
      [&](Subsystem& top) { addJoint(top, noFrame(), refTo(frame)); },
      [&](Subsystem& top) { addJoint(top, boost::shared_ptr<FrameRef>(), refTo(frame)); },
      [](Subsystem& top) { top.addBodyRef(boost::shared_ptr<BodyRef>()); },
      [](Subsystem& top) { top.addBodyRef(boost::make_shared<BodyRef>("r", boost::shared_ptr<Body>())); },
      [](Subsystem& top) { top.addGround(boost::make_shared<Ground>("g", boost::shared_ptr<Frame>())); },
      [](Subsystem& top) { top.getJointAt(0)->setType(KALOT_JOINT_UNKNOWN); },  // no element name
  };
  const std::string path = tmpPath("defect.xml");
  for (size_t i = 0; i < std::size(defects); ++i) {
    auto model = buildSampleModel();
    defects[i](*model->getTopSubsystem());
    EXPECT_EQ(model->writeToXML(path), KALOT_XML_READ_ERROR) << "defect " << i;
  }
  // The same joint with both frames set writes.
  auto model = buildSampleModel();
  addJoint(*model->getTopSubsystem(), refTo(frame), refTo(frame));
  EXPECT_EQ(model->writeToXML(path), KALOT_SUCCESS);

  auto noTop = boost::make_shared<ZoltModel>("u", "f", "o", "b", "M", boost::shared_ptr<Subsystem>());
  EXPECT_EQ(noTop->writeToXML(path), KALOT_XML_READ_ERROR);
}

TEST(XmlWriteTest, UnwritablePathGivesError3) {
  auto model = buildSampleModel();
  EXPECT_EQ(model->writeToXML(tmpPath("no_such_dir/x.xml")), KALOT_XML_READ_ERROR);
  EXPECT_EQ(model->writeToXML(""), KALOT_XML_READ_ERROR);
  EXPECT_EQ(model->writeToXML(::testing::TempDir()), KALOT_XML_READ_ERROR);  // a directory
}

TEST(XmlWriteTest, MarkupInTextsIsEscapedAndReadBack) {
  auto model = buildSampleModel();
  auto body = model->getTopSubsystem()->getBodyRefAt(0)->getBody();
  body->setName("a<b>&c \"d\" ]]> \t");
  const std::string path = tmpPath("markup.xml");
  ASSERT_EQ(model->writeToXML(path), 0);
  KalotError error;
  auto back = ZoltModel::readFromXML(&error, path, MechanismSimplifier::None);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->getTopSubsystem()->getBodyRefAt(0)->getBody()->getName(), "a<b>&c \"d\" ]]> \t");
}

TEST(XmlWriteTest, SubsystemsNestedTooDeeplyGiveError3) {
  // Deeper than a file may be read back.
  auto top = boost::make_shared<Subsystem>("top");
  ZoltModel model("u", "f", "o", "b", "M", top);
  auto current = top;
  for (int i = 0; i <= ZoltReadHelper::kMaxSubsystemDepth; ++i) {
    auto child = boost::make_shared<Subsystem>("s");
    current->addSubsystemRef(boost::make_shared<SubsystemRef>("r", child));
    current = child;
  }
  EXPECT_EQ(model.writeToXML(tmpPath("too_deep.xml")), KALOT_XML_READ_ERROR);

  // A subsystem placed inside itself fails the same way instead of recursing forever.
  auto loop = boost::make_shared<Subsystem>("loop");
  loop->addSubsystemRef(boost::make_shared<SubsystemRef>("self", loop));
  ZoltModel looped("u", "f", "o", "b", "L", loop);
  EXPECT_EQ(looped.writeToXML(tmpPath("loop.xml")), KALOT_XML_READ_ERROR);
  loop->removeSubsystemRef(0);  // break the cycle so it is released
}
