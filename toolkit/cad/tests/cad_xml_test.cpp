#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>

#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>

#include "../src/cad_xml_reading.hpp"

using namespace kalo_toolkit;

namespace {

const double kRotZ90[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string dataFile(const std::string& name) { return std::string(KALO_TEST_DATA_DIR) + "/cad/" + name; }

class CadXmlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "kalo_cad_xml_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    const std::string command = "rm -rf '" + dir + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }
  std::string path(const std::string& name) const { return dir + "/" + name; }

  // Content read back, with the reason of a failure.
  static boost::shared_ptr<CadModel> readContent(const std::string& file, std::string& message) {
    return detail::readCadXmlFile(file, detail::CadReadMode::Content, message);
  }

  std::string dir;
};

// Top places the definition Arm twice; Arm places Pin. The constraint ties the top itself (no comp1)
// to the Pin inside the first Arm.
boost::shared_ptr<CadModel> buildSmallModel() {
  const double topInertia[6] = {1, 2, 3, 0, 0, 0};
  const double cg[3] = {0, 0.5, 1234567.0};
  auto top = boost::make_shared<CadModel>("Top", 1e-20, topInertia, cg, 2, 3, "top.step", nullptr);
  const double armInertia[6] = {0.1, 0.2, 0.3, 1e-13, 0, 0};
  auto arm = boost::make_shared<CadModel>("Arm", 2.5, armInertia, cg, 0.001, 4, "arm.step", nullptr);
  auto pin = boost::make_shared<CadModel>("Pin", 0.25, nullptr, nullptr, 0, 0, "", nullptr);
  const kalot_vis_mat_prop mat{{1, 0.5, 0}, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
  const double t1[3] = {1e-20, 5, 0};
  auto firstArm = boost::make_shared<CadModelRef>("Arm", "n1", arm, kRotZ90, t1, 2.0, true, false, &mat);
  auto secondArm =
      boost::make_shared<CadModelRef>("Arm", "n2", arm, nullptr, nullptr, 1.0, false, true, nullptr);
  const double t2[3] = {0, 0, -0.125};
  auto pinRef = boost::make_shared<CadModelRef>("Pin", "n3", pin, nullptr, t2, 1.0, false, false, nullptr);
  arm->addCadModelRef(pinRef);
  top->addCadModelRef(firstArm);
  top->addCadModelRef(secondArm);
  AssemComp comp;
  comp.addCadModelRef(firstArm);
  comp.addCadModelRef(pinRef);
  const double loc1[3] = {0, 0, 0}, axis1[3] = {0, 0, 1}, loc2[3] = {1, 2, 3}, axis2[3] = {0, 1e-20, -1};
  top->addConstrain(
      boost::make_shared<Constrain>("Mate \"1\" <a&b>", 2, nullptr, &comp, 1, 2, loc1, axis1, loc2, axis2));
  return top;
}

// A CAD XML text whose top definition holds `inner` in place of its lists.
std::string fileWithTop(const std::string& inner,
                        const std::string& version = "<formatVersion>\"1.0.4\"</formatVersion>") {
  return "<?xml version=\"1.0\"?><OmbraXMLFile>" + version +
         "<CadModel><name>\"Top\"</name><mass>1</mass><inertia>0,0,0,0,0,0</inertia><volume>0</volume>"
         "<surfaceArea>0</surfaceArea><cg>0,0,0</cg><geometryFileName>\"\"</geometryFileName>" +
         inner + "</CadModel></OmbraXMLFile>";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

boost::shared_ptr<CadModel> bareModel(const std::string& name) {
  return boost::make_shared<CadModel>(name, 1, nullptr, nullptr, 0, 0, "", nullptr);
}

// Places `child` (may be null) inside `parent` under the name `name`.
void place(const boost::shared_ptr<CadModel>& parent, const std::string& name,
           const boost::shared_ptr<CadModel>& child) {
  parent->addCadModelRef(
      boost::make_shared<CadModelRef>(name, "", child, nullptr, nullptr, 1.0, false, false, nullptr));
}

}  // namespace

TEST_F(CadXmlTest, WritesTheWholeModelInItsFixedForm) {
  // The committed sample is the fixed text of this model, byte for byte: each reference carries its
  // definition in full, names are quoted and escaped, near-zero array entries are written as 0.
  const std::string expected = readFile(dataFile("small_assembly.xml"));
  ASSERT_FALSE(expected.empty());
  ASSERT_EQ(buildSmallModel()->writeToXML(path("small.xml")), KALOT_SUCCESS);
  EXPECT_EQ(readFile(path("small.xml")), expected);
}

TEST_F(CadXmlTest, ContentReadBackWritesTheSameFile) {
  ASSERT_EQ(buildSmallModel()->writeToXML(path("first.xml")), KALOT_SUCCESS);
  KalotError error = KALOT_GENERIC_FAILURE;
  auto back = CadModel::readContentFromXML(&error, path("first.xml"));
  ASSERT_TRUE(back);
  EXPECT_EQ(error, KALOT_SUCCESS);
  ASSERT_EQ(back->writeToXML(path("second.xml")), KALOT_SUCCESS);
  EXPECT_EQ(readFile(path("second.xml")), readFile(path("first.xml")));

  // Values and structure are back, and constraint paths resolve to the references read.
  ASSERT_EQ(back->getChildModelCount(), 2u);
  auto firstArm = back->getChildModelAt(0);
  EXPECT_TRUE(firstArm->getFlexible());
  EXPECT_TRUE(back->getChildModelAt(1)->getFixed());
  EXPECT_EQ(back->getChildModelAt(1)->getDisplayName(), "Arm-1");
  ASSERT_NE(firstArm->getMatProp(), nullptr);
  EXPECT_EQ(firstArm->getMatProp()->emission, 0.6);
  EXPECT_EQ(firstArm->getRotation()[3], -1);
  EXPECT_EQ(firstArm->getCadModel()->getVolume(), 0.001);
  EXPECT_EQ(back->getCG()[2], 1234570.0);
  auto c = back->getConstrainAt(0);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->getName(), "Mate \"1\" <a&b>");
  EXPECT_EQ(c->getComp1(), nullptr);
  ASSERT_NE(c->getComp2(), nullptr);
  EXPECT_EQ(c->getComp2()->getCadModelRefAt(0), firstArm);
  EXPECT_EQ(c->getComp2()->getCadModelRefAt(1), firstArm->getCadModel()->getChildModelAt(0));
}

TEST_F(CadXmlTest, VersionCheckingReaderYieldsNoModel) {
  writeFile(path("noversion.xml"), "<OmbraXMLFile><CadModel/></OmbraXMLFile>");
  for (const std::string& file :
       {dataFile("small_assembly.xml"), path("noversion.xml"), path("missing.xml")}) {
    KalotError error = KALOT_SUCCESS;
    EXPECT_FALSE(CadModel::readFromXML(&error, file)) << file;
    EXPECT_EQ(error, KALOT_XML_READ_ERROR) << file;
  }
}

TEST_F(CadXmlTest, ContentReaderRejectsBadDocumentsWithTheirReasons) {
  struct Case {
    const char* what;
    std::string text;     // empty: no file at all
    const char* message;  // null: any reason will do
  };
  const std::string valid = fileWithTop("<cadmodels/><constrains/>");
  const Case cases[] = {
      {"missing file", "", nullptr},
      {"not XML", "not xml at all <<<", nullptr},
      {"empty version", fileWithTop("<cadmodels/><constrains/>", "<formatVersion>\"\"</formatVersion>"),
       "No format version in file."},
      {"bad internal version",
       replaced(valid, "<CadModel>", "<internalVersion>x7</internalVersion><CadModel>"),
       "Error reading internal version of file."},
      {"missing list", fileWithTop("<cadmodels/>"), "Missing element constrains."},
      {"bad number", replaced(valid, "<mass>1", "<mass>x"), "Cannot read the value of mass."},
      {"short array",
       fileWithTop("<cadmodels><CadModelRef><name>\"A\"</name><translation>1,2</translation>"
                   "<rotation>1,0,0,0,1,0,0,0,1</rotation><flexible>0</flexible><fixed>0</fixed>"
                   "</CadModelRef></cadmodels><constrains/>"),
       "Cannot read the value of translation."},
      {"reference without definition",
       fileWithTop("<cadmodels><CadModelRef><name>\"A\"</name><translation>1,2,3</translation>"
                   "<rotation>1,0,0,0,1,0,0,0,1</rotation><flexible>0</flexible><fixed>0</fixed>"
                   "</CadModelRef></cadmodels><constrains/>"),
       "Missing element CadModel."},
      {"unknown component",
       fileWithTop(
           "<cadmodels/><constrains><Constrain><name>\"c\"</name><type>0</type><comp1>\"Nope\"</comp1>"
           "<entity1Type>0</entity1Type><entity1Location>0,0,0</entity1Location>"
           "<entity1Axis>0,0,1</entity1Axis><comp2>\"\"</comp2><entity2Type>0</entity2Type>"
           "<entity2Location>0,0,0</entity2Location><entity2Axis>0,0,1</entity2Axis>"
           "</Constrain></constrains>"),
       "No component Nope in Top."},
  };
  for (const Case& c : cases) {
    const std::string file = path(c.text.empty() ? "missing.xml" : "case.xml");
    if (!c.text.empty()) writeFile(file, c.text);
    std::string message;
    EXPECT_FALSE(readContent(file, message)) << c.what;
    if (c.message)
      EXPECT_EQ(message, c.message) << c.what;
    else
      EXPECT_FALSE(message.empty()) << c.what;
    KalotError error = KALOT_SUCCESS;
    EXPECT_FALSE(CadModel::readContentFromXML(&error, file));
    EXPECT_EQ(error, KALOT_XML_READ_ERROR) << c.what;
  }

  // A numeric internal version is accepted.
  writeFile(path("goodinternal.xml"),
            replaced(valid, "<CadModel>", "<internalVersion>7</internalVersion><CadModel>"));
  std::string message;
  EXPECT_TRUE(readContent(path("goodinternal.xml"), message)) << message;
}

TEST_F(CadXmlTest, DocumentTypeDeclarationsAreNeverProcessed) {
  for (const char* name :
       {"hostile_external_entity.xml", "hostile_entity_bomb.xml", "hostile_external_dtd.xml"}) {
    std::string message;
    EXPECT_FALSE(readContent(dataFile(name), message)) << name;
    EXPECT_EQ(message, "Document type declarations are not accepted.") << name;
    KalotError error = KALOT_SUCCESS;
    EXPECT_FALSE(CadModel::readFromXML(&error, dataFile(name)));
    EXPECT_EQ(error, KALOT_XML_READ_ERROR) << name;
  }
}

TEST_F(CadXmlTest, DeepNestingGivesAnErrorNotAStackOverflow) {
  const int levels = 5000;  // well past the reader's limit
  const std::string ref =
      "<CadModelRef><name>\"L\"</name><translation>0,0,0</translation><rotation>1,0,0,0,1,0,0,0,1</rotation>"
      "<flexible>0</flexible><fixed>0</fixed><CadModel><name>\"D\"</name><mass>1</mass>"
      "<inertia>0,0,0,0,0,0</inertia><volume>0</volume><surfaceArea>0</surfaceArea><cg>0,0,0</cg>"
      "<geometryFileName>\"\"</geometryFileName><cadmodels>";
  std::string inner = "<cadmodels>";
  for (int i = 0; i < levels; ++i) inner += ref;
  for (int i = 0; i < levels; ++i) inner += "</cadmodels><constrains/></CadModel></CadModelRef>";
  writeFile(path("deep.xml"), fileWithTop(inner + "</cadmodels><constrains/>"));

  std::string message;
  EXPECT_FALSE(readContent(path("deep.xml"), message));
  EXPECT_EQ(message, "CAD models are nested too deeply.");
  KalotError error = KALOT_SUCCESS;
  EXPECT_FALSE(CadModel::readFromXML(&error, path("deep.xml")));
  EXPECT_EQ(error, KALOT_XML_READ_ERROR);

  // Nesting of unknown elements is no problem either.
  std::string plain = "<OmbraXMLFile><formatVersion>\"1.0.4\"</formatVersion>";
  for (int i = 0; i < 100000; ++i) plain += "<x>";
  for (int i = 0; i < 100000; ++i) plain += "</x>";
  writeFile(path("plain.xml"), plain + "</OmbraXMLFile>");
  message.clear();
  EXPECT_FALSE(readContent(path("plain.xml"), message));
  EXPECT_EQ(message, "Missing element CadModel.");
}

TEST_F(CadXmlTest, NestingUpToTheLimitWritesAndReadsBack) {
  auto top = bareModel("Top");
  auto current = top;
  for (size_t depth = 1; depth < CadModel::s_maxNestingDepth; ++depth) {
    auto child = bareModel("D");
    place(current, "L", child);
    current = child;
  }
  ASSERT_EQ(top->writeToXML(path("limit.xml")), KALOT_SUCCESS);
  KalotError error = KALOT_GENERIC_FAILURE;
  EXPECT_TRUE(CadModel::readContentFromXML(&error, path("limit.xml")));
  EXPECT_EQ(error, KALOT_SUCCESS);

  // One level more is refused by the writer as well.
  place(current, "L", bareModel("D"));
  EXPECT_EQ(top->writeToXML(path("over.xml")), KALOT_XML_READ_ERROR);
}

TEST_F(CadXmlTest, UnwritableModelsAndTargetsGiveError3) {
  EXPECT_EQ(buildSmallModel()->writeToXML(path("no/such/dir/out.xml")), KALOT_XML_READ_ERROR);

  auto self = bareModel("Self");
  place(self, "S", self);
  EXPECT_EQ(self->writeToXML(path("cycle.xml")), KALOT_XML_READ_ERROR);
  self->cadmodels.clear();

  auto hollow = bareModel("Hollow");
  place(hollow, "H", boost::shared_ptr<CadModel>());
  EXPECT_EQ(hollow->writeToXML(path("hollow.xml")), KALOT_XML_READ_ERROR);
}

TEST_F(CadXmlTest, LongFileNamesWork) {
  std::string longDir = dir + "/" + std::string(150, 'd');
  ASSERT_EQ(mkdir(longDir.c_str(), 0700), 0);
  const std::string file = longDir + "/" + std::string(120, 'f') + ".xml";
  ASSERT_GT(file.size(), 199u);
  ASSERT_EQ(buildSmallModel()->writeToXML(file), KALOT_SUCCESS);
  KalotError error = KALOT_GENERIC_FAILURE;
  EXPECT_TRUE(CadModel::readContentFromXML(&error, file));
  EXPECT_EQ(error, KALOT_SUCCESS);
}
