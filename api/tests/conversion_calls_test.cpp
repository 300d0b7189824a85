// The conversion calls of the plug-in C interface: creating the converter,
// tolerances, writing the multibody file and the message buffer.

#include <gtest/gtest.h>

#include <kalo_api/kalo_api.h>
#include <quorra_engine/quorra_engine_control.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

namespace {

using namespace kalo_toolkit;

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const double kZero[3] = {0, 0, 0};
const double kZ[3] = {0, 0, 1};
const double kInertia[6] = {1, 1, 1, 0, 0, 0};
constexpr int kLine = 1, kPlane = 2, kCylinder = 3;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class ConversionCallsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    quorra_engine_control_reset();
    kalot_set_units(KALOT_MASS_KG, KALOT_LENGTH_M);
    std::string pattern = ::testing::TempDir() + "kalo_conversion_calls_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    for (auto it = handles.rbegin(); it != handles.rend(); ++it) kalot_release_object(*it);
    kalot_disconnectfrom_quorra();
    quorra_engine_control_reset();
    std::system(("rm -rf '" + dir + "'").c_str());
  }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  void* keep(void* h) {
    handles.push_back(h);
    return h;
  }

  void* model(const char* name) {
    void* h = nullptr;
    EXPECT_EQ(kalot_create_cadmodel(&h, name, 1.0, kInertia, kZero, 0.5, 2.0, "part.stl", nullptr), 0);
    return keep(h);
  }

  void place(void* parent, const char* name, void* definition, const double* at = kZero) {
    void* r = nullptr;
    const std::string id = std::string("/Top/") + name;
    ASSERT_EQ(kalot_create_cadmodelref(&r, name, id.c_str(), definition, kIdentity, at, 1.0, 0, 0, nullptr),
              0);
    keep(r);
    ASSERT_EQ(kalot_add_refincadmodel(parent, r), 0);
  }

  void mate(void* top, const char* name, const char* path1, const char* path2, int g1, int g2,
            const double* axis1 = kZ, const double* axis2 = kZ) {
    void* c1 = nullptr;
    void* c2 = nullptr;
    void* c = nullptr;
    ASSERT_EQ(kalot_create_assemcomp_fromstr(&c1, path1, top), 0);
    keep(c1);
    ASSERT_EQ(kalot_create_assemcomp_fromstr(&c2, path2, top), 0);
    keep(c2);
    ASSERT_EQ(kalot_create_constrain(&c, name, 0, c1, c2, g1, g2, kZero, axis1, kZero, axis2), 0);
    keep(c);
    ASSERT_EQ(kalot_add_constrain(top, c), 0);
  }

  // Top with parts A and B joined by a hinge (concentric + coincident).
  void* hingedPair() {
    void* top = model("Top");
    place(top, "A", model("ADef"));
    place(top, "B", model("BDef"));
    mate(top, "Concentric", "A", "B", kCylinder, kCylinder);
    mate(top, "Coincident", "A", "B", kPlane, kPlane);
    return top;
  }

  void* converter(void* top) {
    void* h = nullptr;
    EXPECT_EQ(kalot_create_cad2zolt(&h, top, "test", "memory.asm", "today", "tester", "Top"), 0);
    return keep(h);
  }

  // Writes through `conv` into the folder; `messages` gets the buffer's text, "<null>" when none is handed
  // out.
  int write(void* conv, const std::string& file, std::string& messages) {
    char* buffer = reinterpret_cast<char*>(0x1);  // must be replaced in every case
    const int rc = kalot_write_xml(&buffer, conv, path(file).c_str());
    messages = buffer ? buffer : "<null>";
    EXPECT_EQ(kalot_release_buffer(&buffer), 0);
    return rc;
  }

  static boost::shared_ptr<ZoltModel> readBack(const std::string& file) {
    KalotError error = KALOT_SUCCESS;
    auto m = ZoltModel::readFromXML(&error, file, MechanismSimplifier::None);
    EXPECT_EQ(error, KALOT_SUCCESS) << file;
    return m;
  }

  std::string dir;
  std::vector<void*> handles;
};

TEST_F(ConversionCallsTest, CreateRefusesMissingTextsAndOutput) {
  void* top = model("Top");
  void* out = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(kalot_create_cad2zolt(&out, top, "u", nullptr, "o", "b", "M"), KALOT_GENERIC_FAILURE);
  EXPECT_EQ(out, nullptr);
  out = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(kalot_create_cad2zolt(&out, top, "u", "f", "o", "b", nullptr), KALOT_GENERIC_FAILURE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(kalot_create_cad2zolt(nullptr, top, "u", "f", "o", "b", "M"), KALOT_GENERIC_FAILURE);
}

TEST_F(ConversionCallsTest, CleanExportWritesFileAndHandsEmptyBuffer) {
  void* conv = converter(hingedPair());
  char* messages = nullptr;
  ASSERT_EQ(kalot_write_xml(&messages, conv, path("hinge.xml").c_str()), KALOT_SUCCESS);
  ASSERT_NE(messages, nullptr);
  EXPECT_STREQ(messages, "");
  EXPECT_EQ(kalot_release_buffer(&messages), 0);
  EXPECT_EQ(messages, nullptr);
  EXPECT_EQ(kalot_release_buffer(&messages), 0) << "a released buffer may be released again";
  EXPECT_EQ(kalot_release_buffer(nullptr), 0);

  auto m = readBack(path("hinge.xml"));
  ASSERT_TRUE(m);
  const Subsystem& top = *m->getTopSubsystem();
  EXPECT_EQ(m->getName(), "Top");
  EXPECT_EQ(m->getCreatedFrom(), "memory.asm");
  ASSERT_EQ(top.getGroundCount(), 1u);
  EXPECT_EQ(top.getGroundAt(0)->getName(), "RootGround");
  bool hinge = false;
  for (size_t i = 0; i < top.getJointCount(); ++i) {
    const auto j = top.getJointAt(i);
    if (j->getName() != "A--B") continue;
    hinge = j->getPrimitiveCount() == 1 && j->getPrimitiveAt(0)->getType() == KALOT_PRIM_REVOLUTE;
  }
  EXPECT_TRUE(hinge) << "the mated pair is written as a revolute joint";
}

TEST_F(ConversionCallsTest, UnsolvablePairGivesFourWithReportBlocks) {
  void* top = model("Top");
  place(top, "A", model("ADef"));
  place(top, "B", model("BDef"));
  place(top, "C", model("CDef"));
  const double x[3] = {1, 0, 0};
  mate(top, "EdgeOnFace", "A", "B", kLine, kPlane, kZ, x);
  mate(top, "Skew", "A", "C", kLine, kPlane, kZ, x);
  std::string text;
  ASSERT_EQ(write(converter(top), "welded.xml", text), KALOT_UNHANDLED_CONSTRAINT);
  const std::string rule = std::string(81, '-') + "\n";
  EXPECT_EQ(text.rfind("Constrained Parts: ", 0), 0u) << text;
  EXPECT_NE(text.find("Constrained Parts: ADef, BDef\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Constrained Parts: ADef, CDef\n"), std::string::npos) << text;
  size_t rules = 0;
  for (size_t at = text.find(rule); at != std::string::npos; at = text.find(rule, at + 1)) ++rules;
  EXPECT_EQ(rules, 2u) << text;
  EXPECT_EQ(text.substr(text.size() - rule.size()), rule);
  EXPECT_TRUE(readBack(path("welded.xml"))) << "the file is written with result 4";
}

TEST_F(ConversionCallsTest, LaterWritesReuseTheFirstConversion) {
  // Planes 1e-4 rad off the cylinder axis: a hinge only under a looser angular tolerance.
  void* top = model("Top");
  place(top, "A", model("ADef"));
  place(top, "B", model("BDef"));
  const double skew[3] = {1e-4, 0, 1};
  mate(top, "Concentric", "A", "B", kCylinder, kCylinder);
  mate(top, "Coincident", "A", "B", kPlane, kPlane, skew, skew);

  void* strict = converter(top);
  std::string text;
  const int first = write(strict, "first.xml", text);
  EXPECT_EQ(kalot_set_tolerances(strict, 1e-3, 1e-3, 0), 0);
  EXPECT_EQ(write(strict, "second.xml", text), first);
  EXPECT_EQ(readFile(path("first.xml")), readFile(path("second.xml")))
      << "tolerances set after the first write change nothing";

  void* loose = converter(top);
  EXPECT_EQ(kalot_set_tolerances(loose, 1e-3, 1e-3, 0), 0);
  EXPECT_EQ(write(loose, "loose.xml", text), KALOT_SUCCESS);
  EXPECT_NE(readFile(path("loose.xml")), readFile(path("first.xml"))) << "set before: they apply";
}

TEST_F(ConversionCallsTest, BadArgumentsGiveOneAndNoBuffer) {
  void* top = hingedPair();
  void* conv = converter(top);
  char* messages = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(kalot_write_xml(&messages, conv, nullptr), KALOT_GENERIC_FAILURE);
  EXPECT_EQ(messages, nullptr);
  EXPECT_EQ(kalot_write_xml(nullptr, conv, path("x.xml").c_str()), KALOT_GENERIC_FAILURE);
  messages = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(kalot_write_xml(&messages, top, path("x.xml").c_str()), KALOT_GENERIC_FAILURE)
      << "a model handle is not a converter";
  EXPECT_EQ(messages, nullptr);
  EXPECT_EQ(kalot_write_xml(&messages, nullptr, path("x.xml").c_str()), KALOT_GENERIC_FAILURE);
  EXPECT_EQ(kalot_set_tolerances(top, 1, 1, 1), KALOT_GENERIC_FAILURE);
  EXPECT_EQ(kalot_set_tolerances(nullptr, 1, 1, 1), KALOT_GENERIC_FAILURE);
  EXPECT_FALSE(std::ifstream(path("x.xml")).good());
}

TEST_F(ConversionCallsTest, FailedWritesStillHandAnEmptyBuffer) {
  void* noModel = nullptr;
  ASSERT_EQ(kalot_create_cad2zolt(&noModel, nullptr, "u", "f", "o", "b", "M"), 0);
  keep(noModel);
  std::string text;
  EXPECT_EQ(write(noModel, "none.xml", text), KALOT_CAD_MODEL_NOT_SET);
  EXPECT_EQ(text, "");
  EXPECT_FALSE(std::ifstream(path("none.xml")).good());
  EXPECT_EQ(write(converter(hingedPair()), "no/such/dir.xml", text), KALOT_XML_READ_ERROR);
  EXPECT_EQ(text, "");
}

// Finite inputs can still give numbers beyond the finite range (inertia times the square of a huge
// scale). The write then fails with 3, leaves no file and hands no text, also when pairs were welded;
// huge values that stay finite are written and read back.
TEST_F(ConversionCallsTest, NumbersBeyondTheFiniteRangeFailTheWrite) {
  void* top = model("Top");
  void* big = nullptr;
  ASSERT_EQ(kalot_create_cadmodel(&big, "Big", 1e300, kInertia, kZero, 1e300, 1e300, "big.stl", nullptr), 0);
  keep(big);
  place(top, "A", model("ADef"));
  place(top, "Big", big);
  std::string text;
  ASSERT_EQ(write(converter(top), "huge.xml", text), KALOT_SUCCESS);
  EXPECT_TRUE(readBack(path("huge.xml")));

  void* r = nullptr;
  ASSERT_EQ(
      kalot_create_cadmodelref(&r, "Scaled", "/Top/Scaled", big, kIdentity, kZero, 1e200, 0, 0, nullptr), 0);
  keep(r);
  ASSERT_EQ(kalot_add_refincadmodel(top, r), 0);
  const double x[3] = {1, 0, 0};
  mate(top, "Skew", "A", "Big", kLine, kPlane, kZ, x);  // welded: would be 4 if written
  EXPECT_EQ(write(converter(top), "overflow.xml", text), KALOT_XML_READ_ERROR);
  EXPECT_EQ(text, "");
  EXPECT_FALSE(std::ifstream(path("overflow.xml")).good()) << "no partial file is left";
}

TEST_F(ConversionCallsTest, WriteProbesTheHeldSessionAndReopensADeadOne) {
  void* conv = converter(hingedPair());
  std::string text;
  ASSERT_EQ(kalot_connectto_quorra(), 0);
  quorra_engine_control_kill_sessions();
  EXPECT_EQ(write(conv, "a.xml", text), KALOT_SUCCESS);
  EXPECT_EQ(quorra_engine_control_open_count(), 2u);

  quorra_engine_control_kill_sessions();
  quorra_engine_control_set_reachable(0);
  EXPECT_EQ(write(conv, "b.xml", text), KALOT_HOST_UNREACHABLE);
  EXPECT_EQ(text, "<null>");
  EXPECT_FALSE(std::ifstream(path("b.xml")).good()) << "nothing is written without the host";
}

}  // namespace
