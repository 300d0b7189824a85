// --verify passes on an honest export and fails, with the line naming what is
// wrong, on an MJCF file broken by hand.

#include <fstream>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include <kalo_toolkit/sim_verify.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "mechanism_support.hpp"

namespace kalo_consumers {
namespace {

using namespace kalo_toolkit;

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class VerifyBroken : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = scratchDir("verify_broken");
    KalotError error = KALOT_GENERIC_FAILURE;
    model_ = ZoltModel::readFromXML(&error, modelPath("four_bar"), MechanismSimplifier::None);
    ASSERT_TRUE(model_);
    options_.verify = true;
    const sim::ExportResult r = sim::exportChecked(*model_, dir_ + "/good.mjcf", options_);
    ASSERT_EQ(r.code, 0) << r.error;
    ASSERT_TRUE(hasLine(r.report, "verify ok: mobility with the loops closed: MuJoCo 1"));
    text_ = readText(dir_ + "/good.mjcf");
  }

  sim::ExportResult check(const std::string& text) {
    const std::string file = dir_ + "/broken.mjcf";
    std::ofstream(file, std::ios::binary) << text;
    return sim::checkMjcf(*model_, file, options_);
  }

  std::string dir_, text_;
  boost::shared_ptr<ZoltModel> model_;
  sim::ExportOptions options_;
};

TEST_F(VerifyBroken, AChangedMassFailsTheBodysLineAndTheTotal) {
  const std::string broken = std::regex_replace(
      text_, std::regex("(<body name=\"Coupler\"[^>]*>\\s*<inertial[^>]*mass=\")[^\"]*"), "$010.7");
  ASSERT_NE(broken, text_);
  const sim::ExportResult r = check(broken);
  EXPECT_EQ(r.code, sim::kCheckFailed);
  EXPECT_TRUE(hasLine(r.report, "verify FAILED: body 'Coupler': mass 0.7 kg in MuJoCo, 0.6 kg in the model"));
  EXPECT_TRUE(hasLine(r.report, "verify FAILED: total mass: MuJoCo 6.45 kg, the model 6.35 kg"));
  EXPECT_TRUE(hasLine(r.report, "verify ok: mobility"));
}

TEST_F(VerifyBroken, ARemovedClosureFailsTheMobilityLine) {
  const std::string broken = std::regex_replace(text_, std::regex("\\s*<connect [^>]*/>"), "");
  ASSERT_NE(broken, text_);
  const sim::ExportResult r = check(broken);
  EXPECT_EQ(r.code, sim::kCheckFailed);
  EXPECT_TRUE(hasLine(r.report, "verify FAILED: mobility with the loops closed: MuJoCo 3 "));
  EXPECT_TRUE(hasLine(r.report, "verify ok: mass and centre of mass at rest of all"));
}

TEST_F(VerifyBroken, AFileMujocoRefusesFailsTheCompileLine) {
  const sim::ExportResult r = check("<mujoco><worldbody><body name=\"x\"></worldbody></mujoco>");
  EXPECT_EQ(r.code, sim::kCheckFailed);
  EXPECT_TRUE(hasLine(r.report, "verify FAILED: MuJoCo does not compile"));
}

}  // namespace
}  // namespace kalo_consumers
