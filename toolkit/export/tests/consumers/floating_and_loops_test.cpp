// Mechanisms handed over as a CAD plug-in would, exported to MJCF and run in
// MuJoCo: floating bases, spatial loops and a leg with a closed linkage. Every
// export here also passes --verify.

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include <kalo_toolkit/sim_verify.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "mechanism_support.hpp"
#include "plugin_models.hpp"

namespace kalo_consumers {
namespace {

using kalo_toolkit::sim::ExportOptions;

std::string convertIn(const CadAssembly& a, const std::string& dir, const std::string& name) {
  const std::string multibody = dir + "/" + name + ".xml";
  a.convert(dir + "/" + name + ".cad.xml", multibody);
  return multibody;
}

// Two parts joined by one pin, nothing fixed: six free freedoms and the hinge.
TEST(FloatingBase, APinnedPairWithNothingFixedFloatsAndFallsFreely) {
  const std::string dir = scratchDir("floating_pair");
  CadAssembly a("Pair");
  a.part("A", 1, {0, 0, 0});
  a.part("B", 2, {0.2, 0, 0});
  a.pin("A", "B", {0.1, 0, 0}, {0, 0, 1});
  std::vector<std::string> report;
  MjModelPtr m = exportToMujoco(convertIn(a, dir, "pair"), dir + "/pair.mjcf", {}, &report);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->nv, 7);
  EXPECT_EQ(jointCount(m.get(), mjJNT_FREE), 1);
  EXPECT_EQ(jointCount(m.get(), mjJNT_HINGE), 1);
  // The heavier part carries the free joint.
  const int b = mj_name2id(m.get(), mjOBJ_BODY, "B");
  ASSERT_GE(b, 0);
  EXPECT_EQ(m->jnt_type[m->body_jntadr[b]], mjJNT_FREE);
  EXPECT_TRUE(hasLine(report, "they float, 'B' (the heaviest) on a free joint"));

  // One second of free fall: the centre of mass drops by g/2 and the pair keeps its shape.
  MjDataPtr d(mj_makeData(m.get()));
  mj_forward(m.get(), d.get());
  const double z0 = d->subtree_com[2];
  for (int i = 0; i < 500; ++i) mj_step(m.get(), d.get());
  mj_forward(m.get(), d.get());
  EXPECT_NEAR(d->subtree_com[2] - z0, m->opt.gravity[2] / 2, 0.02);
}

// A quadruped: a floating trunk and four legs of three pins each.
CadAssembly quadruped() {
  CadAssembly a("Quadruped");
  a.part("Trunk", 10, {0, 0, 0.5}, {0.6, 0.3, 0.1});
  const char* legs[] = {"FL", "FR", "HL", "HR"};
  for (int k = 0; k < 4; ++k) {
    const double x = k < 2 ? 0.25 : -0.25, y = k % 2 == 0 ? 0.15 : -0.15;
    const std::string leg = legs[k];
    a.part(leg + "Hip", 0.5, {x, y, 0.5}, {0.06, 0.06, 0.06});
    a.part(leg + "Thigh", 1.0, {x, y, 0.375}, {0.04, 0.04, 0.25});
    a.part(leg + "Shank", 0.4, {x, y, 0.125}, {0.03, 0.03, 0.25});
    a.pin("Trunk", leg + "Hip", {x, y, 0.5}, {1, 0, 0});
    a.pin(leg + "Hip", leg + "Thigh", {x, y, 0.5}, {0, 1, 0});
    a.pin(leg + "Thigh", leg + "Shank", {x, y, 0.25}, {0, 1, 0});
  }
  return a;
}

std::vector<double> fullMassMatrix(const mjModel* m) {
  MjDataPtr d(mj_makeData(m));
  mj_forward(m, d.get());
  std::vector<double> full(static_cast<size_t>(m->nv * m->nv));
  mj_fullM(m, full.data(), d->qM);
  return full;
}

TEST(FloatingBase, QuadrupedFloatsAndItsFixedBaseLegsHaveTheSameMassMatrix) {
  const std::string dir = scratchDir("quadruped");
  const std::string multibody = convertIn(quadruped(), dir, "quadruped");
  MjModelPtr floating = exportToMujoco(multibody, dir + "/floating.mjcf");
  ExportOptions anchored;
  anchored.fixedBase = true;
  std::vector<std::string> report;
  MjModelPtr fixed = exportToMujoco(multibody, dir + "/fixed.mjcf", anchored, &report);
  ASSERT_TRUE(floating && fixed);
  EXPECT_EQ(floating->nv, 18);
  EXPECT_EQ(jointCount(floating.get(), mjJNT_FREE), 1);
  const int trunk = mj_name2id(floating.get(), mjOBJ_BODY, "Trunk");
  ASSERT_GE(trunk, 0);
  EXPECT_EQ(floating->jnt_type[floating->body_jntadr[trunk]], mjJNT_FREE);
  EXPECT_EQ(fixed->nv, 12);
  EXPECT_EQ(jointCount(fixed.get(), mjJNT_FREE), 0);
  EXPECT_TRUE(hasLine(report,
                      "body 'Trunk' and the 12 bodies joined to it: no joint ties them to the ground; "
                      "--fixed-base: fixed to the world where they stand"));

  // With the trunk held, the legs' joint-space inertia is the floating model's leg block.
  const std::vector<double> mf = fullMassMatrix(floating.get()), mx = fullMassMatrix(fixed.get());
  double largest = 0;
  for (double v : mx) largest = std::max(largest, std::fabs(v));
  ASSERT_GT(largest, 0);
  for (int i = 0; i < 12; ++i)
    for (int j = 0; j < 12; ++j)
      EXPECT_NEAR(mf[static_cast<size_t>((6 + i) * 18 + 6 + j)], mx[static_cast<size_t>(i * 12 + j)],
                  1e-12 * largest)
          << "row " << i << ", column " << j;
}

// A on a pin about z to the ground, B on a pin about y to A, and B pinned to
// the ground about y at a point on A's axis: only B's turn is left.
TEST(LoopClosure, SpatialLoopKeepsTheClosingHingesAxis) {
  const std::string dir = scratchDir("spatial_loop");
  CadAssembly a("SpatialLoop");
  a.part("Ground", 5, {0, 0, 0}, {0.2, 0.2, 0.2}, true);
  a.part("A", 1, {0, 0, 0.5});
  a.part("B", 1, {0.3, 0, 1});
  a.pin("Ground", "A", {0, 0, 0}, {0, 0, 1});
  a.pin("A", "B", {0, 0, 1}, {0, 1, 0});
  a.pin("Ground", "B", {0, 0, 1}, {0, 1, 0});
  const std::string multibody = convertIn(a, dir, "loop");
  MjModelPtr m = exportToMujoco(multibody, dir + "/loop.mjcf");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->nv, 2);
  EXPECT_EQ(mobility(m.get()), 1);

  // Held at its point alone, as a single connect, the closure leaves A's turn free too:
  // MuJoCo then counts two freedoms, and --verify says so.
  std::ifstream in(dir + "/loop.mjcf", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string onePoint =
      std::regex_replace(text.str(), std::regex("\\s*<connect name=\"[^\"]*\\.axis\"[^>]*/>"), "");
  ASSERT_NE(onePoint, text.str());
  std::ofstream(dir + "/one_point.mjcf", std::ios::binary) << onePoint;
  char error[1000] = "";
  MjModelPtr loose(mj_loadXML((dir + "/one_point.mjcf").c_str(), nullptr, error, sizeof error));
  ASSERT_TRUE(loose) << error;
  EXPECT_EQ(mobility(loose.get()), 2);
  KalotError readError = KALOT_GENERIC_FAILURE;
  const auto model =
      kalo_toolkit::ZoltModel::readFromXML(&readError, multibody, kalo_toolkit::MechanismSimplifier::None);
  ASSERT_TRUE(model);
  const auto checked = kalo_toolkit::sim::checkMjcf(*model, dir + "/one_point.mjcf", ExportOptions());
  EXPECT_EQ(checked.code, kalo_toolkit::sim::kCheckFailed);
  EXPECT_TRUE(hasLine(checked.report, "verify FAILED: mobility with the loops closed: MuJoCo 2 "));
}

// A leg whose knee is driven by a rod: a ball at the hip, a pin at the shank.
// Hip, thigh, shank and rod form a four-bar: one freedom.
TEST(LoopClosure, LegWithAClosedLinkageAndABallHasOneFreedom) {
  const std::string dir = scratchDir("linkage_leg");
  CadAssembly a("Leg");
  a.part("Hip", 5, {0, 0, 1}, {0.2, 0.2, 0.1}, true);
  a.part("Thigh", 1, {0, 0, 0.75}, {0.04, 0.04, 0.5});
  a.part("Shank", 0.5, {0, 0, 0.25}, {0.03, 0.03, 0.5});
  a.part("Rod", 0.2, {0.1, 0, 0.7}, {0.02, 0.02, 0.6});
  a.pin("Hip", "Thigh", {0, 0, 1}, {0, 1, 0});
  a.pin("Thigh", "Shank", {0, 0, 0.5}, {0, 1, 0});
  a.ball("Hip", "Rod", {0.1, 0, 1});
  a.pin("Rod", "Shank", {0.1, 0, 0.4}, {0, 1, 0});
  MjModelPtr m = exportToMujoco(convertIn(a, dir, "leg"), dir + "/leg.mjcf");
  ASSERT_TRUE(m);
  EXPECT_EQ(mobility(m.get()), 1);
  // The ball is the joint cut: one connect, and the rod hangs by its pin.
  EXPECT_EQ(m->neq, 1);
  EXPECT_EQ(jointCount(m.get(), mjJNT_BALL), 0);

  // Under gravity the loop stays closed: the rod's ends stay on the hip and the shank.
  MjDataPtr d(mj_makeData(m.get()));
  double worst = 0;
  for (int i = 0; i < 500; ++i) {
    mj_step(m.get(), d.get());
    for (int r = 0; r < d->nefc; ++r)
      if (d->efc_type[r] == mjCNSTR_EQUALITY) worst = std::max(worst, std::fabs(d->efc_pos[r]));
  }
  EXPECT_LT(worst, 1e-3);
}

}  // namespace
}  // namespace kalo_consumers
