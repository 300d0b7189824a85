#include <gtest/gtest.h>

#include <kalo_toolkit/zolt_read_helper.hpp>

#include "sample_model.hpp"

using namespace kalo_toolkit;
using namespace kalo_test;

namespace {

std::string tmpPath(const std::string& name) { return ::testing::TempDir() + "/write_test_" + name; }

boost::shared_ptr<ZoltModel> modelWithJoint(const boost::shared_ptr<FrameRef>& base,
                                            const boost::shared_ptr<FrameRef>& follower) {
  auto model = buildSampleModel();
  model->getTopSubsystem()->addJoint(boost::make_shared<Joint>("J", base, follower, ""));
  return model;
}

}  // namespace

TEST(XmlWriteTest, WeldIsWrittenAsSimpleJointAndReadBackAsOne) {
  const std::string path = tmpPath("weld.xml");
  ASSERT_EQ(buildSampleModel()->writeToXML(path), 0);
  const std::string text = readFile(path);
  EXPECT_EQ(text.find("Weld"), std::string::npos);
  EXPECT_NE(text.find("<SimpleJoint>\n        <name>\"RootGround--Base\"</name>"), std::string::npos);
}

TEST(XmlWriteTest, JointSideWithoutFrameGivesError3) {
  auto frame = makeFrame("F", 9, 0);
  const std::string path = tmpPath("noframe.xml");
  // A reference without a frame, and no reference at all, on either side.
  EXPECT_EQ(modelWithJoint(refTo(frame), boost::make_shared<FrameRef>(boost::shared_ptr<Frame>()))
                ->writeToXML(path),
            KALOT_XML_READ_ERROR);
  EXPECT_EQ(modelWithJoint(boost::make_shared<FrameRef>(boost::shared_ptr<Frame>()), refTo(frame))
                ->writeToXML(path),
            KALOT_XML_READ_ERROR);
  EXPECT_EQ(modelWithJoint(boost::shared_ptr<FrameRef>(), refTo(frame))->writeToXML(path),
            KALOT_XML_READ_ERROR);
  // The same model with both frames set writes.
  EXPECT_EQ(modelWithJoint(refTo(frame), refTo(frame))->writeToXML(path), KALOT_SUCCESS);
}

TEST(XmlWriteTest, EmptyEntriesAndUnknownTypesGiveError3) {
  const std::string path = tmpPath("empty_entries.xml");
  auto model = buildSampleModel();
  model->getTopSubsystem()->addBodyRef(boost::shared_ptr<BodyRef>());
  EXPECT_EQ(model->writeToXML(path), KALOT_XML_READ_ERROR);

  model = buildSampleModel();
  model->getTopSubsystem()->addBodyRef(boost::make_shared<BodyRef>("r", boost::shared_ptr<Body>()));
  EXPECT_EQ(model->writeToXML(path), KALOT_XML_READ_ERROR);

  model = buildSampleModel();
  model->getTopSubsystem()->addGround(boost::make_shared<Ground>("g", boost::shared_ptr<Frame>()));
  EXPECT_EQ(model->writeToXML(path), KALOT_XML_READ_ERROR);

  model = buildSampleModel();
  model->getTopSubsystem()->getJointAt(0)->setType(KALOT_JOINT_UNKNOWN);  // no element name
  EXPECT_EQ(model->writeToXML(path), KALOT_XML_READ_ERROR);

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
