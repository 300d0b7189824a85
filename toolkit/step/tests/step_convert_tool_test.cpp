// kalo-convert with a STEP input, end to end: multibody file, simulator model,
// CAD XML, mates written back as settings, and refused settings.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include <kalo_toolkit/cad_model.hpp>

#include "step_fixture.hpp"

namespace kalo_step {
namespace {

using namespace testing;  // NOLINT: the fixture helpers

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct ToolRun {
  int status = -1;
  std::string out, err;
};

ToolRun convert(const std::string& args) {
  const std::string out = scratch("stdout.txt"), err = scratch("stderr.txt");
  // Under LeakSanitizer, OpenCASCADE's one-off registries are not kalo's leaks.
  const std::string lsan =
      "LSAN_OPTIONS=print_suppressions=0:suppressions=" + std::string(KALO_STEP_LSAN_SUPPRESSIONS) + " ";
  const int raw = std::system((lsan + KALO_CONVERT_EXE + " " + args + " >" + out + " 2>" + err).c_str());
  return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

class ConvertStep : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = scratch("run");
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    StepAssembly a("Hinge");
    a.place(a.top(),
            a.part("Base", cut(box(0, 0, 0, 80, 60, 20), cylinder(30, 30, 0, gp_Dir(0, 0, 1), 5, 20))),
            placement(0, 0, 0), "Base");
    a.place(a.top(),
            a.part("Arm", fuse(box(-10, -10, 0, 40, 20, 8), cylinder(0, 0, -20, gp_Dir(0, 0, 1), 5, 20))),
            placement(30, 30, 20, 30), "Arm");
    step = dir + "/hinge.STEP";
    a.write(step);
    settings = dir + "/settings.json";
    std::ofstream(settings) << R"({"joints": {}, "ground": "Base", "density": {"Arm": 2700}})";
  }
  std::string dir, step, settings;
};

TEST_F(ConvertStep, WritesTheMultibodyFileMeshesAndMates) {
  const ToolRun r =
      convert(step + " " + dir + "/hinge.xml --settings " + settings + " --mates-out " + dir + "/mates.json");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Base – Arm: revolute from a 10 mm cylinder and a face, 1350 mm² contact\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Base: density 7850 kg/m³ (the default)\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Arm: density"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 constrained pairs, 0 welded"), std::string::npos) << r.out;
  EXPECT_TRUE(std::filesystem::exists(dir + "/hinge_meshes/Base.stl"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/hinge_meshes/Arm.stl"));
  // Geometry names relative to the output's folder; lengths in the file's millimetres.
  const std::string xml = slurp(dir + "/hinge.xml");
  EXPECT_NE(xml.find("hinge_meshes/Arm.stl"), std::string::npos);
  const std::string mates = slurp(dir + "/mates.json");
  ImportSettings back;
  std::string error;
  ASSERT_TRUE(parseImportSettings(mates, &back, &error)) << error << "\n" << mates;
  EXPECT_EQ(back.ground, "Base");
  ASSERT_EQ(back.pairs.size(), 1u);
  EXPECT_EQ(back.pairs[0].joint, PairJoint::Revolute);

  // The same with the output twice: byte for byte, meshes included.
  const std::string mesh = slurp(dir + "/hinge_meshes/Arm.stl");
  ASSERT_EQ(
      convert(step + " " + dir + "/again.xml --settings " + settings + " --mesh-dir " + dir + "/hinge_meshes")
          .status,
      0);
  EXPECT_EQ(slurp(dir + "/again.xml"), xml);
  EXPECT_EQ(slurp(dir + "/hinge_meshes/Arm.stl"), mesh);
  EXPECT_GT(mesh.size(), 84u);
}

TEST_F(ConvertStep, WritesSimulatorModelsAndCadXml) {
  ToolRun r = convert("--to mjcf " + step + " " + dir + "/hinge.mjcf.xml --settings " + settings);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string mjcf = slurp(dir + "/hinge.mjcf.xml");
  EXPECT_NE(mjcf.find("hinge.mjcf_meshes/Base.stl"), std::string::npos) << mjcf;
  EXPECT_NE(mjcf.find("hinge"), std::string::npos);

  r = convert(step + " " + dir + "/hinge.cad.xml --to cadxml");
  ASSERT_EQ(r.status, 0) << r.err;
  KalotError error = KALOT_SUCCESS;
  const auto model = kalo_toolkit::CadModel::readContentFromXML(&error, dir + "/hinge.cad.xml");
  ASSERT_TRUE(model) << error;
  EXPECT_EQ(model->getChildModelCount(), 2u);
  EXPECT_EQ(model->getConstrainCount(), 2u);
}

TEST_F(ConvertStep, RefusesBadSettingsAndStepOnlyOptions) {
  std::ofstream(settings) << R"({"ground": "Bse"})";
  ToolRun r = convert(step + " " + dir + "/out.xml --settings " + settings);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kalo-convert: error: settings: /ground: no part \"Bse\" in the assembly\n");
  EXPECT_FALSE(std::filesystem::exists(dir + "/out.xml"));

  std::ofstream(settings) << R"({"ground": "Base", "colour": "red"})";
  r = convert(step + " " + dir + "/out.xml --settings " + settings);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(settings + ": settings: /colour: unknown key \"colour\""), std::string::npos) << r.err;

  r = convert(std::string(KALO_TEST_DATA_DIR) + "/convert/slider_crank.xml " + dir +
              "/out.xml --mates-out m.json");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("option '--mates-out' applies only to a STEP input (.step, .stp)"), std::string::npos)
      << r.err;

  // The mates file is an output like the others: never written over the input or into a folder.
  const std::string before = slurp(step);
  std::ofstream(settings) << R"({"ground": "Base"})";
  r = convert(step + " " + dir + "/out.xml --settings " + settings + " --mates-out " + step);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("is the input file"), std::string::npos) << r.err;
  EXPECT_EQ(slurp(step), before);
  r = convert(step + " " + dir + "/out.xml --settings " + settings + " --mates-out " + dir +
              "/no_such/m.json");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write '" + dir + "/no_such/m.json'"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir + "/out.xml"));
}

}  // namespace
}  // namespace kalo_step
