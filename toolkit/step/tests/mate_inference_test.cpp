// Mates inferred from the geometry of STEP assemblies, and the joints that
// kalo's converter makes of them.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/cad2zolt.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/constrain.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>

#include <BRepPrimAPI_MakeCone.hxx>

#include "step_fixture.hpp"

namespace kalo_step {
namespace {

using namespace testing;  // NOLINT: the fixture helpers
using kalo_toolkit::CadModel;
using kalo_toolkit::Constrain;
using kalo_toolkit::Joint;

// ---- the fixtures (millimetres) ---------------------------------------------------------------------

/// A block 80 x 60 x 20 with a bore of radius 5 at (30, 30) through it.
TopoDS_Shape boredBase() {
  return cut(box(0, 0, 0, 80, 60, 20), cylinder(30, 30, 0, gp_Dir(0, 0, 1), 5, 20));
}

/// A plate 40 x 20 x 8 with a pin of radius 5 and length 20 below its origin.
TopoDS_Shape pinnedArm() {
  return fuse(box(-10, -10, 0, 40, 20, 8), cylinder(0, 0, -20, gp_Dir(0, 0, 1), 5, 20));
}

/// A bolt: head radius 5, 4 high, on a shank of radius 3, 10 long, below the origin.
TopoDS_Shape bolt() {
  return fuse(cylinder(0, 0, 0, gp_Dir(0, 0, 1), 5, 4), cylinder(0, 0, -10, gp_Dir(0, 0, 1), 3, 10));
}

std::string pinInBore(const std::string& file) {
  StepAssembly a("Hinge");
  a.place(a.top(), a.part("Base", boredBase()), placement(0, 0, 0), "Base");
  a.place(a.top(), a.part("Arm", pinnedArm()), placement(30, 30, 20, 30), "Arm");
  a.write(file);
  return file;
}

std::string slider(const std::string& file) {
  StepAssembly a("Slide");
  a.place(a.top(), a.part("Rail", cut(box(0, 0, 0, 100, 30, 20), box(0, 10, 10, 100, 10, 10))),
          placement(0, 0, 0), "Rail");
  a.place(a.top(), a.part("Slider", box(0, 0, 0, 20, 10, 10)), placement(40, 10, 10), "Slider");
  a.write(file);
  return file;
}

std::string ballInSocket(const std::string& file) {
  StepAssembly a("Joint");
  a.place(a.top(), a.part("Socket", cut(box(0, 0, 0, 40, 40, 20), sphere(20, 20, 20, 8))), placement(0, 0, 0),
          "Socket");
  a.place(a.top(), a.part("Ball", sphere(0, 0, 0, 8)), placement(20, 20, 20), "Ball");
  a.write(file);
  return file;
}

/// A plate with a clearance hole (radius 3.25) at (15, 15) and a tight one (radius 3) at (35, 15), a bolt in
/// each.
std::string boltedPlate(const std::string& file) {
  StepAssembly a("Bolted");
  const TopoDS_Shape plate =
      cut(cut(box(0, 0, 0, 50, 30, 10), cylinder(15, 15, 0, gp_Dir(0, 0, 1), 3.25, 10)),
          cylinder(35, 15, 0, gp_Dir(0, 0, 1), 3, 10));
  a.place(a.top(), a.part("Plate", plate), placement(0, 0, 0), "Plate");
  const TDF_Label b = a.part("M6 Bolt", bolt());
  a.place(a.top(), b, placement(15, 15, 10), "Loose");
  a.place(a.top(), b, placement(35, 15, 10), "Tight");
  a.write(file);
  return file;
}

// ---- helpers --------------------------------------------------------------------------------------

struct Converted {
  explicit Converted(const StepImportResult& r) : converter(r.model, "test", "step", "", "", "Model") {
    kalo_toolkit::s_getDefaultCadUnit()->set(r.massUnit, r.lengthUnit);
    EXPECT_EQ(converter.convertToZoltModel(), KALOT_SUCCESS);
  }
  ~Converted() { kalo_toolkit::s_getDefaultCadUnit()->set(KALOT_MASS_KG, KALOT_LENGTH_M); }

  /// The joint of the pair whose constraint names start with `label` ("Base|Arm").
  const kalo_toolkit::Cad2Zolt::PairRecord* pair(const std::string& label) const {
    for (const auto& p : converter.getPairRecords())
      if (!p.constraintNames.empty() && p.constraintNames[0].compare(0, label.size() + 1, label + ":") == 0)
        return &p;
    return nullptr;
  }
  kalo_toolkit::Cad2Zolt converter;
};

std::vector<std::string> constraintsOf(const CadModel& m) {
  std::vector<std::string> out;
  for (const auto& c : m.constrains)
    out.push_back(c->getName() + " " + std::to_string(c->getType()) + "/" +
                  std::to_string(c->getEntity1Type()) + "/" + std::to_string(c->getEntity2Type()));
  return out;
}

void expectAxis(const Joint& j, size_t i, KalotPrimType type, const gp_Dir& axis) {
  ASSERT_LT(i, j.getPrimitiveCount());
  const auto p = j.getPrimitiveAt(i);
  EXPECT_EQ(p->getType(), type) << "primitive " << i;
  const double* a = p->getAxis();
  EXPECT_NEAR(std::fabs(a[0] * axis.X() + a[1] * axis.Y() + a[2] * axis.Z()), 1.0, 1e-9) << "primitive " << i;
}

std::vector<KalotPrimType> primitiveTypes(const Joint& j) {
  std::vector<KalotPrimType> out;
  for (size_t i = 0; i < j.getPrimitiveCount(); ++i) out.push_back(j.getPrimitiveAt(i)->getType());
  return out;
}

bool reported(const StepImportResult& r, const std::string& line) {
  return std::find(r.report.begin(), r.report.end(), line) != r.report.end();
}

// ---- tests ----------------------------------------------------------------------------------------

TEST(MateInference, PinInABoreIsARevoluteAboutTheBoresAxis) {
  const StepImportResult r = importOrFail(pinInBore(scratch("hinge.step")));
  ASSERT_TRUE(r.model);
  EXPECT_EQ(constraintsOf(*r.model),
            (std::vector<std::string>{"Base|Arm:axis1 0/1/1", "Base|Arm:face1 0/2/2"}));
  // Contact: the pin's 20 mm of a radius 5 cylinder, and the plate's 40 x 20 underside less the pin.
  const double area = 20 * 2 * M_PI * 5 + 800 - M_PI * 25;
  EXPECT_EQ(std::lround(area), 1350);
  EXPECT_TRUE(reported(r, "Base – Arm: revolute from a 10 mm cylinder and a face, 1350 mm² contact"));
  ASSERT_EQ(r.pairs.size(), 1u);
  EXPECT_EQ(r.pairs[0].joint, "revolute");
  EXPECT_EQ(r.pairs[0].origin, "geometry");

  // The axis entity lies on the bore's axis in the base's coordinates, and on the pin's in the arm's.
  const Constrain& axis = *r.model->constrains[0];
  EXPECT_NEAR(axis.getEntity1Location()[0], 30, 1e-9);
  EXPECT_NEAR(axis.getEntity1Location()[1], 30, 1e-9);
  EXPECT_NEAR(axis.getEntity2Location()[0], 0, 1e-9);
  EXPECT_NEAR(axis.getEntity2Location()[1], 0, 1e-9);
  EXPECT_NEAR(std::fabs(axis.getEntity2Axis()[2]), 1, 1e-12);

  const Converted c(r);
  const auto* pair = c.pair("Base|Arm");
  ASSERT_NE(pair, nullptr);
  EXPECT_EQ(pair->status, KALOT_SUCCESS) << pair->report;
  ASSERT_EQ(primitiveTypes(*pair->joint), (std::vector<KalotPrimType>{KALOT_PRIM_REVOLUTE}));
  expectAxis(*pair->joint, 0, KALOT_PRIM_REVOLUTE, gp_Dir(0, 0, 1));
  const double* at = pair->joint->getBaseFrame()->getFrame()->getPosition();
  EXPECT_NEAR(at[0], 30, 1e-6);
  EXPECT_NEAR(at[1], 30, 1e-6);
}

TEST(MateInference, SliderInASlotIsPrismaticAlongTheSlot) {
  const StepImportResult r = importOrFail(slider(scratch("slide.step")));
  ASSERT_TRUE(r.model);
  // Floor and both walls.
  EXPECT_EQ(constraintsOf(*r.model),
            (std::vector<std::string>{"Rail|Slider:face1 0/2/2", "Rail|Slider:face2 0/2/2",
                                      "Rail|Slider:face3 0/2/2"}));
  EXPECT_TRUE(reported(r, "Rail – Slider: prismatic from 3 faces, 600 mm² contact"));
  const Converted c(r);
  const auto* pair = c.pair("Rail|Slider");
  ASSERT_NE(pair, nullptr);
  EXPECT_EQ(pair->status, KALOT_SUCCESS) << pair->report;
  ASSERT_EQ(primitiveTypes(*pair->joint), (std::vector<KalotPrimType>{KALOT_PRIM_PRISMATIC}));
  expectAxis(*pair->joint, 0, KALOT_PRIM_PRISMATIC, gp_Dir(1, 0, 0));
}

TEST(MateInference, BallInASocketIsSphericalAtTheCentre) {
  const StepImportResult r = importOrFail(ballInSocket(scratch("socket.step")));
  ASSERT_TRUE(r.model);
  EXPECT_EQ(constraintsOf(*r.model), (std::vector<std::string>{"Socket|Ball:ball1 0/0/0"}));
  EXPECT_TRUE(reported(r, "Socket – Ball: ball from a 16 mm sphere"));
  const Converted c(r);
  const auto* pair = c.pair("Socket|Ball");
  ASSERT_NE(pair, nullptr);
  ASSERT_EQ(primitiveTypes(*pair->joint), (std::vector<KalotPrimType>{KALOT_PRIM_SPHERICAL}));
  for (const auto& side : {pair->joint->getBaseFrame(), pair->joint->getFollowerFrame()}) {
    const double* at = side->getFrame()->getPosition();
    EXPECT_NEAR(at[0], 20, 1e-6);
    EXPECT_NEAR(at[1], 20, 1e-6);
    EXPECT_NEAR(at[2], 20, 1e-6);
  }
}

TEST(MateInference, BoltsAreWeldedUnlessTheSettingsSayOtherwise) {
  const std::string file = boltedPlate(scratch("bolted.step"));
  StepImportResult r = importOrFail(file);
  ASSERT_TRUE(r.model);
  // Both bolts: welded by the fastener rule, whatever their fit.
  EXPECT_EQ(constraintsOf(*r.model),
            (std::vector<std::string>{"Plate|Loose:fixed1 7/0/0", "Plate|Tight:fixed1 7/0/0"}));
  EXPECT_TRUE(reported(r, "Plate – Tight: fixed (fastener Tight) from a 6 mm cylinder and a face, " +
                              std::to_string(std::lround(10 * 2 * M_PI * 3 + M_PI * (25 - 9))) +
                              " mm² contact"));
  {
    const Converted c(r);
    const auto* tight = c.pair("Plate|Tight");
    ASSERT_NE(tight, nullptr);
    EXPECT_EQ(primitiveTypes(*tight->joint), (std::vector<KalotPrimType>{KALOT_PRIM_WELD}));
  }

  // One pair ignored (no constraint: the bolt floats), the other turned into a revolute.
  ImportSettings settings;
  settings.pairs = {{"Loose", "Plate", PairJoint::Ignore}, {"Plate", "Tight", PairJoint::Revolute}};
  r = importOrFail(file, settings);
  ASSERT_TRUE(r.model);
  EXPECT_EQ(constraintsOf(*r.model),
            (std::vector<std::string>{"Plate|Tight:axis1 0/1/1", "Plate|Tight:stop1 0/2/2"}));
  EXPECT_TRUE(reported(r, "Plate – Loose: ignored (settings)"));
  {
    const Converted c(r);
    EXPECT_EQ(c.pair("Plate|Loose"), nullptr);
    const auto* tight = c.pair("Plate|Tight");
    ASSERT_NE(tight, nullptr);
    ASSERT_EQ(primitiveTypes(*tight->joint), (std::vector<KalotPrimType>{KALOT_PRIM_REVOLUTE}));
    expectAxis(*tight->joint, 0, KALOT_PRIM_REVOLUTE, gp_Dir(0, 0, 1));
    const double* at = tight->joint->getBaseFrame()->getFrame()->getPosition();
    EXPECT_NEAR(at[0], 35, 1e-6);
    EXPECT_NEAR(at[1], 15, 1e-6);
  }
}

TEST(MateInference, AClearanceFitMatesOnlyWithinTheClearance) {
  const std::string file = boltedPlate(scratch("bolted.step"));
  ImportSettings settings;
  settings.fasteners.clear();
  // 0.25 mm of radial play: within the default 0.5 mm, the loose bolt turns in its hole.
  StepImportResult r = importOrFail(file, settings);
  ASSERT_TRUE(r.model);
  EXPECT_EQ(constraintsOf(*r.model),
            (std::vector<std::string>{"Plate|Loose:axis1 0/1/1", "Plate|Loose:face1 0/2/2",
                                      "Plate|Tight:axis1 0/1/1", "Plate|Tight:face1 0/2/2"}));
  EXPECT_EQ(r.pairs.at(0).joint, "revolute");
  {
    const Converted c(r);
    const auto* loose = c.pair("Plate|Loose");
    ASSERT_NE(loose, nullptr);
    ASSERT_EQ(primitiveTypes(*loose->joint), (std::vector<KalotPrimType>{KALOT_PRIM_REVOLUTE}));
    const double* at = loose->joint->getBaseFrame()->getFrame()->getPosition();
    EXPECT_NEAR(at[0], 15, 1e-6);
    EXPECT_NEAR(at[1], 15, 1e-6);
  }
  // At 0.1 mm the loose bolt only sits on the plate: a planar contact.
  settings.clearance = 0.0001;
  r = importOrFail(file, settings);
  ASSERT_TRUE(r.model);
  EXPECT_EQ(constraintsOf(*r.model),
            (std::vector<std::string>{"Plate|Loose:face1 0/2/2", "Plate|Tight:axis1 0/1/1",
                                      "Plate|Tight:face1 0/2/2"}));
  EXPECT_EQ(r.pairs.at(0).joint, "planar");
}

TEST(MateInference, TwoPinsOnParallelAxesLeaveNoFreedom) {
  StepAssembly a("Pinned");
  const TopoDS_Shape base = cut(cut(box(0, 0, 0, 60, 30, 10), cylinder(15, 15, 0, gp_Dir(0, 0, 1), 4, 10)),
                                cylinder(45, 15, 0, gp_Dir(0, 0, 1), 4, 10));
  const TopoDS_Shape link = fuse(fuse(box(0, 0, 0, 60, 30, 5), cylinder(15, 15, -10, gp_Dir(0, 0, 1), 4, 10)),
                                 cylinder(45, 15, -10, gp_Dir(0, 0, 1), 4, 10));
  a.place(a.top(), a.part("Base", base), placement(0, 0, 0), "Base");
  a.place(a.top(), a.part("Link", link), placement(0, 0, 10), "Link");
  a.write(scratch("pinned.step"));
  const StepImportResult r = importOrFail(scratch("pinned.step"));
  ASSERT_TRUE(r.model);
  EXPECT_EQ(
      constraintsOf(*r.model),
      (std::vector<std::string>{"Base|Link:axis1 0/1/1", "Base|Link:axis2 0/1/1", "Base|Link:face1 0/2/2"}));
  EXPECT_EQ(r.pairs.at(0).joint, "fixed");
  const Converted c(r);
  const auto* pair = c.pair("Base|Link");
  ASSERT_NE(pair, nullptr);
  // Nothing is left free: the converter makes a weld, a solved joint rather than a failure.
  EXPECT_EQ(pair->status, KALOT_SUCCESS);
  EXPECT_EQ(primitiveTypes(*pair->joint), (std::vector<KalotPrimType>{KALOT_PRIM_WELD}));
  EXPECT_TRUE(reported(r, "Base – Link: fixed from 2 cylinders and a face, " +
                              std::to_string(std::lround(2 * 10 * 2 * M_PI * 4 + 60 * 30 - 2 * M_PI * 16)) +
                              " mm² contact"));
}

TEST(MateInference, PartsOfANestedTurnedSubAssemblyMateAcrossLevels) {
  StepAssembly a("Machine");
  a.place(a.top(), a.part("Base", boredBase()), placement(0, 0, 0), "Base");
  const TDF_Label head = a.assembly("Head");
  a.place(head, a.part("Arm", pinnedArm()), placement(0, 0, 0, 90), "Arm");
  a.place(head, a.part("Knob", sphere(0, 0, 0, 3)), placement(20, 0, 20), "Knob");
  a.place(a.top(), head, placement(30, 30, 20, -60), "Head");
  a.write(scratch("machine.step"));
  const StepImportResult r = importOrFail(scratch("machine.step"));
  ASSERT_TRUE(r.model);
  // Stated in the top assembly, the arm's side through the sub-assembly.
  ASSERT_EQ(r.model->getConstrainCount(), 2u);
  EXPECT_EQ(r.model->constrains[0]->getComp2()->getName(), "Head/Arm");
  EXPECT_EQ(r.model->constrains[0]->getName(), "Base|Head/Arm:axis1");
  EXPECT_TRUE(reported(r, "Base – Head/Arm: revolute from a 10 mm cylinder and a face, 1350 mm² contact"));
  const Converted c(r);
  const auto* pair = c.pair("Base|Head/Arm");
  ASSERT_NE(pair, nullptr);
  EXPECT_EQ(pair->status, KALOT_SUCCESS) << pair->report;
  ASSERT_EQ(primitiveTypes(*pair->joint), (std::vector<KalotPrimType>{KALOT_PRIM_REVOLUTE}));
  expectAxis(*pair->joint, 0, KALOT_PRIM_REVOLUTE, gp_Dir(0, 0, 1));
}

TEST(MateInference, TouchingConesMakeNoMateButAReportLine) {
  StepAssembly a("Valve");
  const TopoDS_Shape seat =
      BRepPrimAPI_MakeCone(gp_Ax2(gp_Pnt(20, 20, 0), gp_Dir(0, 0, 1)), 5, 10, 20).Shape();
  a.place(a.top(), a.part("Seat", cut(box(0, 0, 0, 40, 40, 20), seat)), placement(0, 0, 0), "Seat");
  a.place(a.top(), a.part("Plug", seat), placement(0, 0, 0), "Plug");
  a.write(scratch("valve.step"));
  const StepImportResult r = importOrFail(scratch("valve.step"));
  ASSERT_TRUE(r.model);
  EXPECT_EQ(r.model->getConstrainCount(), 0u);
  EXPECT_TRUE(r.pairs.empty());
  EXPECT_TRUE(reported(r, "Seat – Plug: a conical face touches; no mate made from it"));
}

TEST(MateInference, MatesOutReadsBackAsTheSameJoints) {
  const StepImportResult first = importOrFail(boltedPlate(scratch("bolted.step")));
  ASSERT_TRUE(first.model);
  ImportSettings asWritten;
  ASSERT_TRUE(parseImportSettings(matesAsSettings(first, asWritten), &asWritten, nullptr))
      << matesAsSettings(first, asWritten);
  ASSERT_EQ(asWritten.pairs.size(), 2u);
  EXPECT_EQ(asWritten.pairs[0].first, "Plate");
  EXPECT_EQ(asWritten.pairs[0].second, "Loose");
  EXPECT_EQ(asWritten.pairs[0].joint, PairJoint::Fixed);
  const StepImportResult second = importOrFail(scratch("bolted.step"), asWritten);
  ASSERT_TRUE(second.model);
  EXPECT_EQ(constraintsOf(*second.model), constraintsOf(*first.model));
}

}  // namespace
}  // namespace kalo_step
