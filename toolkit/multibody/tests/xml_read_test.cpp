#include <cstdlib>
#include <string>
#include <typeinfo>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <kalo_toolkit/zolt_read_helper.hpp>

#include "sample_model.hpp"

using namespace kalo_toolkit;
using namespace kalo_test;

namespace {

boost::shared_ptr<ZoltModel> readData(const std::string& name, KalotError& error) {
  error = KALOT_GENERIC_FAILURE;
  return ZoltModel::readFromXML(&error, dataPath(name), MechanismSimplifier::None);
}

boost::shared_ptr<ZoltModel> readGood(const std::string& name) {
  KalotError error;
  auto model = readData(name, error);
  EXPECT_EQ(error, KALOT_SUCCESS) << name;
  EXPECT_TRUE(model) << name;
  return model;
}

std::string tmpPath(const std::string& name) { return ::testing::TempDir() + "/read_test_" + name; }

}  // namespace

// One defect per file; each ends the whole read with error 3 and no model.
class BadFileTest : public ::testing::TestWithParam<const char*> {};

TEST_P(BadFileTest, GivesError3AndNoModel) {
  // The file minus its defect reads fine (checked once below), so the defect alone is refused.
  KalotError error;
  auto model = readData(GetParam(), error);
  EXPECT_EQ(error, KALOT_XML_READ_ERROR);
  EXPECT_FALSE(model);
}

INSTANTIATE_TEST_SUITE_P(
    Multibody, BadFileTest,
    ::testing::Values("bad_mass.xml", "bad_inertia.xml", "bad_volume.xml", "bad_surface_area.xml",
                      "bad_position.xml", "bad_orientation.xml", "bad_frame_id.xml",
                      "bad_ground_frame_id.xml", "bad_joint_side_ref.xml", "bad_primitive_axis.xml",
                      "bad_internal_version.xml", "bad_format_version_missing.xml",
                      "bad_format_version_empty.xml", "bad_model_name_empty.xml", "bad_no_top_subsystem.xml",
                      "bad_not_well_formed.xml", "bad_truncated.xml", "bad_empty_file.xml",
                      "bad_wrong_root_content.xml", "bad_ground_without_frame.xml",
                      "bad_joint_without_follower.xml", "bad_joint_side_without_connection.xml",
                      "bad_nested_subsystem_mass.xml", "bad_1_0_3_without_subsystem.xml", "no_such_file.xml",
                      // Hostile files: a DTD is never processed, so nothing is fetched or expanded.
                      "hostile_doctype.xml", "hostile_external_entity.xml", "hostile_entity_bomb.xml",
                      "hostile_external_dtd.xml", "hostile_parameter_entity.xml"));

TEST(XmlReadTest, TheBaseOfTheBadFilesIsValid) {
  auto model = readGood("minimal_model.xml");
  ASSERT_TRUE(model);
  auto top = model->getTopSubsystem();
  ASSERT_EQ(top->getBodyRefCount(), 1u);
  ASSERT_EQ(top->getJointCount(), 1u);
  auto joint = top->getJointAt(0);
  EXPECT_EQ(joint->getBaseFrame()->getFrame(), top->getGroundAt(0)->getFrame());
  EXPECT_EQ(joint->getFollowerFrame()->getFrame(), top->getBodyRefAt(0)->getBody()->getLinkAt(0));
  ASSERT_NE(top->getBodyRefAt(0)->getBody()->getColor(), nullptr);
  EXPECT_EQ(top->getBodyRefAt(0)->getBody()->getColor()->diffuse, 0.8);
}

TEST(XmlReadTest, OlderLayout) {
  auto model = readGood("layout_1_0_3.xml");
  ASSERT_TRUE(model);
  EXPECT_EQ(model->getName(), "Old");
  EXPECT_EQ(model->getNodeID(), "OldNode");
  auto top = model->getTopSubsystem();
  EXPECT_EQ(top->getName(), "OldTop");
  EXPECT_EQ(top->getNodeID(), "OldTopNode");
  EXPECT_EQ(top->getParent(), model);
  EXPECT_EQ(top->getBodyRefCount(), 1u);
  EXPECT_EQ(top->getJointAt(0)->getFollowerFrame()->getName(), "F");

  // Written again, it is a current file.
  const std::string path = tmpPath("from_old.xml");
  ASSERT_EQ(model->writeToXML(path), 0);
  const std::string text = readFile(path);
  EXPECT_NE(text.find("<formatVersion>\"1.0.4\"</formatVersion>"), std::string::npos);
  EXPECT_NE(text.find("<VelmoraMultibody>\n    <name>\"Old\"</name>\n    <nodeID>\"OldNode\"</nodeID>"),
            std::string::npos);
}

TEST(XmlReadTest, CorvaneIsTheFallbackTopElement) {
  auto model = readGood("corvane_fallback.xml");
  ASSERT_TRUE(model);
  EXPECT_EQ(model->getTopSubsystem()->getBodyRefCount(), 1u);
  EXPECT_EQ(model->getTopSubsystem()->getName(), "Mini");
}

TEST(XmlReadTest, SimpleJointsComeBeforeConnectors) {
  auto model = readGood("joint_order.xml");
  ASSERT_TRUE(model);
  auto top = model->getTopSubsystem();
  ASSERT_EQ(top->getJointCount(), 4u);
  const char* names[] = {"RootGround--B", "Second", "Connector", "Connector2"};
  const KalotJointType types[] = {KALOT_JOINT_SIMPLE, KALOT_JOINT_SIMPLE, KALOT_JOINT_MASSLESS_CONNECTOR,
                                  KALOT_JOINT_MASSLESS_CONNECTOR};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(top->getJointAt(i)->getName(), names[i]);
    EXPECT_EQ(top->getJointAt(i)->getType(), types[i]);
    // Every joint side gets its own reference, resolved to the shared frame.
    EXPECT_EQ(top->getJointAt(i)->getBaseFrame()->getFrame(), top->getGroundAt(0)->getFrame());
  }
  EXPECT_NE(top->getJointAt(0)->getBaseFrame(), top->getJointAt(1)->getBaseFrame());
}

TEST(XmlReadTest, DuplicateRefsResolveToTheFirstBodyFrameOrTheGround) {
  auto model = readGood("duplicate_refs.xml");
  ASSERT_TRUE(model);
  auto top = model->getTopSubsystem();
  ASSERT_EQ(top->getBodyRefCount(), 2u);
  auto joint = top->getJointAt(0);
  EXPECT_EQ(joint->getFollowerFrame()->getFrame(), top->getBodyRefAt(0)->getBody()->getLinkAt(0));
  // No frame carries the base's ref any more: the reference stays empty.
  EXPECT_FALSE(joint->getBaseFrame()->getFrame());
  EXPECT_EQ(joint->getBaseFrame()->getName(), "");

  auto withGround = readGood("duplicate_refs_ground.xml");
  ASSERT_TRUE(withGround);
  auto t = withGround->getTopSubsystem();
  EXPECT_EQ(t->getJointAt(0)->getFollowerFrame()->getFrame(), t->getGroundAt(0)->getFrame());

  // A model with an unresolved side cannot be written.
  EXPECT_EQ(model->writeToXML(tmpPath("unresolved.xml")), KALOT_XML_READ_ERROR);
}

TEST(XmlReadTest, TextsOutsideTheTablesGiveFallbackValues) {
  auto model = readGood("unknown_texts.xml");
  ASSERT_TRUE(model);
  auto body = model->getTopSubsystem()->getBodyRefAt(0)->getBody();
  EXPECT_EQ(body->getName(), "\"");  // one quote character is not a quoted text
  EXPECT_EQ(static_cast<int>(body->getMassUnits()), -1);
  EXPECT_EQ(static_cast<int>(body->getLinkAt(0)->getPositionUnits()), -1);
  EXPECT_EQ(body->getLinkAt(0)->getName(), "<F>");  // CDATA, quotes removed
  auto prim = model->getTopSubsystem()->getJointAt(0)->getPrimitiveAt(0);
  EXPECT_EQ(prim->getType(), KALOT_PRIM_UNKNOWN);
  EXPECT_EQ(prim->getName(), "helical");
}

TEST(XmlReadTest, NothingOutsideTheFileIsIncluded) {
  // XInclude and schema locations are plain elements and attributes here.
  auto xinclude = readGood("hostile_xinclude.xml");
  ASSERT_TRUE(xinclude);
  EXPECT_EQ(xinclude->getCreatedBy(), "");
  auto schema = readGood("hostile_schema_location.xml");
  ASSERT_TRUE(schema);
  EXPECT_EQ(schema->getTopSubsystem()->getBodyRefCount(), 1u);
}

TEST(XmlReadTest, ErrorPointerMayBeNullAndIsResetOnSuccess) {
  EXPECT_FALSE(ZoltModel::readFromXML(nullptr, dataPath("bad_mass.xml"), MechanismSimplifier::None));
  KalotError error = KALOT_XML_READ_ERROR;
  EXPECT_TRUE(ZoltModel::readFromXML(&error, dataPath("minimal_model.xml"), MechanismSimplifier::None));
  EXPECT_EQ(error, KALOT_SUCCESS);
}

namespace {

std::string nestedSubsystems(int levels) {
  std::string text =
      "<?xml version=\"1.0\"?>\n<OmbraXMLFile><formatVersion>\"1.0.4\"</formatVersion>"
      "<name>\"Deep\"</name><VelmoraMultibody><name>\"Deep\"</name><subsystems>";
  text.reserve(static_cast<size_t>(levels) * 80 + 200);
  for (int i = 0; i < levels; ++i) text += "<Subsystem><name>\"S\"</name><subsystems>";
  for (int i = 0; i < levels; ++i) text += "</subsystems></Subsystem>";
  text += "</subsystems></VelmoraMultibody></OmbraXMLFile>\n";
  return text;
}

}  // namespace

TEST(XmlReadTest, NestingUpToTheLimitIsReadAndWrittenDeeperGivesError3) {
  const std::string path = tmpPath("nested.xml");
  writeFile(path, nestedSubsystems(ZoltReadHelper::kMaxSubsystemDepth));
  KalotError error;
  auto model = ZoltModel::readFromXML(&error, path, MechanismSimplifier::None);
  ASSERT_EQ(error, KALOT_SUCCESS);
  ASSERT_TRUE(model);
  int depth = 0;
  for (auto s = model->getTopSubsystem(); s->getSubsystemRefCount() == 1u;
       s = s->getSubsystemRefAt(0)->getSubsystem()) {
    ++depth;
  }
  EXPECT_EQ(depth, ZoltReadHelper::kMaxSubsystemDepth);
  EXPECT_EQ(model->writeToXML(tmpPath("nested_out.xml")), 0);

  for (int levels : {ZoltReadHelper::kMaxSubsystemDepth + 1, 100000}) {
    writeFile(path, nestedSubsystems(levels));
    EXPECT_FALSE(ZoltModel::readFromXML(&error, path, MechanismSimplifier::FlattenAndGroup)) << levels;
    EXPECT_EQ(error, KALOT_XML_READ_ERROR) << levels;
  }
}

TEST(XmlReadTest, DeeplyNestedValueElementsDoNotRecurse) {
  // A value whose first child is an element: its text is gathered without recursion.
  std::string text = readFile(dataPath("minimal_model.xml"));
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  deep += "\"x\"";
  for (int i = 0; i < 100000; ++i) deep += "</a>";
  const std::string from = "<createdBy>\"\"</createdBy>";
  text.replace(text.find(from), from.size(), "<createdBy>" + deep + "</createdBy>");
  const std::string path = tmpPath("deep_value.xml");
  writeFile(path, text);
  KalotError error;
  auto model = ZoltModel::readFromXML(&error, path, MechanismSimplifier::None);
  ASSERT_EQ(error, KALOT_SUCCESS);
  EXPECT_EQ(model->getCreatedBy(), "x");
}

TEST(XmlReadTest, AnyFileNameLengthWorks) {
  // 250 characters per path component; nested until the path is far past any fixed buffer.
  std::string dir = ::testing::TempDir() + "/" + std::string(250, 'd');
  const std::string leaf =
      dir + "/" + std::string(250, 'e') + "/" + std::string(250, 'f') + "/" + std::string(250, 'g');
  ASSERT_EQ(std::system(("mkdir -p '" + leaf + "'").c_str()), 0);
  const std::string path = leaf + "/" + std::string(200, 'm') + " #%?\u00e9.xml";
  ASSERT_GT(path.size(), 1000u);
  auto model = buildSampleModel();
  ASSERT_EQ(model->writeToXML(path), 0);
  KalotError error;
  auto back = ZoltModel::readFromXML(&error, path, MechanismSimplifier::None);
  EXPECT_EQ(error, KALOT_SUCCESS);
  EXPECT_TRUE(back);
  std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(XmlReadTest, ElementReadersNeedTheMultibodyContext) {
  // Any other read context is a failed conversion that ends the read.
  xercesc::XMLPlatformUtils::Initialize();
  {
    static const XMLCh kLS[] = u"LS";
    auto* impl = xercesc::DOMImplementationRegistry::getDOMImplementation(kLS);
    xercesc::DOMDocument* doc = impl->createDocument(nullptr, u"Body", nullptr);
    ReadHelper plain;
    EXPECT_THROW(Body::readFromXMLElement(doc->getDocumentElement(), plain), std::bad_cast);
    doc->release();
  }
  xercesc::XMLPlatformUtils::Terminate();
}
