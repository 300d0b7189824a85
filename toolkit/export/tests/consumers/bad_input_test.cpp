// Bad input gets a clear error and leaves no partial file: an unreadable
// model, a joint side whose frame does not resolve, a non-finite number and
// an output path that cannot be written.

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "consumer_support.hpp"

namespace kalo_consumers {
namespace {

namespace fs = std::filesystem;
using kalo_toolkit::sim::ExportOptions;
using kalo_toolkit::sim::Format;

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

boost::shared_ptr<kalo_toolkit::ZoltModel> read(const std::string& path) {
  KalotError error = KALOT_GENERIC_FAILURE;
  return kalo_toolkit::ZoltModel::readFromXML(&error, path, kalo_toolkit::MechanismSimplifier::None);
}

/// Exports `model` in every format onto a file that already holds "before":
/// each must fail with an error containing `needle` and leave the file and
/// its folder as they were.
void expectRefusedInEveryFormat(const kalo_toolkit::ZoltModel& model, const std::string& needle,
                                const std::string& dir) {
  for (const Format format : {Format::Mjcf, Format::Sdf, Format::Urdf}) {
    const std::string out = dir + "/out." + kalo_toolkit::sim::formatName(format);
    std::ofstream(out) << "before";
    ExportOptions options;
    options.format = format;
    const auto result = kalo_toolkit::sim::exportToFile(model, out, options);
    EXPECT_EQ(result.code, 1) << kalo_toolkit::sim::formatName(format);
    EXPECT_NE(result.error.find(needle), std::string::npos) << result.error;
    EXPECT_EQ(readText(out), "before") << kalo_toolkit::sim::formatName(format);
  }
  size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(dir)) entries += entry.is_regular_file();
  EXPECT_EQ(entries, 3u) << "a temporary file was left behind";
}

TEST(ExportBadInput, UnreadableModelFailsTheToolNamingTheFileAndWritesNothing) {
  const std::string dir = scratchDir("unreadable");
  const std::string model = std::string(KALO_TEST_DATA_DIR) + "/convert/truncated.xml";
  const std::string out = dir + "/out.xml";
  const std::string err = dir + "/stderr.txt";
  const std::string command =
      std::string(KALO_EXPORT_TOOL) + " --to mjcf '" + model + "' '" + out + "' 2>'" + err + "' >/dev/null";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(readText(err).find("truncated.xml"), std::string::npos) << readText(err);
  EXPECT_FALSE(fs::exists(out));
}

TEST(ExportBadInput, JointSideWithoutAFrameIsRefusedNamingTheJoint) {
  // The four-bar's crank pivot points at a frame id no frame has.
  const std::string dir = scratchDir("dangling");
  std::string text = readText(modelPath("four_bar"));
  const std::string side = "<base>";
  const size_t joint = text.find("\"Ground--Crank\"");
  ASSERT_NE(joint, std::string::npos);
  const size_t ref = text.find("ref=\"", text.find(side, joint));
  ASSERT_NE(ref, std::string::npos);
  text.replace(ref + 5, text.find('"', ref + 5) - (ref + 5), "999");
  const std::string path = dir + "/dangling.xml";
  std::ofstream(path) << text;
  const auto model = read(path);
  ASSERT_TRUE(model) << "the file must still read: the reference just stays unresolved";
  fs::remove(path);
  expectRefusedInEveryFormat(*model, "Ground--Crank", dir);
}

TEST(ExportBadInput, NonFiniteNumberIsRefusedNamingTheBody) {
  const std::string dir = scratchDir("nonfinite");
  const auto model = read(modelPath("four_bar"));
  ASSERT_TRUE(model);
  const auto top = model->getTopSubsystem();
  boost::shared_ptr<kalo_toolkit::Body> coupler;
  for (size_t i = 0; i < top->getBodyRefCount(); ++i)
    if (top->getBodyRefAt(i)->getBody()->getName() == "Coupler") coupler = top->getBodyRefAt(i)->getBody();
  ASSERT_TRUE(coupler);
  const double position[3] = {0.06, NAN, 0.08};
  coupler->getLinkAt(1)->setPosition(position);
  expectRefusedInEveryFormat(*model, "Coupler", dir);
}

TEST(ExportBadInput, OutputThatCannotBeWrittenIsRefusedNamingThePath) {
  const std::string dir = scratchDir("unwritable");
  const auto model = read(modelPath("four_bar"));
  ASSERT_TRUE(model);
  for (const std::string& out : {dir + "/no/such/folder/out.xml", dir}) {
    const auto result = kalo_toolkit::sim::exportToFile(*model, out, ExportOptions());
    EXPECT_EQ(result.code, 1) << out;
    EXPECT_NE(result.error.find(out), std::string::npos) << result.error;
  }
  EXPECT_TRUE(fs::is_empty(dir)) << "a temporary file was left behind";
}

}  // namespace
}  // namespace kalo_consumers
