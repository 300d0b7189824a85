// Written files compared byte for byte with references committed from an
// earlier writer: every test file read and written again, the sample model,
// a generated model and one with every kind of text the writer must escape.
// KALO_WRITE_REFERENCES=1 rewrites the references instead of comparing.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "sample_model.hpp"

using namespace kalo_toolkit;
using namespace kalo_test;

namespace {

std::string referencePath(const std::string& name) {
  return std::string(KALO_TEST_DATA_DIR) + "/reference/multibody/" + name;
}

// Writes the model and compares (or records) the bytes; returns the writer's code.
void expectReference(const ZoltModel& model, const std::string& name) {
  const std::string out = ::testing::TempDir() + "/reference_" + name;
  ASSERT_EQ(model.writeToXML(out), KALOT_SUCCESS) << name;
  const std::string written = readFile(out);
  std::remove(out.c_str());
  if (std::getenv("KALO_WRITE_REFERENCES") != nullptr) {
    writeFile(referencePath(name), written);
    return;
  }
  const std::string expected = readFile(referencePath(name));
  ASSERT_FALSE(expected.empty()) << name;
  EXPECT_TRUE(written == expected) << name << ": written file differs from its reference";
}

// n bodies over a top and two nested subsystems, chained by joints of every
// kind, with materials, id-less frames and numbers in every text form.
boost::shared_ptr<ZoltModel> generatedModel(int n) {
  auto top = boost::make_shared<Subsystem>("Gen");
  auto model = boost::make_shared<ZoltModel>("gen", "gen.asm", "2026-01-01", "me", "Gen", top);
  model->setNodeID("Gen");
  std::vector<boost::shared_ptr<Subsystem>> subs{top};
  for (int level = 1; level <= 2; ++level) {
    auto child = boost::make_shared<Subsystem>("S" + std::to_string(level));
    child->setNodeID("Gen/S" + std::to_string(level));
    subs.back()->addSubsystemRef(boost::make_shared<SubsystemRef>("R" + std::to_string(level), child));
    subs.push_back(child);
  }
  const kalot_vis_mat_prop mat = {{0.6, 0.6, 0.65}, 0.2, 0.8, 0.3, 0.25, 0, 1e-7};
  std::vector<boost::shared_ptr<Frame>> frames;
  int id = 0;
  for (int i = 0; i < n; ++i) {
    const double in[9] = {0.0123 + i * 1e-6, 1e-14, 0, 0, 4.56e7 * i, 1e-5, 0, 1e-5, -0.0789};
    auto body = boost::make_shared<Body>("P" + std::to_string(i), 1.25 + i * 0.001, KALOT_MASS_KG, in,
                                         KALOT_INERTIA_KG_M2, 3.1e-4, KALOT_VOL_M3, 0.0421 * i,
                                         KALOT_SAREA_M2, "p.stl", i % 3 == 0 ? &mat : nullptr);
    body->setNodeID("Gen/P" + std::to_string(i));
    for (int k = 0; k < 2; ++k) {
      const double pos[3] = {i * 0.1, k * 1e-20, -123456.789 * k};
      const double c = 0.7071067811865476;
      const double rot[9] = {c, c, 0, -c, c, 0, 0, 0, 1};
      auto f =
          boost::make_shared<Frame>(k == 0 && i % 2 == 0 ? "" : "F", k == 0 && i % 5 == 0 ? -1 : id++, pos,
                                    KALOT_LENGTH_MM, "WORLD", rot, KALOT_ANGLE_DEG, KALOT_ROT_3X3, "WORLD");
      body->addLink(f);
      if (k == 1) frames.push_back(f);
    }
    subs[static_cast<size_t>(i) % subs.size()]->addBodyRef(boost::make_shared<BodyRef>("r", body));
  }
  const double axis[3] = {0.3, -4, 1e-13};
  for (int i = 1; i < n; ++i) {
    auto joint = boost::make_shared<Joint>("J" + std::to_string(i), refTo(frames[i - 1]), refTo(frames[i]),
                                           "n" + std::to_string(i));
    const KalotPrimType kinds[] = {KALOT_PRIM_REVOLUTE, KALOT_PRIM_PRISMATIC, KALOT_PRIM_SPHERICAL,
                                   KALOT_PRIM_WELD};
    joint->addPrimitive(kinds[i % 4], axis, "WORLD");
    if (i % 7 == 0) joint->setType(KALOT_JOINT_MASSLESS_CONNECTOR);
    subs[static_cast<size_t>(i) % subs.size()]->addJoint(joint);
  }
  auto ground = boost::make_shared<Ground>("RootGround", boost::make_shared<Frame>("", id++, KALOT_LENGTH_M));
  top->addGround(ground);
  return model;
}

}  // namespace

TEST(WriterReferenceTest, TestFilesReadAndWrittenAgain) {
  for (const char* name :
       {"minimal_model.xml", "sample_model.xml", "corvane_fallback.xml", "joint_order.xml",
        "layout_1_0_3.xml", "unknown_texts.xml", "hostile_xinclude.xml", "hostile_schema_location.xml"}) {
    KalotError error;
    auto model = ZoltModel::readFromXML(&error, dataPath(name), MechanismSimplifier::None);
    ASSERT_TRUE(model) << name;
    expectReference(*model, std::string("read_") + name);
  }
  for (const char* name : {"welded_arm.xml"}) {
    KalotError error;
    auto model = ZoltModel::readFromXML(&error, std::string(KALO_TEST_DATA_DIR) + "/inspect/" + name,
                                        MechanismSimplifier::FlattenAndGroup);
    ASSERT_TRUE(model) << name;
    expectReference(*model, std::string("grouped_") + name);
  }
}

TEST(WriterReferenceTest, BuiltAndGeneratedModels) {
  expectReference(*buildSampleModel(), "built_sample.xml");
  expectReference(*generatedModel(300), "generated_300.xml");

  // Every ASCII character XML allows, markup, non-ASCII text and malformed UTF-8 in names.
  auto model = buildSampleModel();
  std::string ascii = "\t\n\r";
  for (int c = 32; c < 128; ++c) ascii += static_cast<char>(c);
  auto top = model->getTopSubsystem();
  top->getBodyRefAt(0)->getBody()->setName(ascii);
  top->getBodyRefAt(1)->getBody()->setName("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80 \xff\xc3 \xed\xa0\x80 end");
  top->getJointAt(0)->setStatus("]]> <![CDATA[ x ]]> &amp; \r\n\t \"'");
  top->getGroundAt(0)->setName("  leading and trailing  ");
  model->setName("");
  expectReference(*model, "odd_texts.xml");
}
