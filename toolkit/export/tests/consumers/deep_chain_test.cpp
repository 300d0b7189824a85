// A long serial chain (ten thousand links, the size of the benchmark's model)
// exports in every format, and its MJCF nests every body below the one
// before it without the text growing with the square of the depth; chains
// deeper than MuJoCo reads in one file load from included files.

#include <filesystem>

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>

#include "mechanism_support.hpp"

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/sim_verify.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

namespace kalo_consumers {
namespace {

using namespace kalo_toolkit;

/// n links, each hinged at the tip of the one before; with `side`, one more link hinged at
/// the tip of link `side` beside the next one.
boost::shared_ptr<ZoltModel> chain(int n, int side = -1) {
  auto top = boost::make_shared<Subsystem>("Chain");
  auto model = boost::make_shared<ZoltModel>("test", "", "", "", "Chain", top);
  auto groundFrame = boost::make_shared<Frame>("G", 0, KALOT_LENGTH_M);
  top->addGround(boost::make_shared<Ground>("RootGround", groundFrame));
  boost::shared_ptr<Frame> previous = groundFrame;
  const double inertia[9] = {1e-3, 0, 0, 0, 1e-3, 0, 0, 0, 1e-3};
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const double y[3] = {0, 1, 0};
  boost::shared_ptr<Frame> branch;
  for (int i = 0; i <= n; ++i) {
    if (i == n && !branch) break;
    // The last round, when there is a side link, hangs it from the branch point.
    const bool sideLink = i == n;
    if (sideLink) previous = branch;
    const std::string name = sideLink ? std::string("Side") : "L" + std::to_string(i);
    auto body = boost::make_shared<Body>(name, 0.1, KALOT_MASS_KG, inertia, KALOT_INERTIA_KG_M2, 0,
                                         KALOT_VOL_M3, 0, KALOT_SAREA_M2, "", nullptr);
    const double x = 0.01 * (sideLink ? side + 1 : i);
    const double cg[3] = {x + 0.005, 0, 0}, pin[3] = {x, 0, 0}, tip[3] = {x + 0.01, 0, 0};
    auto cgFrame = boost::make_shared<Frame>("CG", -1, cg, KALOT_LENGTH_M, "WORLD", identity, KALOT_ANGLE_RAD,
                                             KALOT_ROT_3X3, "WORLD");
    auto pinFrame = boost::make_shared<Frame>("Pin", -1, pin, KALOT_LENGTH_M, "WORLD", identity,
                                              KALOT_ANGLE_RAD, KALOT_ROT_3X3, "WORLD");
    auto tipFrame = boost::make_shared<Frame>("Tip", -1, tip, KALOT_LENGTH_M, "WORLD", identity,
                                              KALOT_ANGLE_RAD, KALOT_ROT_3X3, "WORLD");
    for (const auto& f : {cgFrame, pinFrame, tipFrame}) {
      body->addLink(f);
      f->setParent(body);
    }
    top->addBodyRef(boost::make_shared<BodyRef>(name, body));
    auto joint = boost::make_shared<Joint>("J" + name, boost::make_shared<FrameRef>(previous),
                                           boost::make_shared<FrameRef>(pinFrame), "");
    joint->addPrimitive(KALOT_PRIM_REVOLUTE, y, "WORLD");
    top->addJoint(joint);
    previous = tipFrame;
    if (i == side) branch = tipFrame;
  }
  return model;
}

TEST(ExportDeepChain, TenThousandLinksExportInEveryFormat) {
  const int n = 10000;
  const auto model = chain(n);
  for (const sim::Format format : {sim::Format::Mjcf, sim::Format::Sdf, sim::Format::Urdf}) {
    sim::ExportOptions options;
    options.format = format;
    std::string text;
    const auto result = sim::exportToString(*model, options, &text);
    EXPECT_EQ(result.code, 0) << sim::formatName(format) << ": " << result.error;
    // Every link costs a bounded number of bytes, however deep it sits (with its actuator,
    // collision box, contact exclusion and keyframe entry).
    EXPECT_LT(text.size(), static_cast<size_t>(n) * 3000) << sim::formatName(format);
  }
}

// MuJoCo's XML reader refuses elements nested 100 deep in one file: 96 bodies below the
// world stay in the file, deeper ones go to included files of up to 96 levels each (the
// children of one body share a file), which MuJoCo reads and --verify checks against the
// model: freedoms, every body's mass and centre of mass.
TEST(ExportDeepChain, BodiesDeeperThanOneFileTakesLoadFromIncludedFiles) {
  const std::string dir = scratchDir("deep_chain");
  struct Case {
    int links;
    int side;
    int files;
    int depth;
  };
  for (const Case c : {Case{96, -1, 0, 96}, Case{97, 95, 1, 97}, Case{250, 150, 2, 250}}) {
    SCOPED_TRACE(c.links);
    const auto model = chain(c.links, c.side);
    sim::ExportOptions options;
    options.verify = true;
    const std::string stem = "chain" + std::to_string(c.links);
    const sim::ExportResult r = sim::exportChecked(*model, dir + "/" + stem + ".mjcf", options);
    std::string lines;
    for (const std::string& line : r.report) lines += line + "\n";
    EXPECT_EQ(r.code, 0) << r.error << "\n" << lines;
    char error[1000] = "";
    MjModelPtr m(mj_loadXML((dir + "/" + stem + ".mjcf").c_str(), nullptr, error, sizeof error));
    ASSERT_TRUE(m) << error;
    const int links = c.links + (c.side >= 0 ? 1 : 0);
    EXPECT_EQ(m->nbody, links + 1);
    EXPECT_EQ(m->nv, links);
    EXPECT_EQ(m->body_parentid[mj_name2id(m.get(), mjOBJ_BODY, "Side")],
              c.side >= 0 ? mj_name2id(m.get(), mjOBJ_BODY, ("L" + std::to_string(c.side)).c_str()) : 0);
    for (int k = 1; k <= c.files + 1; ++k)
      EXPECT_EQ(std::filesystem::exists(dir + "/" + stem + ".bodies-" + std::to_string(k) + ".xml"),
                k <= c.files)
          << k;
    const std::string nest = "MJCF: bodies nest " + std::to_string(c.depth) + " deep below the world; ";
    if (c.files == 0) {
      EXPECT_FALSE(hasLine(r.report, "MJCF: bodies nest")) << lines;
    } else {
      EXPECT_TRUE(
          hasLine(r.report, nest +
                                "MuJoCo's XML reader takes at most 96 in one file, so the deeper ones "
                                "are in " +
                                std::to_string(c.files) + " included file"))
          << lines;
    }
  }
  // The included files are written first: where they cannot be, the error names the first
  // and the file that would name it is not written either.
  const std::string missing = dir + "/no_such_folder/chain.mjcf";
  const sim::ExportResult unwritable = sim::exportToFile(*chain(97), missing, sim::ExportOptions());
  EXPECT_EQ(unwritable.code, 1);
  EXPECT_EQ(unwritable.error.rfind("cannot write '" + dir + "/no_such_folder/chain.bodies-1.xml'", 0), 0u)
      << unwritable.error;
  EXPECT_FALSE(std::filesystem::exists(missing));

  // A text has no folder for included files: it stays one file, and the report says MuJoCo
  // will not load it.
  std::string text;
  const sim::ExportResult r = sim::exportToString(*chain(97), sim::ExportOptions(), &text);
  EXPECT_EQ(text.find("<include"), std::string::npos);
  EXPECT_TRUE(hasLine(r.report,
                      "MJCF: bodies nest 97 deep below the world; MuJoCo's XML reader refuses more than 96 "
                      "(its limit of 100 nested XML elements), so it will not load this file"));
}

}  // namespace
}  // namespace kalo_consumers
