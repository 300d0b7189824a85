// Every multibody file under testdata/ and every example's output exports to
// MJCF that MuJoCo loads and --verify passes, to SDFormat that libsdformat
// loads without errors, and to URDF that urdfdom parses.

#include <algorithm>
#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include <kalo_toolkit/sim_verify.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "mechanism_support.hpp"

namespace kalo_consumers {
namespace {

using namespace kalo_toolkit;

/// Readable multibody files, found when the tests are listed; the examples' outputs are
/// made by the fixtures before the tests run.
std::vector<std::string> multibodyFiles() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(KALO_TEST_DATA_DIR)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".xml") continue;
    KalotError error = KALOT_GENERIC_FAILURE;
    if (ZoltModel::readFromXML(&error, entry.path().string(), MechanismSimplifier::None))
      files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  files.push_back(modelPath("robot_arm"));
  files.push_back(modelPath("slider_crank"));
  return files;
}

std::string testName(const testing::TestParamInfo<std::string>& info) {
  std::string name = std::filesystem::relative(info.param, KALO_TEST_DATA_DIR).string();
  if (name.rfind("..", 0) == 0) name = "example_" + std::filesystem::path(info.param).stem().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

class EveryModel : public testing::TestWithParam<std::string> {};

TEST_P(EveryModel, LoadsInMujocoPassesVerifyAndLoadsInSdformatAndUrdfdom) {
  const std::string dir = scratchDir("every_" + testName({GetParam(), 0}));
  KalotError error = KALOT_GENERIC_FAILURE;
  const auto model = ZoltModel::readFromXML(&error, GetParam(), MechanismSimplifier::None);
  ASSERT_TRUE(model) << GetParam();
  sim::ExportOptions probe;
  std::string text;
  const sim::ExportResult first = sim::exportToString(*model, probe, &text);
  if (first.code != 0) {
    // A model the export cannot represent is refused with the culprit named, and no file.
    EXPECT_NE(first.error.find('\''), std::string::npos) << first.error;
    GTEST_SKIP() << "not exportable: " << first.error;
  }
  sim::ExportOptions options;
  options.verify = true;
  const sim::ExportResult mjcf = sim::exportChecked(*model, dir + "/model.mjcf", options);
  char refusal[1000] = "";
  MjModelPtr m(mj_loadXML((dir + "/model.mjcf").c_str(), nullptr, refusal, sizeof refusal));
  std::string lines;
  for (const std::string& line : mjcf.report) lines += line + "\n";
  EXPECT_TRUE(m) << refusal;
  if (hasLine(mjcf.report, "has no MuJoCo equality; dropped")) {
    // A loop MJCF cannot close: said at export, and --verify finds the extra freedom.
    EXPECT_EQ(mjcf.code, sim::kCheckFailed);
    EXPECT_TRUE(hasLine(mjcf.report, "verify FAILED: mobility with the loops closed")) << lines;
  } else {
    EXPECT_EQ(mjcf.code, 0) << mjcf.error << "\n" << lines;
  }

  options.verify = false;
  options.format = sim::Format::Sdf;
  const sim::ExportResult sdf = exportFile(GetParam(), dir + "/model.sdf", options);
  for (const std::string& e : sdformatErrors(dir + "/model.sdf")) {
    // Only a tensor the export said SDFormat may refuse (the link's name is local to its model).
    const std::regex invalid("A link named (.*) has invalid inertia\\.");
    std::smatch link;
    if (std::regex_match(e, link, invalid) &&
        (hasLine(sdf.report, "'" + link[1].str() + "': principal moments (") ||
         hasLine(sdf.report, "." + link[1].str() + "': principal moments (")))
      continue;
    ADD_FAILURE() << "SDFormat: " << e;
  }
  options.format = sim::Format::Urdf;
  exportFile(GetParam(), dir + "/model.urdf", options);
  EXPECT_TRUE(urdfdomParses(dir + "/model.urdf"));
}

INSTANTIATE_TEST_SUITE_P(Files, EveryModel, testing::ValuesIn(multibodyFiles()), testName);

}  // namespace
}  // namespace kalo_consumers
