// A long serial chain (ten thousand links, the size of the benchmark's model)
// exports in every format, and its MJCF nests every body below the one
// before it without the text growing with the square of the depth.

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

namespace kalo_consumers {
namespace {

using namespace kalo_toolkit;

boost::shared_ptr<ZoltModel> chain(int n) {
  auto top = boost::make_shared<Subsystem>("Chain");
  auto model = boost::make_shared<ZoltModel>("test", "", "", "", "Chain", top);
  auto groundFrame = boost::make_shared<Frame>("G", 0, KALOT_LENGTH_M);
  top->addGround(boost::make_shared<Ground>("RootGround", groundFrame));
  boost::shared_ptr<Frame> previous = groundFrame;
  const double inertia[9] = {1e-3, 0, 0, 0, 1e-3, 0, 0, 0, 1e-3};
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const double y[3] = {0, 1, 0};
  for (int i = 0; i < n; ++i) {
    const std::string name = "L" + std::to_string(i);
    auto body = boost::make_shared<Body>(name, 0.1, KALOT_MASS_KG, inertia, KALOT_INERTIA_KG_M2, 0,
                                         KALOT_VOL_M3, 0, KALOT_SAREA_M2, "", nullptr);
    const double cg[3] = {0.01 * i + 0.005, 0, 0}, pin[3] = {0.01 * i, 0, 0}, tip[3] = {0.01 * (i + 1), 0, 0};
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
    auto joint = boost::make_shared<Joint>("J" + std::to_string(i), boost::make_shared<FrameRef>(previous),
                                           boost::make_shared<FrameRef>(pinFrame), "");
    joint->addPrimitive(KALOT_PRIM_REVOLUTE, y, "WORLD");
    top->addJoint(joint);
    previous = tipFrame;
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

}  // namespace
}  // namespace kalo_consumers
