// The settings and the body colours as SDFormat 12, urdfdom and MuJoCo read
// them back; bad settings files refused by kalo-export; the same input and
// settings giving the same bytes.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <urdf_parser/urdf_parser.h>
#include <sdf/Joint.hh>
#include <sdf/JointAxis.hh>
#include <sdf/Link.hh>
#include <sdf/Material.hh>
#include <sdf/Model.hh>
#include <sdf/Root.hh>
#include <sdf/Visual.hh>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "consumer_support.hpp"

namespace kalo_consumers {
namespace {

namespace fs = std::filesystem;
using kalo_toolkit::sim::ExportOptions;
using kalo_toolkit::sim::Format;

// Waist and shoulder limited with effort and speed; one slide of the tool plate limited only.
const char* const kArmSettings = R"({
  "joints": {
    "Base--Turret": {"range": [-2.5, 2.5], "effort": 80, "velocity": 2},
    "Shoulder.*": {"range": [-1.2, 1.4], "effort": 60, "velocity": 1.5},
    "Forearm--ToolPlate.slide2": {"range": [-0.02, 0.03]}
  }
})";

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string exportArm(Format format, const std::string& dir, const std::string& settings = kArmSettings) {
  KalotError error = KALOT_GENERIC_FAILURE;
  const auto model = kalo_toolkit::ZoltModel::readFromXML(&error, modelPath("robot_arm"),
                                                          kalo_toolkit::MechanismSimplifier::None);
  EXPECT_TRUE(model);
  if (!model) return "";
  ExportOptions options;
  options.format = format;
  options.meshDir = dir;
  options.settingsText = settings;
  std::string text;
  const auto result = kalo_toolkit::sim::exportToString(*model, options, &text);
  EXPECT_EQ(result.code, 0) << result.error;
  return text;
}

struct Limit {
  double lower, upper, effort, velocity;
};

const std::map<std::string, Limit>& armLimits() {
  static const std::map<std::string, Limit> table{{"Base--Turret", {-2.5, 2.5, 80, 2}},
                                                  {"Shoulder.Turret--UpperArm", {-1.2, 1.4, 60, 1.5}}};
  return table;
}

/// Colours of the kalo bodies with a material, by body name, alpha from transparency.
std::map<std::string, std::array<double, 4>> kaloColours() {
  std::map<std::string, std::array<double, 4>> colours;
  KalotError error = KALOT_GENERIC_FAILURE;
  const auto model = kalo_toolkit::ZoltModel::readFromXML(&error, modelPath("robot_arm"),
                                                          kalo_toolkit::MechanismSimplifier::None);
  if (!model) return colours;
  std::vector<std::pair<boost::shared_ptr<kalo_toolkit::Subsystem>, std::string>> open{
      {model->getTopSubsystem(), ""}};
  while (!open.empty()) {
    const auto [s, prefix] = open.back();
    open.pop_back();
    for (size_t i = 0; i < s->getBodyRefCount(); ++i) {
      const auto body = s->getBodyRefAt(i)->getBody();
      if (const kalot_vis_mat_prop* m = body->getColor())
        colours[prefix + body->getName()] = {m->color[0], m->color[1], m->color[2], 1 - m->transparency};
    }
    for (size_t i = 0; i < s->getSubsystemRefCount(); ++i) {
      const auto child = s->getSubsystemRefAt(i)->getSubsystem();
      open.push_back({child, prefix + child->getName() + "."});
    }
  }
  return colours;
}

TEST(ControlFormats, UrdfdomReadsTheSettingsLimitsAndTheColours) {
  ExpectedModel e;
  ASSERT_TRUE(readExpectations(modelPath("robot_arm"), &e));
  const std::string dir = scratchDir("arm_urdf_limits");
  writeMeshes(e, dir);
  const urdf::ModelInterfaceSharedPtr model = urdf::parseURDF(exportArm(Format::Urdf, dir));
  ASSERT_TRUE(model);
  for (const auto& [name, limit] : armLimits()) {
    const auto joint = model->getJoint(name);
    ASSERT_TRUE(joint) << name;
    EXPECT_EQ(joint->type, urdf::Joint::REVOLUTE) << name;
    ASSERT_TRUE(joint->limits) << name;
    EXPECT_EQ(joint->limits->lower, limit.lower);
    EXPECT_EQ(joint->limits->upper, limit.upper);
    EXPECT_EQ(joint->limits->effort, limit.effort);
    EXPECT_EQ(joint->limits->velocity, limit.velocity);
  }
  const auto slide = model->getJoint("Forearm--ToolPlate.slide2");
  ASSERT_TRUE(slide && slide->limits);
  EXPECT_EQ(slide->type, urdf::Joint::PRISMATIC);
  EXPECT_EQ(slide->limits->lower, -0.02);
  EXPECT_EQ(slide->limits->upper, 0.03);
  // A hinge with no range stays continuous.
  EXPECT_EQ(model->getJoint("UpperArm--Forearm")->type, urdf::Joint::CONTINUOUS);
  const auto colours = kaloColours();
  ASSERT_FALSE(colours.empty());
  for (const auto& [body, rgba] : colours) {
    const auto link = model->getLink(body);
    ASSERT_TRUE(link && link->visual && link->visual->material) << body;
    const urdf::Color& c = link->visual->material->color;
    EXPECT_NEAR(c.r, rgba[0], 1e-6) << body;
    EXPECT_NEAR(c.g, rgba[1], 1e-6) << body;
    EXPECT_NEAR(c.b, rgba[2], 1e-6) << body;
    EXPECT_NEAR(c.a, rgba[3], 1e-6) << body;
    EXPECT_TRUE(link->collision) << body << " has no collision element";
  }
}

TEST(ControlFormats, SdformatLoadsTheSameLimitsAndColours) {
  ExpectedModel e;
  ASSERT_TRUE(readExpectations(modelPath("robot_arm"), &e));
  const std::string dir = scratchDir("arm_sdf_limits");
  writeMeshes(e, dir);
  const std::string file = dir + "/arm.sdf";
  std::ofstream(file, std::ios::binary) << exportArm(Format::Sdf, dir);
  sdf::Root root;
  const sdf::Errors errors = root.Load(file);
  for (const sdf::Error& error : errors) ADD_FAILURE() << "SDFormat: " << error.Message();
  ASSERT_NE(root.Model(), nullptr);
  // Joints and links may sit in nested models: look them up by their scoped names.
  const auto findJoint = [&](const std::string& flat) -> const sdf::Joint* {
    const sdf::Model* model = root.Model();
    if (const sdf::Joint* j = model->JointByName(flat)) return j;
    const size_t dot = flat.find('.');
    if (dot == std::string::npos) return nullptr;
    const sdf::Model* nested = model->ModelByName(flat.substr(0, dot));
    return nested ? nested->JointByName(flat.substr(dot + 1)) : nullptr;
  };
  for (const auto& [name, limit] : armLimits()) {
    const sdf::Joint* joint = findJoint(name);
    ASSERT_NE(joint, nullptr) << name;
    ASSERT_NE(joint->Axis(0), nullptr) << name;
    EXPECT_EQ(joint->Axis(0)->Lower(), limit.lower) << name;
    EXPECT_EQ(joint->Axis(0)->Upper(), limit.upper) << name;
    EXPECT_EQ(joint->Axis(0)->Effort(), limit.effort) << name;
    EXPECT_EQ(joint->Axis(0)->MaxVelocity(), limit.velocity) << name;
  }
  for (const auto& [body, rgba] : kaloColours()) {
    const sdf::Model* model = root.Model();
    std::string local = body;
    const size_t dot = body.find('.');
    if (dot != std::string::npos && model->ModelByName(body.substr(0, dot))) {
      model = model->ModelByName(body.substr(0, dot));
      local = body.substr(dot + 1);
    }
    const sdf::Link* link = model->LinkByName(local);
    ASSERT_NE(link, nullptr) << body;
    ASSERT_GT(link->VisualCount(), 0u) << body;
    const sdf::Material* material = link->VisualByIndex(0)->Material();
    ASSERT_NE(material, nullptr) << body;
    EXPECT_NEAR(material->Diffuse().R(), rgba[0], 1e-6) << body;
    EXPECT_NEAR(material->Diffuse().G(), rgba[1], 1e-6) << body;
    EXPECT_NEAR(material->Diffuse().B(), rgba[2], 1e-6) << body;
    EXPECT_NEAR(material->Diffuse().A(), rgba[3], 1e-6) << body;
    EXPECT_GT(link->CollisionCount(), 0u) << body;
  }
}

TEST(ControlFormats, MujocoReadsTheSameLimitsAndColours) {
  ExpectedModel e;
  ASSERT_TRUE(readExpectations(modelPath("robot_arm"), &e));
  const std::string dir = scratchDir("arm_mjcf_limits");
  writeMeshes(e, dir);
  std::string error;
  const MjModelPtr m = loadIntoMujoco(exportArm(Format::Mjcf, dir), dir + "/arm.xml", &error);
  ASSERT_TRUE(m) << error;
  for (const auto& [name, limit] : armLimits()) {
    const int j = mj_name2id(m.get(), mjOBJ_JOINT, name.c_str());
    ASSERT_GE(j, 0) << name;
    EXPECT_TRUE(m->jnt_limited[j]);
    EXPECT_EQ(m->jnt_range[2 * j], limit.lower);
    EXPECT_EQ(m->jnt_range[2 * j + 1], limit.upper);
    const int a = mj_name2id(m.get(), mjOBJ_ACTUATOR, name.c_str());
    ASSERT_GE(a, 0) << name;
    EXPECT_EQ(m->actuator_forcerange[2 * a + 1], limit.effort);
    EXPECT_EQ(m->actuator_ctrlrange[2 * a], limit.lower);
  }
  EXPECT_FALSE(m->jnt_limited[mj_name2id(m.get(), mjOBJ_JOINT, "UpperArm--Forearm")]);
  for (const auto& [body, rgba] : kaloColours()) {
    const int b = mj_name2id(m.get(), mjOBJ_BODY, body.c_str());
    ASSERT_GE(b, 0) << body;
    ASSERT_GT(m->body_geomnum[b], 0) << body;
    const float* got = m->geom_rgba + 4 * m->body_geomadr[b];
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], rgba[static_cast<size_t>(i)], 1e-6) << body;
  }
}

TEST(ControlFormats, SameInputAndSettingsGiveTheSameBytes) {
  ExpectedModel e;
  ASSERT_TRUE(readExpectations(modelPath("robot_arm"), &e));
  const std::string dir = scratchDir("arm_bytes");
  writeMeshes(e, dir);
  for (const Format format : {Format::Mjcf, Format::Sdf, Format::Urdf}) {
    const std::string first = exportArm(format, dir);
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, exportArm(format, dir)) << kalo_toolkit::sim::formatName(format);
  }
  // Through the tool, from the settings file, with every option of the control set.
  const std::string settings = dir + "/arm.json";
  std::ofstream(settings) << kArmSettings;
  std::string outputs[2];
  for (int run = 0; run < 2; ++run) {
    outputs[run] = dir + "/run" + std::to_string(run) + ".xml";
    const std::string command = std::string(KALO_EXPORT_TOOL) + " --to mjcf --mesh-dir '" + dir +
                                "' --settings '" + settings + "' --sensors --floor --collision box '" +
                                modelPath("robot_arm") + "' '" + outputs[run] + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  EXPECT_EQ(readText(outputs[0]), readText(outputs[1]));
  EXPECT_NE(readText(outputs[0]).find("<jointpos"), std::string::npos);
}

struct BadSettings {
  std::string name;
  std::string text;
  std::vector<std::string> wanted;  ///< in the error text
};
void PrintTo(const BadSettings& c, std::ostream* os) { *os << c.name; }

class BadSettingsFile : public testing::TestWithParam<BadSettings> {};

TEST_P(BadSettingsFile, IsAClearErrorWithExitTwoAndNoFile) {
  const BadSettings& c = GetParam();
  const std::string dir = scratchDir("bad_settings_" + c.name);
  const std::string settings = dir + "/settings.json";
  std::ofstream(settings) << c.text;
  const std::string out = dir + "/out.xml", err = dir + "/stderr.txt";
  for (const char* format : {"mjcf", "urdf"}) {
    const std::string command = std::string(KALO_EXPORT_TOOL) + " --to " + format + " --joints '" + settings +
                                "' '" + modelPath("robot_arm") + "' '" + out + "' 2>'" + err + "' >/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2) << format;
    const std::string error = readText(err);
    EXPECT_NE(error.find("settings.json'"), std::string::npos) << error;
    for (const std::string& w : c.wanted) EXPECT_NE(error.find(w), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(out));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2)
      << "a file was left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadSettingsFile,
    testing::Values(BadSettings{"unknown_joint",
                                "{\"joints\": {\"Base--Turet\": {\"range\": [-1, 1]}}}",
                                {"line 1, column 13", "'Base--Turet'", "no joint", "'Base--Turret'"}},
                    BadSettings{"unknown_key",
                                "{\"joints\": {\"Base--Turret\": {\"rnage\": [-1, 1]}}}",
                                {"'rnage'", "unknown key"}},
                    BadSettings{"text_for_number",
                                "{\"joints\": {\"Base--Turret\": {\"effort\": \"80\"}}}",
                                {"'effort'", "string"}},
                    BadSettings{"lower_above_upper",
                                "{\"joints\": {\"Base--Turret\": {\"range\": [1, -1]}}}",
                                {"'range'", "empty"}},
                    BadSettings{"unknown_section", "{\"joint\": {}}", {"'joint'", "unknown key"}},
                    BadSettings{"not_json", "{\"joints\": {", {"not JSON"}}),
    [](const testing::TestParamInfo<BadSettings>& info) { return info.param.name; });

}  // namespace
}  // namespace kalo_consumers
