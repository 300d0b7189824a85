// The tools' shared checks: file kinds from their first elements, the refusals
// of outputs that would overwrite the input or misname the format, and the
// three tools run end to end with them.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <kalo_tools/file_checks.hpp>
#include <kalo_tools/file_kind.hpp>
#include <kalo_tools/tool_version.hpp>

namespace {

namespace fs = std::filesystem;
using kalo_tools::FileKind;
using kalo_tools::OutputFormat;

const std::string kData = KALO_TEST_DATA_DIR;

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void spit(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class ToolFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(::testing::TempDir()) /
          ("tool_files_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }

  /// Runs a command; its exit status, with standard output and error in out and err.
  int run(const std::string& command) {
    const std::string full = command + " >" + (dir / "stdout").string() + " 2>" + (dir / "stderr").string();
    const int status = std::system(full.c_str());
    out = slurp(dir / "stdout");
    err = slurp(dir / "stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  int check(const kalo_tools::ToolFiles& files) {
    std::ostringstream stream;
    const int status = kalo_tools::checkToolFiles(files, stream);
    err = stream.str();
    return status;
  }

  fs::path dir;
  std::string out;
  std::string err;
};

TEST_F(ToolFiles, KindsComeFromTheFirstElements) {
  EXPECT_EQ(kalo_tools::sniffFileKind(kData + "/convert/slider_crank.xml"), FileKind::CadXml);
  EXPECT_EQ(kalo_tools::sniffFileKind(kData + "/export/four_bar.cad.xml"), FileKind::CadXml);
  EXPECT_EQ(kalo_tools::sniffFileKind(kData + "/export/slider.xml"), FileKind::MultibodyXml);
  EXPECT_EQ(kalo_tools::sniffFileKind(kData + "/multibody/sample_model.xml"), FileKind::MultibodyXml);
  spit(dir / "a.mjcf",
       "<?xml version=\"1.0\"?>\n<!-- made by hand -->\n<mujoco model=\"m\"><worldbody/></mujoco>");
  spit(dir / "a.sdf", "<?xml version=\"1.0\" ?><sdf version=\"1.9\"><model name=\"m\"/></sdf>");
  spit(dir / "a.urdf", "<robot name=\"r\"><link name=\"l\"/></robot>");
  spit(dir / "a.html", "<!DOCTYPE html>\n<html><body></body></html>");
  spit(dir / "other.xml", "<?xml version=\"1.0\"?><catalog/>");
  spit(dir / "empty.xml", "");
  EXPECT_EQ(kalo_tools::sniffFileKind((dir / "a.mjcf").string()), FileKind::Mjcf);
  EXPECT_EQ(kalo_tools::sniffFileKind((dir / "a.sdf").string()), FileKind::Sdf);
  EXPECT_EQ(kalo_tools::sniffFileKind((dir / "a.urdf").string()), FileKind::Urdf);
  EXPECT_EQ(kalo_tools::sniffFileKind((dir / "a.html").string()), FileKind::Html);
  // Nothing the tools know, nothing at all, or no file: no hint, the reader says what is wrong.
  for (const char* name : {"other.xml", "empty.xml", "missing.xml"})
    EXPECT_EQ(kalo_tools::sniffFileKind((dir / name).string()), FileKind::Unknown) << name;
  EXPECT_EQ(kalo_tools::wrongKindHint("x", FileKind::Unknown, FileKind::MultibodyXml), "");
  EXPECT_EQ(kalo_tools::wrongKindHint("x", FileKind::CadXml, FileKind::CadXml), "");
}

TEST_F(ToolFiles, RefusalsInTheirOrder) {
  const std::string input = (dir / "model.xml").string();
  spit(input, slurp(kData + "/export/slider.xml"));
  fs::create_symlink(input, dir / "link.mjcf");
  fs::create_hard_link(input, dir / "hard.mjcf");
  const auto files = [&](const std::string& output, OutputFormat format, std::string report = "") {
    return kalo_tools::ToolFiles{"kalo-export", input, FileKind::MultibodyXml, output, format, {report}};
  };
  EXPECT_EQ(check(files((dir / "out.mjcf").string(), OutputFormat::Mjcf)), 0);
  EXPECT_EQ(err, "");
  EXPECT_EQ(check(files((dir / "out").string(), OutputFormat::Urdf)), 0) << "names no format: taken";
  EXPECT_EQ(check(files(input, OutputFormat::Mjcf)), 2);
  EXPECT_EQ(err, "kalo-export: error: '" + input + "' is the input file '" + input +
                     "': refusing to write over it (name another output file)\n");
  EXPECT_EQ(check(files((dir / "link.mjcf").string(), OutputFormat::Mjcf)), 2);
  EXPECT_EQ(check(files((dir / "hard.mjcf").string(), OutputFormat::Mjcf)), 2);
  EXPECT_EQ(check(files((dir / "." / "model.xml").string(), OutputFormat::Mjcf)), 2);
  EXPECT_EQ(check(files((dir / "out.mjcf").string(), OutputFormat::Mjcf, input)), 2) << "the JSON report";
  EXPECT_EQ(check(files((dir / "out.mjcf").string(), OutputFormat::Mjcf, (dir / "out.mjcf").string())), 2);
  EXPECT_EQ(check(files(dir.string(), OutputFormat::Mjcf)), 1);
  EXPECT_EQ(err, "kalo-export: error: cannot write '" + dir.string() + "': is a directory\n");
  EXPECT_EQ(check(files((dir / "out.urdf").string(), OutputFormat::Sdf)), 2);
  EXPECT_NE(err.find("name it .sdf"), std::string::npos) << err;
  EXPECT_EQ(check(files((dir / "OUT.SDF").string(), OutputFormat::Mjcf)), 2) << "case does not matter";
  EXPECT_EQ(check(files((dir / "page.html").string(), OutputFormat::Urdf)), 2);
  for (OutputFormat xml :
       {OutputFormat::Mjcf, OutputFormat::Sdf, OutputFormat::Urdf, OutputFormat::Multibody})
    EXPECT_EQ(check(files((dir / "model2.xml").string(), xml)), 0) << "any XML format may be named .xml";
  EXPECT_EQ(check(files((dir / "model2.xml").string(), OutputFormat::Html)), 2);
  EXPECT_EQ(check(files((dir / "x.mjcf").string(), OutputFormat::Multibody)), 2);
  EXPECT_EQ(
      check(
          {"kalo-convert", input, FileKind::CadXml, (dir / "m.mjcf").string(), OutputFormat::Multibody, {}}),
      1);
  EXPECT_EQ(err,
            "kalo-convert: error: '" + input +
                "' is a multibody XML file, not a CAD XML file (an assembly); kalo-export writes it as a "
                "simulator model and kalo-inspect prints it\n");
}

TEST_F(ToolFiles, TheToolsRefuseBeforeTheyWrite) {
  const std::string input = (dir / "model.xml").string();
  const std::string cad = (dir / "arm.cad.xml").string();
  spit(input, slurp(kData + "/export/slider.xml"));
  spit(cad, slurp(kData + "/convert/slider_crank.xml"));
  fs::create_symlink(input, dir / "link.xml");
  const std::string exportTool = KALO_EXPORT_EXE, convertTool = KALO_CONVERT_EXE,
                    inspectTool = KALO_INSPECT_EXE;
  const std::string before = slurp(input);

  EXPECT_EQ(run(exportTool + " --to mjcf " + input + " " + (dir / "link.xml").string()), 2);
  EXPECT_NE(err.find("refusing to write over it"), std::string::npos) << err;
  EXPECT_EQ(run(convertTool + " " + cad + " " + cad), 2);
  EXPECT_EQ(slurp(input), before);
  EXPECT_TRUE(fs::is_symlink(dir / "link.xml"));
  EXPECT_EQ(run(exportTool + " --to mjcf " + input + " " + dir.string()), 1);
  EXPECT_EQ(err, "kalo-export: error: cannot write '" + dir.string() + "': is a directory\n");
  EXPECT_EQ(run(exportTool + " --to urdf " + input + " " + (dir / "x.sdf").string()), 2);
  EXPECT_FALSE(fs::exists(dir / "x.sdf"));

  // A CAD file where a multibody file belongs, and the other way round.
  EXPECT_EQ(run(exportTool + " --to mjcf " + cad + " " + (dir / "x.mjcf").string()), 1);
  EXPECT_NE(err.find("is a CAD XML file (an assembly), not a multibody XML file; kalo-convert reads it"),
            std::string::npos)
      << err;
  EXPECT_EQ(run(inspectTool + " " + cad), 1);
  EXPECT_NE(err.find("kalo-inspect: error: '" + cad + "' is a CAD XML file"), std::string::npos) << err;
  EXPECT_EQ(run(convertTool + " " + input + " " + (dir / "y.xml").string()), 1);
  EXPECT_NE(err.find("is a multibody XML file, not a CAD XML file"), std::string::npos) << err;
  // A simulator file given to any of them.
  ASSERT_EQ(run(exportTool + " --to mjcf " + input + " " + (dir / "made.mjcf").string()), 0) << err;
  for (const std::string& tool : {exportTool + " --to sdf", inspectTool, convertTool}) {
    const std::string output = tool == inspectTool ? "" : " " + (dir / "z.sdf").string();
    EXPECT_EQ(run(tool + " " + (dir / "made.mjcf").string() + output), 1) << tool;
    EXPECT_NE(err.find("is an MJCF (MuJoCo) file"), std::string::npos) << err;
    EXPECT_NE(err.find("MuJoCo reads it"), std::string::npos) << err;
  }
  EXPECT_FALSE(fs::exists(dir / "z.sdf"));

  // An output named .mjcf gets MJCF, never a multibody file under that name.
  ASSERT_EQ(run(convertTool + " " + cad + " " + (dir / "crank.mjcf").string()), 0) << err;
  EXPECT_EQ(kalo_tools::sniffFileKind((dir / "crank.mjcf").string()), FileKind::Mjcf);
  EXPECT_NE(out.find("(mjcf)"), std::string::npos) << out;
  ASSERT_EQ(run(convertTool + " --mesh-dir meshes " + cad + " " + (dir / "crank.urdf").string()), 0) << err;
  EXPECT_EQ(kalo_tools::sniffFileKind((dir / "crank.urdf").string()), FileKind::Urdf);
  EXPECT_EQ(run(convertTool + " --to sdf " + cad + " " + (dir / "crank2.urdf").string()), 2);
}

TEST_F(ToolFiles, EveryToolHasTheProjectVersion) {
  EXPECT_EQ(kalo_tools::versionText("kalo-x"), std::string("kalo-x (Kalo) ") + KALO_VERSION + "\n");
  for (const std::string& tool :
       {std::string(KALO_EXPORT_EXE), std::string(KALO_CONVERT_EXE), std::string(KALO_INSPECT_EXE)}) {
    const std::string name = fs::path(tool).filename().string();
    EXPECT_EQ(run(tool + " --version"), 0) << tool;
    EXPECT_EQ(out, kalo_tools::versionText(name));
    EXPECT_EQ(err, "");
    // Before anything else on the command line, even an incomplete one.
    EXPECT_EQ(run(tool + " --simplify 1 --version"), 0) << tool;
    EXPECT_EQ(out, kalo_tools::versionText(name));
    EXPECT_EQ(run(tool + " --help"), 0);
    EXPECT_NE(out.find("--version"), std::string::npos) << name;
  }
  EXPECT_FALSE(kalo_tools::asksForVersion({"--", "--version"}));
}

}  // namespace
