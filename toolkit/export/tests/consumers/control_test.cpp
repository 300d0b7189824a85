// A model ready for control, checked in MuJoCo 2.2 against hand-computed
// physics: servo gains from the closed-form inertia of a pendulum, the
// gravity sag they allow, step responses, limits, contacts at the home pose,
// a floating quadruped landing on the floor, and driven closed loops.

#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include <kalo_toolkit/zolt_model.hpp>

#include "consumer_support.hpp"
#include "control_models.hpp"

namespace kalo_consumers {
namespace {

using kalo_toolkit::sim::Collision;
using kalo_toolkit::sim::ExportOptions;
using kalo_toolkit::sim::Format;
namespace mech = mechanisms;

constexpr double kG = 9.81;

boost::shared_ptr<kalo_toolkit::ZoltModel> readModel(const std::string& path) {
  KalotError error = KALOT_GENERIC_FAILURE;
  auto model = kalo_toolkit::ZoltModel::readFromXML(&error, path, kalo_toolkit::MechanismSimplifier::None);
  EXPECT_TRUE(model) << path;
  return model;
}

/// Exports into `dir` (its meshes there) and compiles in MuJoCo.
MjModelPtr compile(const kalo_toolkit::ZoltModel& model, ExportOptions options, const std::string& dir,
                   std::vector<std::string>* report = nullptr) {
  options.format = Format::Mjcf;
  if (options.meshDir.empty()) options.meshDir = dir;
  const std::string file = dir + "/model.xml";
  const auto result = kalo_toolkit::sim::exportToFile(model, file, options);
  EXPECT_EQ(result.code, 0) << result.error;
  if (result.code != 0) return nullptr;
  if (report) *report = result.report;
  char error[1000] = "";
  MjModelPtr m(mj_loadXML(file.c_str(), nullptr, error, sizeof error));
  EXPECT_TRUE(m) << "MuJoCo does not compile the MJCF: " << error;
  return m;
}

struct Proof {
  boost::shared_ptr<kalo_toolkit::ZoltModel> model;
  std::string dir;
};

/// A cube of kCube m a side centred on the part's own origin for every geometry file, in
/// metres (export with meshScale 1): small parts whose contacts the exclusions must foresee.
constexpr double kCube = 0.03;
void writeCubes(const ExpectedModel& e, const std::string& dir) {
  const float h = static_cast<float>(kCube / 2);
  for (const ExpectedBody& b : e.bodies)
    if (!b.geometry.empty())
      writeBinaryStl(dir + "/" + b.geometry,
                     {{-h, -h, -h},
                      {h, -h, -h},
                      {h, h, -h},
                      {-h, h, -h},
                      {-h, -h, h},
                      {h, -h, h},
                      {h, h, h},
                      {-h, h, h}},
                     {{0, 2, 1},
                      {0, 3, 2},
                      {4, 5, 6},
                      {4, 6, 7},
                      {0, 1, 5},
                      {0, 5, 4},
                      {1, 2, 6},
                      {1, 6, 5},
                      {2, 3, 7},
                      {2, 7, 6},
                      {3, 0, 4},
                      {3, 4, 7}});
}

/// One of the committed or generated proof models, with tetrahedron meshes in its folder.
Proof proof(const std::string& name, const std::string& tag) {
  Proof p;
  ExpectedModel e;
  if (!readExpectations(modelPath(name), &e)) return p;
  p.dir = scratchDir(name + "_" + tag);
  writeMeshes(e, p.dir);
  p.model = readModel(modelPath(name));
  return p;
}

void resetHome(const mjModel* m, mjData* d) {
  const int key = mj_name2id(m, mjOBJ_KEY, "home");
  ASSERT_GE(key, 0) << "no keyframe \"home\"";
  mj_resetDataKeyframe(m, d, key);
  mj_forward(m, d);
}

int actuatorOf(const mjModel* m, const std::string& joint) {
  const int j = mj_name2id(m, mjOBJ_JOINT, joint.c_str());
  for (int a = 0; a < m->nu; ++a)
    if (m->actuator_trnid[2 * a] == j) return a;
  ADD_FAILURE() << "no actuator on joint " << joint;
  return -1;
}

double qposOf(const mjModel* m, const mjData* d, const std::string& joint) {
  return d->qpos[m->jnt_qposadr[mj_name2id(m, mjOBJ_JOINT, joint.c_str())]];
}

TEST(ControlGains, PendulumGainsFollowTheClosedFormInertiaAboutItsHinge) {
  const auto model = mech::pendulum();
  ExportOptions options;
  options.bandwidth = 30;
  options.dampingRatio = 0.7;
  const MjModelPtr m = compile(*model, options, scratchDir("pendulum_gains"));
  ASSERT_TRUE(m);
  // A thin rod about its end: m L^2 / 3 (plus the rod's own 1e-4 m about its axis, which is x).
  const double inertia = mech::kRodMass * mech::kRodLength * mech::kRodLength / 3;
  const double kp = inertia * 30 * 30;
  ASSERT_EQ(m->nu, 1);
  EXPECT_NEAR(m->actuator_gainprm[0], kp, 1e-9 * kp);
  EXPECT_NEAR(m->actuator_biasprm[1], -kp, 1e-9 * kp);
  EXPECT_NEAR(m->dof_damping[0], 2 * 0.7 * std::sqrt(kp * inertia), 1e-9 * kp);
  EXPECT_NEAR(m->opt.timestep, 0.002, 1e-15);
}

TEST(ControlGains, DefaultBandwidthHoldsTheHorizontalPendulumWithinItsSag) {
  const auto model = mech::pendulum();
  std::vector<std::string> report;
  const MjModelPtr m = compile(*model, ExportOptions(), scratchDir("pendulum_sag"), &report);
  ASSERT_TRUE(m);
  // The gravity torque m g L / 2 over the allowed sag of 0.01 rad is the stiffness needed.
  const double kp = mech::kRodMass * kG * mech::kRodLength / 2 / 0.01;
  EXPECT_NEAR(m->actuator_gainprm[0], kp, 1e-9 * kp);
  MjDataPtr d(mj_makeData(m.get()));
  resetHome(m.get(), d.get());
  for (int i = 0; i < static_cast<int>(std::lround(3.0 / m->opt.timestep)); ++i) mj_step(m.get(), d.get());
  // At rest the servo balances the weight: kp q = m g (L / 2) cos q.
  const double q = std::fabs(d->qpos[0]);
  EXPECT_NEAR(q, mech::kRodMass * kG * mech::kRodLength / 2 * std::cos(q) / kp, 1e-4);
  EXPECT_LE(q, 0.0101);
  EXPECT_LT(std::fabs(d->qvel[0]), 1e-4);
  bool reported = false;
  for (const std::string& line : report)
    reported = reported || line.find("largest gravity sag at the home pose 0.01 rad") != std::string::npos;
  EXPECT_TRUE(reported) << "the chosen bandwidth and its sag are not reported";
}

struct StepCase {
  std::string model;
  std::string joint;
};
void PrintTo(const StepCase& c, std::ostream* os) { *os << c.model << " " << c.joint; }

class StepResponse : public testing::TestWithParam<StepCase> {};

/// A step of 0.5 rad from the home pose with the default gains: within 5 % of the
/// step before 1 s and staying there, overshoot below 10 %, no NaN.
TEST_P(StepResponse, ReachesHalfARadianQuicklyWithoutOvershoot) {
  const StepCase& c = GetParam();
  boost::shared_ptr<kalo_toolkit::ZoltModel> model;
  std::string dir = scratchDir("step_" + c.model);
  if (c.model == "pendulum") {
    model = mech::pendulum();
  } else if (c.model == "heavy_and_light") {
    model = mech::heavyAndLight();
  } else {
    const Proof p = proof(c.model, "step");
    model = p.model;
    dir = p.dir;
  }
  ASSERT_TRUE(model);
  const MjModelPtr m = compile(*model, ExportOptions(), dir);
  ASSERT_TRUE(m);
  MjDataPtr d(mj_makeData(m.get()));
  resetHome(m.get(), d.get());
  const int a = actuatorOf(m.get(), c.joint);
  ASSERT_GE(a, 0);
  const double start = qposOf(m.get(), d.get(), c.joint);
  d->ctrl[a] = start + 0.5;
  double settled = -1, overshoot = 0;
  const int steps = static_cast<int>(std::lround(2.0 / m->opt.timestep));
  for (int i = 0; i < steps; ++i) {
    mj_step(m.get(), d.get());
    const double q = qposOf(m.get(), d.get(), c.joint) - start;
    ASSERT_TRUE(std::isfinite(q)) << "at t = " << d->time;
    overshoot = std::max(overshoot, q - 0.5);
    if (std::fabs(q - 0.5) > 0.025)
      settled = -1;
    else if (settled < 0)
      settled = d->time;
  }
  EXPECT_GE(settled, 0) << c.joint << " never stays within 5 % of the step";
  EXPECT_LT(settled, 1.0) << c.joint;
  EXPECT_LT(overshoot, 0.05) << c.joint;
}

INSTANTIATE_TEST_SUITE_P(Joints, StepResponse,
                         testing::Values(StepCase{"pendulum", "RootGround--Rod"},
                                         StepCase{"heavy_and_light", "RootGround--Upper"},
                                         StepCase{"heavy_and_light", "Upper--Hand"},
                                         StepCase{"robot_arm", "Base--Turret"},
                                         StepCase{"robot_arm", "Shoulder.Turret--UpperArm"},
                                         StepCase{"robot_arm", "UpperArm--Forearm"}),
                         [](const testing::TestParamInfo<StepCase>& info) {
                           std::string name = info.param.model + "_" + info.param.joint;
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

TEST(Limits, ACommandBeyondTheRangeStaysInsideIt) {
  const auto model = mech::pendulum();
  ExportOptions options;
  options.settingsText = R"({"joints": {"*--Rod": {"range": [-0.3, 0.3], "effort": 200}}})";
  const MjModelPtr m = compile(*model, options, scratchDir("pendulum_range"));
  ASSERT_TRUE(m);
  ASSERT_EQ(m->njnt, 1);
  EXPECT_TRUE(m->jnt_limited[0]);
  EXPECT_EQ(m->jnt_range[0], -0.3);
  EXPECT_EQ(m->jnt_range[1], 0.3);
  EXPECT_TRUE(m->actuator_forcelimited[0]);
  EXPECT_EQ(m->actuator_forcerange[1], 200);
  MjDataPtr d(mj_makeData(m.get()));
  resetHome(m.get(), d.get());
  d->ctrl[0] = 1.0;
  double highest = -1;
  for (int i = 0; i < static_cast<int>(std::lround(2.0 / m->opt.timestep)); ++i) {
    mj_step(m.get(), d.get());
    highest = std::max(highest, d->qpos[0]);
  }
  EXPECT_LT(highest, 0.3 + 0.01);
  EXPECT_GT(highest, 0.3 - 0.02) << "the joint should reach its upper limit";
}

/// Actuated freedoms, counted from each model's joints: every hinge and slide of the tree, one
/// driver per closed loop. The arm: waist, shoulder, elbow and the tool plate's planar joint (two
/// slides and a hinge); its camera floats. The mast: pan and tilt; the lamp hangs on a ball and the
/// drone floats. The quadruped: three hinges per leg.
const std::map<std::string, int>& actuatedFreedoms() {
  static const std::map<std::string, int> table{
      {"robot_arm", 6}, {"four_bar", 1}, {"slider_crank", 1}, {"nested_mast", 2}, {"quadruped", 12}};
  return table;
}

class HomePose : public testing::TestWithParam<std::string> {};

TEST_P(HomePose, StartsWithoutContactAndWithOneActuatorPerFreedom) {
  for (const Collision collision : {Collision::Mesh, Collision::Box}) {
    SCOPED_TRACE(collision == Collision::Mesh ? "collision mesh" : "collision box");
    Proof p;
    if (GetParam() == "quadruped") {
      p.model = mech::quadruped();
      p.dir = scratchDir("quadruped_home");
    } else {
      ExpectedModel e;
      ASSERT_TRUE(readExpectations(modelPath(GetParam()), &e));
      p.dir = scratchDir(GetParam() + "_home");
      writeCubes(e, p.dir);
      p.model = readModel(modelPath(GetParam()));
    }
    ASSERT_TRUE(p.model);
    ExportOptions options;
    options.collision = collision;
    options.meshScale = 1;
    options.floor = GetParam() == "quadruped";
    const MjModelPtr m = compile(*p.model, options, p.dir);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->nu, actuatedFreedoms().at(GetParam()));
    int colliding = 0;
    for (int g = 0; g < m->ngeom; ++g) colliding += m->geom_contype[g] != 0 && m->geom_bodyid[g] != 0;
    EXPECT_GT(colliding, 0) << "no geom collides";
    // Not every pair is kept apart: the shapes are small and do not all touch.
    EXPECT_LT(m->nexclude, m->nbody * (m->nbody - 1) / 2);
    MjDataPtr d(mj_makeData(m.get()));
    resetHome(m.get(), d.get());
    EXPECT_EQ(d->ncon, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Models, HomePose,
                         testing::Values("robot_arm", "four_bar", "slider_crank", "nested_mast",
                                         "quadruped"));

TEST(Floor, AFloatingQuadrupedDroppedOnTheFloorComesToRestStanding) {
  const auto model = mech::quadruped();
  ExportOptions options;
  options.floor = true;
  const MjModelPtr m = compile(*model, options, scratchDir("quadruped_floor"));
  ASSERT_TRUE(m);
  MjDataPtr d(mj_makeData(m.get()));
  resetHome(m.get(), d.get());
  const int floor = mj_name2id(m.get(), mjOBJ_GEOM, "floor");
  ASSERT_GE(floor, 0);
  const int trunk = mj_name2id(m.get(), mjOBJ_BODY, "Trunk");
  ASSERT_GE(trunk, 0);
  int touching = 0;
  for (int i = 0; i < static_cast<int>(std::lround(2.0 / m->opt.timestep)); ++i) {
    mj_step(m.get(), d.get());
    for (int c = 0; c < d->ncon; ++c)
      touching += d->contact[c].geom1 == floor || d->contact[c].geom2 == floor;
  }
  EXPECT_GT(touching, 0) << "the feet never reach the floor";
  const double floorZ = m->geom_pos[3 * floor + 2];
  // Standing on straight legs: the trunk's centre 0.45 m above the feet; it may settle, not fall.
  EXPECT_GT(d->xpos[3 * trunk + 2] - floorZ, 0.4);
  for (int b = 1; b < m->nbody; ++b)
    EXPECT_GT(d->xipos[3 * b + 2], floorZ) << mj_id2name(m.get(), mjOBJ_BODY, b);
  double speed = 0;
  for (int i = 0; i < m->nv; ++i) speed = std::max(speed, std::fabs(d->qvel[i]));
  EXPECT_LT(speed, 0.05) << "not at rest after 2 s";
}

class DrivenLoop : public testing::TestWithParam<std::string> {};

TEST_P(DrivenLoop, StaysClosedWhileItsDriverMoves) {
  const Proof p = proof(GetParam(), "driven");
  ASSERT_TRUE(p.model);
  ExpectedModel e;
  ASSERT_TRUE(readExpectations(modelPath(GetParam()), &e));
  const MjModelPtr m = compile(*p.model, ExportOptions(), p.dir);
  ASSERT_TRUE(m);
  ASSERT_EQ(m->nu, 1);
  MjDataPtr d(mj_makeData(m.get()));
  resetHome(m.get(), d.get());
  const int joint = m->actuator_trnid[0];
  const double start = d->qpos[m->jnt_qposadr[joint]];
  double worst = 0;
  // Driven as a controller drives: the target ramps by 0.5 over one second, then holds.
  for (int i = 0; i < static_cast<int>(std::lround(2.0 / m->opt.timestep)); ++i) {
    d->ctrl[0] = start + 0.5 * std::min(1.0, d->time);
    mj_step(m.get(), d.get());
    for (const ExpectedJoint& j : e.joints) {
      if (j.inTree || j.base == j.follower) continue;
      const Vec3 a = sitePosition(m.get(), d.get(), e.frames[static_cast<size_t>(j.baseFrame)].site);
      const Vec3 b = sitePosition(m.get(), d.get(), e.frames[static_cast<size_t>(j.followerFrame)].site);
      worst = std::max(worst, std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]));
    }
  }
  EXPECT_LT(worst, 1e-3);
  EXPECT_GT(std::fabs(d->qpos[m->jnt_qposadr[joint]] - start), 0.25) << "the driver did not move the loop";
}

INSTANTIATE_TEST_SUITE_P(Loops, DrivenLoop, testing::Values("four_bar", "slider_crank"));

}  // namespace
}  // namespace kalo_consumers
