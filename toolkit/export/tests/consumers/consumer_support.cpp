#include "consumer_support.hpp"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include <kalo_toolkit/zolt_model.hpp>

namespace kalo_consumers {

const std::vector<std::string>& modelNames() {
  static const std::vector<std::string> names{"robot_arm", "slider_crank", "four_bar", "nested_mast"};
  return names;
}

std::string modelPath(const std::string& name) {
  // The first two are made at test time; the others are committed.
  if (name == "robot_arm" || name == "slider_crank")
    return std::string(KALO_EXPORT_MODELS_DIR) + "/" + name + ".xml";
  return std::string(KALO_TEST_DATA_DIR) + "/export/" + name + ".xml";
}

std::string scratchDir(const std::string& name) {
  // ctest runs every test case in its own process, several at once: a folder named
  // only by the model would be emptied by one case while another reads its meshes.
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string owner = info ? std::string(info->test_suite_name()) + "." + info->name() : "none";
  for (char& c : owner)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_') c = '_';
  const std::filesystem::path dir =
      std::filesystem::path(testing::TempDir()) / ("kalo_consumers_" + owner) / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

void writeBinaryStl(const std::string& path, const std::vector<std::array<float, 3>>& vertices,
                    const std::vector<std::array<int, 3>>& faces) {
  std::ofstream out(path, std::ios::binary);
  const char header[80] = "kalo consumer test mesh";
  out.write(header, sizeof header);
  const auto count = static_cast<uint32_t>(faces.size());
  out.write(reinterpret_cast<const char*>(&count), sizeof count);
  for (const auto& f : faces) {
    const float normal[3] = {0, 0, 0};
    out.write(reinterpret_cast<const char*>(normal), sizeof normal);
    for (int k : f) out.write(reinterpret_cast<const char*>(vertices[static_cast<size_t>(k)].data()), 12);
    const uint16_t attributes = 0;
    out.write(reinterpret_cast<const char*>(&attributes), sizeof attributes);
  }
  ASSERT_TRUE(out.good()) << "cannot write mesh " << path;
}

void writeMeshes(const ExpectedModel& model, const std::string& dir) {
  // A tetrahedron of 100 units a side: a real volume in metres or millimetres.
  std::set<std::string> done;
  for (const ExpectedBody& b : model.bodies)
    if (!b.geometry.empty() && done.insert(b.geometry).second)
      writeBinaryStl(dir + "/" + b.geometry, {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {0, 0, 100}},
                     {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}});
}

std::string exportText(const std::string& path, kalo_toolkit::sim::Format format,
                       const std::string& meshDir) {
  KalotError error = KALOT_GENERIC_FAILURE;
  const auto model =
      kalo_toolkit::ZoltModel::readFromXML(&error, path, kalo_toolkit::MechanismSimplifier::None);
  if (!model) {
    ADD_FAILURE() << path << " does not read (result " << error << ")";
    return std::string();
  }
  kalo_toolkit::sim::ExportOptions options;
  options.format = format;
  options.meshDir = meshDir;
  // The bare mechanics: no servo holds a joint and no contact disturbs a motion.
  options.actuators = kalo_toolkit::sim::Actuators::None;
  options.collision = kalo_toolkit::sim::Collision::None;
  std::string text;
  const auto result = kalo_toolkit::sim::exportToString(*model, options, &text);
  EXPECT_EQ(result.code, 0) << path << ": " << result.error;
  return text;
}

MjModelPtr loadIntoMujoco(const std::string& text, const std::string& file, std::string* error) {
  std::ofstream(file, std::ios::binary) << text;
  char buffer[1000] = "";
  MjModelPtr m(mj_loadXML(file.c_str(), nullptr, buffer, sizeof buffer));
  *error = buffer;
  return m;
}

void loadMujocoCase(const std::string& name, MujocoCase* c) {
  if (!readExpectations(modelPath(name), &c->expected)) return;
  const std::string dir = scratchDir(name + "_mjcf");
  writeMeshes(c->expected, dir);
  const std::string text = exportText(modelPath(name), kalo_toolkit::sim::Format::Mjcf, dir);
  if (text.empty()) return;
  c->model = loadIntoMujoco(text, dir + "/" + name + ".xml", &c->error);
  EXPECT_TRUE(c->model) << name << ": MuJoCo does not compile the MJCF: " << c->error;
}

Vec3 sitePosition(const mjModel* m, const mjData* d, const std::string& site) {
  const int id = mj_name2id(m, mjOBJ_SITE, site.c_str());
  if (id < 0) {
    ADD_FAILURE() << "no MJCF site '" << site << "'";
    return {NAN, NAN, NAN};
  }
  return {d->site_xpos[3 * id], d->site_xpos[3 * id + 1], d->site_xpos[3 * id + 2]};
}

}  // namespace kalo_consumers
