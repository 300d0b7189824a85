// Reading STEP back: names, placements, units, colours, mass properties against
// closed forms, meshes against the solid's volume.

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>

#include <gp_Ax1.hxx>

#include "step_fixture.hpp"

namespace kalo_step {
namespace {

using namespace testing;  // NOLINT: the fixture helpers
using kalo_toolkit::CadModel;
using kalo_toolkit::CadModelRef;

constexpr double kSteel = 7850.0;  // kg/m^3, the default density
constexpr double kMm3 = 1e-9;      // m^3 per mm^3

void expectRelative(double got, double want, double tolerance, const std::string& what) {
  EXPECT_LE(std::fabs(got - want), tolerance * std::fabs(want)) << what << ": " << got << " vs " << want;
}

/// The inertia tensor (Ixx, Iyy, Izz, Ixy, Ixz, Iyz) matches within a relative tolerance of its size.
void expectInertia(const double* got, const double want[6], const std::string& what) {
  const double size = std::fabs(want[0]) + std::fabs(want[1]) + std::fabs(want[2]);
  for (int i = 0; i < 6; ++i)
    EXPECT_LE(std::fabs(got[i] - want[i]), 1e-9 * size) << what << " inertia[" << i << "]: " << got[i];
}

void expectPoint(const double* got, double x, double y, double z) {
  EXPECT_NEAR(got[0], x, 1e-9);
  EXPECT_NEAR(got[1], y, 1e-9);
  EXPECT_NEAR(got[2], z, 1e-9);
}

class ReadBack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // One file per process: ctest runs the tests of this suite side by side.
    path_ =
        new std::string(::testing::TempDir() + "kalo_step_read_back_" + std::to_string(getpid()) + ".step");
    StepAssembly a("Bench");
    const TDF_Label block = a.part("Block", box(0, 0, 0, 30, 20, 10));
    a.colour(block, 0.1, 0.2, 0.3);
    const TDF_Label roller = a.part("Roller", cylinder(0, 0, 0, gp_Dir(1, 0, 0), 5, 40));
    const TDF_Label ball = a.part("Ball", sphere(0, 0, 0, 8));
    gp_Trsf turn;
    turn.SetRotation(gp_Ax1(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)), M_PI / 6);
    const TDF_Label skew = a.part("Skew", moved(box(0, 0, 0, 20, 10, 10), turn));
    const TDF_Label carriage = a.assembly("Carriage");
    a.place(carriage, block, placement(5, 0, 0), "Block");
    a.place(a.top(), block, placement(100, 0, 0, 90), "Block");
    a.place(a.top(), roller, placement(0, 50, 0, 30, gp_Dir(1, 1, 1)), "Roller");
    a.place(a.top(), ball, placement(0, 0, 100), "Ball");
    a.place(a.top(), ball, placement(0, 0, 200), "Ball");
    a.place(a.top(), skew, placement(0, -50, 0), "Skew");
    a.place(a.top(), carriage, placement(0, 0, 50, 90, gp_Dir(1, 0, 0)), "Carriage");
    a.write(*path_);
    a.write(*path_ + ".m.step", "M");
  }
  static void TearDownTestSuite() { delete path_; }

  static const CadModelRef& child(const CadModel& m, size_t i) { return *m.cadmodels.at(i); }
  static std::string* path_;
};

std::string* ReadBack::path_ = nullptr;

TEST_F(ReadBack, NamesPlacementsAndUnitsAreThoseOfTheFile) {
  const StepImportResult r = importOrFail(*path_);
  ASSERT_TRUE(r.model);
  EXPECT_EQ(r.lengthUnit, KALOT_LENGTH_MM);
  EXPECT_EQ(r.massUnit, KALOT_MASS_KG);
  const CadModel& top = *r.model;
  EXPECT_EQ(top.getName(), "Bench");
  ASSERT_EQ(top.getChildModelCount(), 6u);
  const char* names[] = {"Block", "Roller", "Ball", "Ball-1", "Skew", "Carriage"};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(child(top, i).getName(), names[i]);
  // The two balls share one definition; the sub-assembly is flexible (its parts become bodies).
  EXPECT_EQ(child(top, 2).getCadModel(), child(top, 3).getCadModel());
  EXPECT_TRUE(child(top, 5).getFlexible());
  EXPECT_FALSE(child(top, 0).getFlexible());
  EXPECT_EQ(child(child(top, 5).getCadModel() ? *child(top, 5).getCadModel() : top, 0).getCadModel(),
            child(top, 0).getCadModel());

  const auto expectPlacement = [](const CadModelRef& ref, const gp_Trsf& want) {
    SCOPED_TRACE(ref.getName());
    for (int c = 0; c < 3; ++c)
      for (int row = 0; row < 3; ++row)
        EXPECT_NEAR(ref.getRotation()[c * 3 + row], want.Value(row + 1, c + 1), 1e-12);
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(ref.getTranslation()[i], want.TranslationPart().Coord(i + 1), 1e-12);
    EXPECT_EQ(ref.getScale(), 1.0);
  };
  expectPlacement(child(top, 0), placement(100, 0, 0, 90));
  expectPlacement(child(top, 1), placement(0, 50, 0, 30, gp_Dir(1, 1, 1)));
  expectPlacement(child(top, 3), placement(0, 0, 200));
  expectPlacement(child(top, 5), placement(0, 0, 50, 90, gp_Dir(1, 0, 0)));
  expectPlacement(child(*child(top, 5).getCadModel(), 0), placement(5, 0, 0));

  // The same file in metres: the model is in metres.
  const StepImportResult m = importOrFail(*path_ + ".m.step");
  ASSERT_TRUE(m.model);
  EXPECT_EQ(m.lengthUnit, KALOT_LENGTH_M);
  EXPECT_NEAR(child(*m.model, 0).getTranslation()[0], 0.1, 1e-15);
  expectRelative(child(*m.model, 0).getCadModel()->getVolume(), 6000e-9, 1e-9, "volume in m^3");
  expectRelative(child(*m.model, 0).getCadModel()->getMass(), kSteel * 6000 * kMm3, 1e-9, "mass");
}

TEST_F(ReadBack, MassPropertiesMatchClosedForms) {
  ImportSettings settings;
  settings.densities = {{"ball", 1000.0}};
  settings.masses = {{"Roll*", 2.0}};
  const StepImportResult r = importOrFail(*path_, settings);
  ASSERT_TRUE(r.model);
  const CadModel& top = *r.model;

  // Block 30 x 20 x 10 mm, default density.
  const CadModel& block = *child(top, 0).getCadModel();
  const double mb = kSteel * 6000 * kMm3;
  expectRelative(block.getMass(), mb, 1e-9, "block mass");
  expectRelative(block.getVolume(), 6000, 1e-9, "block volume");
  expectRelative(block.getSurfaceArea(), 2 * (600 + 300 + 200), 1e-9, "block area");
  expectPoint(block.getCG(), 15, 10, 5);
  const double ib[6] = {mb * (400 + 100) / 12, mb * (900 + 100) / 12, mb * (900 + 400) / 12, 0, 0, 0};
  expectInertia(block.getInertia(), ib, "block");

  // Roller: cylinder r 5, h 40 along x, mass given as 2 kg.
  const CadModel& roller = *child(top, 1).getCadModel();
  expectRelative(roller.getMass(), 2.0, 1e-12, "roller mass");
  expectRelative(roller.getVolume(), M_PI * 25 * 40, 1e-9, "roller volume");
  expectPoint(roller.getCG(), 20, 0, 0);
  const double ir[6] = {2.0 * 25 / 2, 2.0 * (3 * 25 + 1600) / 12, 2.0 * (3 * 25 + 1600) / 12, 0, 0, 0};
  expectInertia(roller.getInertia(), ir, "roller");

  // Ball: sphere r 8 at 1000 kg/m^3 by a word pattern.
  const CadModel& ball = *child(top, 2).getCadModel();
  const double vs = 4.0 / 3.0 * M_PI * 512;
  const double ms = 1000 * vs * kMm3;
  expectRelative(ball.getMass(), ms, 1e-9, "ball mass");
  expectRelative(ball.getSurfaceArea(), 4 * M_PI * 64, 1e-9, "ball area");
  const double is[6] = {0.4 * ms * 64, 0.4 * ms * 64, 0.4 * ms * 64, 0, 0, 0};
  expectInertia(ball.getInertia(), is, "ball");

  // Skew: a 20 x 10 x 10 box turned 30 degrees about z inside its own definition. The products of
  // inertia are the tensor's (negative) off-diagonal terms: R diag(Ixx, Iyy, Izz) R^T.
  const CadModel& skew = *child(top, 4).getCadModel();
  const double mk = kSteel * 2000 * kMm3;
  const double ix = mk * 200 / 12, iy = mk * 500 / 12, iz = mk * 500 / 12;
  const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
  const double ik[6] = {c * c * ix + s * s * iy, s * s * ix + c * c * iy, iz, c * s * (ix - iy), 0, 0};
  expectInertia(skew.getInertia(), ik, "skew");
  EXPECT_LT(skew.getInertia()[3], 0);  // Ixx < Iyy turned by +30 degrees
  EXPECT_NEAR(skew.getCG()[0], c * 10 - s * 5, 1e-9);
  EXPECT_NEAR(skew.getCG()[1], s * 10 + c * 5, 1e-9);

  // The sub-assembly holds one block 5 mm along its x.
  const CadModel& carriage = *child(top, 5).getCadModel();
  expectRelative(carriage.getMass(), mb, 1e-12, "carriage mass");
  expectPoint(carriage.getCG(), 20, 10, 5);
  expectInertia(carriage.getInertia(), ib, "carriage");

  // Parts at the default density are reported; the others are not.
  const auto reported = [&r](const std::string& line) {
    return std::find(r.report.begin(), r.report.end(), line) != r.report.end();
  };
  EXPECT_TRUE(reported("Block: density 7850 kg/m³ (the default)"));
  EXPECT_TRUE(reported("Skew: density 7850 kg/m³ (the default)"));
  EXPECT_FALSE(reported("Ball: density 7850 kg/m³ (the default)"));
  EXPECT_FALSE(reported("Roller: density 7850 kg/m³ (the default)"));
}

TEST_F(ReadBack, MeshesHoldTheSolidsVolumeAndColoursReachTheMaterial) {
  const std::string meshes = scratch("meshes");
  const StepImportResult r = importOrFail(*path_, {}, meshes);
  ASSERT_TRUE(r.model);
  const CadModel& top = *r.model;
  struct Want {
    size_t child;
    const char* file;
    double volume;
  };
  for (const Want& w : {Want{0, "Block.stl", 6000.0}, Want{1, "Roller.stl", M_PI * 25 * 40},
                        Want{2, "Ball.stl", 4.0 / 3.0 * M_PI * 512}}) {
    const CadModel& part = *child(top, w.child).getCadModel();
    EXPECT_EQ(part.getGeometryFileName(), meshes + "/" + w.file);
    const double v = stlVolume(part.getGeometryFileName());
    EXPECT_LE(std::fabs(v - w.volume), 0.005 * w.volume) << w.file << ": " << v;
  }
  EXPECT_TRUE(child(top, 5).getCadModel()->getGeometryFileName().empty());
  // Without a mesh folder nothing is written and no part names a file.
  const StepImportResult bare = importOrFail(*path_);
  ASSERT_TRUE(bare.model);
  EXPECT_TRUE(child(*bare.model, 0).getCadModel()->getGeometryFileName().empty());

  const kalot_vis_mat_prop* colour = child(top, 0).getCadModel()->getMatProp();
  ASSERT_NE(colour, nullptr);
  EXPECT_NEAR(colour->color[0], 0.1, 1e-6);
  EXPECT_NEAR(colour->color[1], 0.2, 1e-6);
  EXPECT_NEAR(colour->color[2], 0.3, 1e-6);
  EXPECT_EQ(colour->transparency, 0.0);
  EXPECT_EQ(child(top, 2).getCadModel()->getMatProp(), nullptr);
}

TEST(StepFiles, UnreadableFilesFailWithTheirName) {
  const std::string path = scratch("not_step.step");
  {
    std::ofstream out(path);
    out << "ISO-10303-21;\nthis is not STEP\n";
  }
  StepImportResult r = importStep(path, {});
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(r.model);
  EXPECT_NE(r.error.find(path), std::string::npos) << r.error;
  r = importStep(scratch("missing.step"), {});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.error.find("missing.step"), std::string::npos) << r.error;
}

}  // namespace
}  // namespace kalo_step
