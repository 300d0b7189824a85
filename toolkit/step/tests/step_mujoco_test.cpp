// The real consumer: a STEP assembly converted and exported to MJCF loads in
// MuJoCo with its meshes, with the masses, centres of mass and hinge axis that
// the solids and the bore give, and its driven hinge turns the arm about the bore.

#include <cmath>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <mujoco/mujoco.h>

#include <kalo_toolkit/cad2zolt.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/sim_export.hpp>

#include "step_fixture.hpp"

namespace kalo_step {
namespace {

using namespace testing;  // NOLINT: the fixture helpers

struct MjFree {
  void operator()(mjModel* m) const { mj_deleteModel(m); }
  void operator()(mjData* d) const { mj_deleteData(d); }
};

int bodyNamed(const mjModel* m, const std::string& suffix) {
  for (int i = 0; i < m->nbody; ++i) {
    const std::string name = mj_id2name(m, mjOBJ_BODY, i) ? mj_id2name(m, mjOBJ_BODY, i) : "";
    if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      return i;
  }
  return -1;
}

/// Imports the hinged arm from `step` (the block with a bore of radius 5 mm at (30, 30), the arm
/// whose pin sits in it, turned 30 degrees), exports it to MJCF and checks it in MuJoCo.
void expectHingedArmInMujoco(const std::string& step, const std::string& tag) {
  ImportSettings settings;
  settings.ground = "Base";
  const std::string meshes = scratch("meshes_" + tag);
  const StepImportResult r = importOrFail(step, settings, meshes);
  ASSERT_TRUE(r.model);
  kalo_toolkit::s_getDefaultCadUnit()->set(r.massUnit, r.lengthUnit);
  kalo_toolkit::Cad2Zolt converter(r.model, "test", step, "", "", "Hinge");
  ASSERT_EQ(converter.convertToZoltModel(), KALOT_SUCCESS);
  kalo_toolkit::s_getDefaultCadUnit()->set(KALOT_MASS_KG, KALOT_LENGTH_M);
  const std::string mjcf = scratch("hinge_" + tag + ".xml");
  kalo_toolkit::sim::ExportOptions options;
  const kalo_toolkit::sim::ExportResult exported =
      kalo_toolkit::sim::exportToFile(*converter.getZoltModel(), mjcf, options);
  ASSERT_EQ(exported.code, 0) << exported.error;

  char error[1000] = "";
  std::unique_ptr<mjModel, MjFree> m(mj_loadXML(mjcf.c_str(), nullptr, error, sizeof error));
  ASSERT_TRUE(m) << error;
  std::unique_ptr<mjData, MjFree> d(mj_makeData(m.get()));
  EXPECT_EQ(m->nmesh, 2);
  const int base = bodyNamed(m.get(), "Base"), arm = bodyNamed(m.get(), "Arm");
  ASSERT_GE(base, 1);
  ASSERT_GE(arm, 1);

  // Masses from the solids at 7850 kg/m^3 (mm^3 -> m^3).
  const double rho = 7850e-9;
  const double plate = 40 * 20 * 8, pin = M_PI * 25 * 20;
  EXPECT_NEAR(m->body_mass[arm], rho * (plate + pin), 1e-9);
  EXPECT_NEAR(m->body_mass[base], rho * (80 * 60 * 20 - pin), 1e-9);

  // The base is welded to the world; the arm hangs by one hinge along z through the bore's axis.
  EXPECT_EQ(m->body_jntnum[base], 0);
  ASSERT_EQ(m->body_jntnum[arm], 1);
  const int hinge = m->body_jntadr[arm];
  EXPECT_EQ(m->jnt_type[hinge], mjJNT_HINGE);
  mj_forward(m.get(), d.get());
  EXPECT_NEAR(std::fabs(d->xaxis[3 * hinge + 2]), 1.0, 1e-9);
  EXPECT_NEAR(d->xanchor[3 * hinge + 0], 0.030, 1e-9);
  EXPECT_NEAR(d->xanchor[3 * hinge + 1], 0.030, 1e-9);

  // The arm's centre of mass: plate (10, 0, 4) and pin (0, 0, -10) in its own coordinates, turned 30 degrees.
  const double lx = 10 * plate / (plate + pin), lz = (4 * plate - 10 * pin) / (plate + pin);
  const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
  EXPECT_NEAR(d->xipos[3 * arm + 0], (30 + c * lx) / 1000, 1e-9);
  EXPECT_NEAR(d->xipos[3 * arm + 1], (30 + s * lx) / 1000, 1e-9);
  EXPECT_NEAR(d->xipos[3 * arm + 2], (20 + lz) / 1000, 1e-9);

  // Driven to 0.4 rad by the hinge's position servo (the export's default actuator), the arm turns about
  // the bore: same height and distance from the axis, 0.4 rad further.
  const int q = m->jnt_qposadr[hinge];
  int servo = -1;
  for (int i = 0; i < m->nu; ++i)
    if (m->actuator_trntype[i] == mjTRN_JOINT && m->actuator_trnid[2 * i] == hinge) servo = i;
  ASSERT_GE(servo, 0);
  d->ctrl[servo] = 0.4;
  for (int i = 0; i < 4000; ++i) mj_step(m.get(), d.get());
  const double turned = d->qpos[q];
  EXPECT_NEAR(turned, 0.4, 0.01);
  const double sign = d->xaxis[3 * hinge + 2] > 0 ? 1.0 : -1.0;
  const double angle = M_PI / 6 + sign * turned;
  EXPECT_NEAR(d->xipos[3 * arm + 0], (30 + std::cos(angle) * lx) / 1000, 1e-6);
  EXPECT_NEAR(d->xipos[3 * arm + 1], (30 + std::sin(angle) * lx) / 1000, 1e-6);
  EXPECT_NEAR(d->xipos[3 * arm + 2], (20 + lz) / 1000, 1e-6);
}

TEST(StepInMujoco, HingedArmLoadsWithItsMassesAxisAndTurnsAboutTheBore) {
  StepAssembly a("Hinge");
  a.place(a.top(), a.part("Base", cut(box(0, 0, 0, 80, 60, 20), cylinder(30, 30, 0, gp_Dir(0, 0, 1), 5, 20))),
          placement(0, 0, 0), "Base");
  a.place(a.top(),
          a.part("Arm", fuse(box(-10, -10, 0, 40, 20, 8), cylinder(0, 0, -20, gp_Dir(0, 0, 1), 5, 20))),
          placement(30, 30, 20, 30), "Arm");
  const std::string step = scratch("hinge.step");
  a.write(step);
  expectHingedArmInMujoco(step, "built");
}

// The same arm modelled and written by FreeCAD 0.20 (examples/step/make_freecad_hinge.py):
// another program's STEP file gives the same model.
TEST(StepInMujoco, HingedArmWrittenByFreeCadLoadsTheSame) {
  expectHingedArmInMujoco(std::string(KALO_TEST_DATA_DIR) + "/../examples/step/freecad_hinge.step",
                          "freecad");
}

}  // namespace
}  // namespace kalo_step
