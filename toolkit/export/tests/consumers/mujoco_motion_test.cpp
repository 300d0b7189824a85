// Motion of the exported MJCF in MuJoCo against the kalo model: a hinge
// turned by hand, inverse dynamics of one hinge, and one second under gravity.

#include <algorithm>
#include <cmath>
#include <map>

#include <gtest/gtest.h>

#include "consumer_support.hpp"

namespace kalo_consumers {
namespace {

bool isSingleRevolute(const ExpectedJoint& j) {
  return j.inTree && j.primitives.size() == 1 && j.primitives[0] == Primitive::Revolute;
}

/// The hinge's axis as its child body turns: the follower turns about the
/// kalo axis relative to the base, so a base hanging below turns the other way.
Vec3 childAxis(const ExpectedJoint& j) {
  const double s = j.reversed ? -1.0 : 1.0;
  return {s * j.axes[0][0], s * j.axes[0][1], s * j.axes[0][2]};
}

const Vec3& jointPoint(const ExpectedModel& e, const ExpectedJoint& j) {
  return e.frames[static_cast<size_t>(j.reversed ? j.baseFrame : j.followerFrame)].position;
}

int hingeId(const mjModel* m, const ExpectedJoint& j) {
  const int id = mj_name2id(m, mjOBJ_JOINT, j.name.c_str());
  EXPECT_GE(id, 0) << "no MJCF joint for kalo joint " << j.name;
  return id;
}

class MujocoMotion : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    loadMujocoCase(GetParam(), &c_);
    ASSERT_TRUE(c_.model);
    data_.reset(mj_makeData(c_.model.get()));
  }

  MujocoCase c_;
  MjDataPtr data_;
};

TEST_P(MujocoMotion, TurningOneHingeMovesExactlyTheFramesBelowIt) {
  const mjModel* m = c_.model.get();
  mjData* d = data_.get();
  const ExpectedModel& e = c_.expected;
  int turned = 0;
  for (size_t k = 0; k < e.joints.size(); ++k) {
    const ExpectedJoint& j = e.joints[k];
    if (!isSingleRevolute(j)) continue;
    const int id = hingeId(m, j);
    if (id < 0) continue;
    ++turned;
    mju_copy(d->qpos, m->qpos0, m->nq);
    d->qpos[m->jnt_qposadr[id]] += 0.5;
    mj_kinematics(m, d);
    const std::vector<bool> below = e.downstreamOf(static_cast<int>(k));
    for (const ExpectedFrame& f : e.frames) {
      if (f.body < 0) continue;
      const Vec3 want = below[static_cast<size_t>(f.body)]
                            ? rotateAbout(f.position, childAxis(j), jointPoint(e, j), 0.5)
                            : f.position;
      const Vec3 got = sitePosition(m, d, f.site);
      for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(got[i], want[i], 1e-9) << "joint " << j.name << " turned 0.5 rad, site " << f.site
                                           << (below[static_cast<size_t>(f.body)] ? " (below)" : " (above)");
    }
  }
  EXPECT_GT(turned, 0) << "the model has no hinge to turn";
}

TEST_P(MujocoMotion, InverseDynamicsOfOneHingeIsTheMomentOfInertiaBelowIt) {
  mjModel* m = c_.model.get();
  mjData* d = data_.get();
  const ExpectedModel& e = c_.expected;
  // No gravity and no loop forces: the torque is the inertia of what the hinge carries.
  m->opt.gravity[0] = m->opt.gravity[1] = m->opt.gravity[2] = 0;
  m->opt.disableflags |= mjDSBL_CONSTRAINT;
  for (size_t k = 0; k < e.joints.size(); ++k) {
    const ExpectedJoint& j = e.joints[k];
    if (!isSingleRevolute(j)) continue;
    const int id = hingeId(m, j);
    if (id < 0) continue;
    mju_copy(d->qpos, m->qpos0, m->nq);
    mju_zero(d->qvel, m->nv);
    mju_zero(d->qacc, m->nv);
    const int dof = m->jnt_dofadr[id];
    d->qacc[dof] = 1.0;
    mj_inverse(m, d);
    double want = 0;
    const std::vector<bool> below = e.downstreamOf(static_cast<int>(k));
    for (size_t b = 0; b < e.bodies.size(); ++b)
      if (below[b]) want += momentAbout(e.bodies[b], childAxis(j), jointPoint(e, j));
    EXPECT_NEAR(d->qfrc_inverse[dof], want, 1e-9 * want) << "joint " << j.name;
  }
}

enum class Expect { Stays, Moves, FallsFreely };

/// What one second under gravity (-z) does to each joint, by physics:
/// - robot arm: the waist axis is vertical, so it stays; the upper arm and
///   forearm stand upright over the shoulder and elbow, and the tool plate
///   (with the gripper welded to it) hangs on a vertical slide that passes
///   none of its weight on, so shoulder and elbow stay in balance; the plate
///   drops along its slide; the camera has six freedoms and falls.
/// - slider-crank: all hinges are vertical and the slide horizontal, so no
///   joint feels gravity and nothing moves.
/// - four-bar: its hinges are horizontal and the links off balance: all swing.
/// - mast: the pan axis is vertical and all motion stays in the x-z plane, so
///   it stays; the camera's centre of mass is beside the tilt axis, so it
///   tilts and the lamp on its ball swings; the drone falls.
const std::map<std::string, std::map<std::string, Expect>>& gravityExpectations() {
  static const std::map<std::string, std::map<std::string, Expect>> table{
      {"robot_arm",
       {{"Base--Turret", Expect::Stays},
        {"Shoulder.Turret--UpperArm", Expect::Stays},
        {"UpperArm--Forearm", Expect::Stays},
        {"Forearm--ToolPlate", Expect::Moves},
        {"RootPart--Camera", Expect::FallsFreely}}},
      {"slider_crank",
       {{"Frame--Crank", Expect::Stays}, {"Crank--Rod", Expect::Stays}, {"Frame--Slider", Expect::Stays}}},
      {"four_bar",
       {{"Ground--Crank", Expect::Moves},
        {"Crank--Coupler", Expect::Moves},
        {"Ground--Rocker", Expect::Moves}}},
      {"nested_mast",
       {{"Base--Pan", Expect::Stays},
        {"Head.Tilt.Yoke--Camera", Expect::Moves},
        {"Head.Tilt.Camera--Lamp", Expect::Moves},
        {"RootPart--Drone", Expect::FallsFreely}}},
  };
  return table;
}

/// The largest change of any MJCF freedom of a kalo joint: metres, or radians
/// (a ball's turn angle).
double jointChange(const mjModel* m, const mjData* d, const std::string& joint) {
  double change = -1;
  for (int id = 0; id < m->njnt; ++id) {
    const std::string name = mj_id2name(m, mjOBJ_JOINT, id);
    if (name != joint && name.rfind(joint + ".", 0) != 0) continue;
    const int a = m->jnt_qposadr[id];
    switch (m->jnt_type[id]) {
      case mjJNT_HINGE:
      case mjJNT_SLIDE:
        change = std::max(change, std::fabs(d->qpos[a] - m->qpos0[a]));
        break;
      case mjJNT_BALL: {
        // Relative turn of q against q0: 2 acos |<q, q0>|.
        const double dot = std::fabs(mju_dot(d->qpos + a, m->qpos0 + a, 4));
        change = std::max(change, 2 * std::acos(std::min(1.0, dot)));
        break;
      }
      default:
        break;
    }
  }
  return change;
}

TEST_P(MujocoMotion, OneSecondUnderGravityKeepsLoopsClosedAndMovesWhatPhysicsMoves) {
  const mjModel* m = c_.model.get();
  mjData* d = data_.get();
  const ExpectedModel& e = c_.expected;
  mj_resetData(m, d);
  mj_forward(m, d);
  std::map<std::string, Vec3> start;
  for (const ExpectedFrame& f : e.frames)
    if (f.body >= 0) start[f.site] = sitePosition(m, d, f.site);
  // The loop residual must stay small all through the second, not just at its end.
  std::map<std::string, double> worstResidual;
  const int steps = static_cast<int>(std::lround(1.0 / m->opt.timestep));
  for (int i = 0; i < steps; ++i) {
    mj_step(m, d);
    mj_kinematics(m, d);
    for (const ExpectedJoint& j : e.joints) {
      if (j.inTree || j.base == j.follower) continue;
      const Vec3 a = sitePosition(m, d, e.frames[static_cast<size_t>(j.baseFrame)].site);
      const Vec3 b = sitePosition(m, d, e.frames[static_cast<size_t>(j.followerFrame)].site);
      double& worst = worstResidual[j.name];
      worst = std::max(worst, std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]));
    }
  }
  for (const auto& [joint, worst] : worstResidual) EXPECT_LT(worst, 1e-3) << "loop closure " << joint;

  const auto& table = gravityExpectations().at(GetParam());
  for (const auto& [joint, expect] : table) {
    const int k = e.jointIndex(joint);
    ASSERT_GE(k, 0) << "no kalo joint " << joint;
    const ExpectedJoint& j = e.joints[static_cast<size_t>(k)];
    ASSERT_TRUE(j.inTree) << joint;
    if (expect == Expect::FallsFreely) {
      // Free fall for one second: z drops by g/2; x and y keep.
      const std::string site = e.bodies[static_cast<size_t>(j.child())].name + ".CG";
      const Vec3 now = sitePosition(m, d, site);
      EXPECT_NEAR(now[2] - start[site][2], m->opt.gravity[2] / 2, 0.02) << site;
      EXPECT_NEAR(now[0], start[site][0], 1e-9) << site;
      EXPECT_NEAR(now[1], start[site][1], 1e-9) << site;
      continue;
    }
    const double change = jointChange(m, d, j.name);
    ASSERT_GE(change, 0) << "no MJCF joint for kalo joint " << joint;
    if (expect == Expect::Moves) {
      EXPECT_GT(change, 0.01) << joint << " should move under gravity";
    } else {
      EXPECT_LT(change, 1e-6) << joint << " should stay under gravity";
    }
  }
  // Every joint with freedoms is in the table, so that none goes unstated.
  for (const ExpectedJoint& j : e.joints) {
    if (j.inTree && j.freedoms > 0) {
      EXPECT_TRUE(table.count(j.name)) << "no expectation for " << j.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Models, MujocoMotion, testing::ValuesIn(modelNames()));

}  // namespace
}  // namespace kalo_consumers
