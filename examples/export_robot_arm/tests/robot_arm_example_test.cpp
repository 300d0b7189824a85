// The robot arm example: its sub-assembly mass properties against closed
// forms, its committed CAD XML file against a fresh run, and its MJCF, with
// the meshes it writes, in MuJoCo.

#include <gtest/gtest.h>

#include <mujoco/mujoco.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "mass_properties.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// Two unit cubes side by side along x are one 2 x 1 x 1 box: its inertia
// about its centre is m (b^2 + c^2) / 12 and so on, with m = 2.
TEST(RobotArmMassProperties, TwoCubesSideBySideAreOneBox) {
  const double cube[3] = {1, 1, 1}, origin[3] = {0, 0, 0};
  const MassProperties parts[2] = {boxMassProperties(1.0, cube, origin),
                                   boxMassProperties(1.0, cube, origin)};
  const double rotations[18] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 1};
  const double at[6] = {3.5, -1, 2, 4.5, -1, 2};
  const MassProperties whole = combineMassProperties(2, parts, rotations, at);
  EXPECT_DOUBLE_EQ(whole.mass, 2.0);
  EXPECT_NEAR(whole.cg[0], 4.0, 1e-12);
  EXPECT_NEAR(whole.cg[1], -1.0, 1e-12);
  EXPECT_NEAR(whole.cg[2], 2.0, 1e-12);
  const double want[6] = {2.0 * 2 / 12, 2.0 * 5 / 12, 2.0 * 5 / 12, 0, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(whole.inertia[i], want[i], 1e-12) << i;
}

// The same two cubes, placed turned by 45 degrees about z: the 2 x 1 x 1 box
// turned, whose tensor R diag(d) R^T has Ixy = (d0 - d1) sin cos.
TEST(RobotArmMassProperties, TurnedPlacementsTurnTheTensor) {
  const double cube[3] = {1, 1, 1}, origin[3] = {0, 0, 0};
  const MassProperties parts[2] = {boxMassProperties(1.0, cube, origin),
                                   boxMassProperties(1.0, cube, origin)};
  const double h = std::sqrt(0.5);
  const double r[9] = {h, h, 0, -h, h, 0, 0, 0, 1};  // columns: 45 degrees about z
  double rotations[18];
  std::copy(r, r + 9, rotations);
  std::copy(r, r + 9, rotations + 9);
  const double at[6] = {-0.5 * h, -0.5 * h, 0, 0.5 * h, 0.5 * h, 0};  // +-0.5 along the turned x
  const MassProperties whole = combineMassProperties(2, parts, rotations, at);
  const double d0 = 2.0 * 2 / 12, d1 = 2.0 * 5 / 12, d2 = 2.0 * 5 / 12;
  const double want[6] = {(d0 + d1) / 2, (d0 + d1) / 2, d2, (d0 - d1) / 2, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(whole.inertia[i], want[i], 1e-12) << i;
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(whole.cg[i], 0.0, 1e-12) << i;
}

class RobotArmExample : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = ::testing::TempDir() + "kalo_robot_arm_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = new std::string(pattern);
    ASSERT_EQ(run(std::string("'") + KALO_EXAMPLE_PROGRAM + "' '" + *dir_ + "/robot_arm.xml'"), 0);
    ASSERT_EQ(run(std::string("'") + KALO_EXPORT_TOOL + "' --to mjcf --mesh-dir meshes '" + *dir_ +
                  "/robot_arm.xml' '" + *dir_ + "/robot_arm.mjcf.xml'"),
              0);
  }
  static void TearDownTestSuite() {
    if (dir_) std::system(("rm -rf '" + *dir_ + "'").c_str());
    delete dir_;
    dir_ = nullptr;
  }
  static std::string* dir_;
};
std::string* RobotArmExample::dir_ = nullptr;

TEST_F(RobotArmExample, CommittedCadXmlIsWhatTheExampleWrites) {
  const std::string fresh = readFile(*dir_ + "/robot_arm.cad.xml");
  ASSERT_FALSE(fresh.empty());
  EXPECT_EQ(fresh, readFile(KALO_COMMITTED_CAD_XML))
      << "examples/robot_arm.cad.xml is stale: copy " << *dir_ << "/robot_arm.cad.xml over it";
}

// MuJoCo compiles the model with every mesh the example wrote; the rigid
// forearm carries the mass, centre of gravity and inertia of its tube
// (1.8 kg, 0.06 x 0.06 x 0.45 m, centre 0.225 m above the elbow) and its wrist
// housing (0.9 kg, 0.1 m cube, centre 0.5 m above the elbow), to the six
// significant digits of the multibody file.
TEST_F(RobotArmExample, MjcfLoadsWithItsMeshesAndTheForearmIsWhole) {
  char error[1000] = "";
  mjModel* m = mj_loadXML((*dir_ + "/robot_arm.mjcf.xml").c_str(), nullptr, error, sizeof error);
  ASSERT_NE(m, nullptr) << error;
  EXPECT_EQ(m->nmesh, 7) << "one mesh per body: base, turret, upper arm, forearm, plate, gripper, camera";
  int forearmMesh = -1;
  for (int i = 0; i < m->nmesh; ++i)
    if (std::string(mj_id2name(m, mjOBJ_MESH, i)) == "Forearm") forearmMesh = i;
  ASSERT_GE(forearmMesh, 0);
  EXPECT_EQ(m->mesh_vertnum[forearmMesh], 16) << "the forearm's mesh holds both boxes";

  const int forearm = mj_name2id(m, mjOBJ_BODY, "Forearm");
  ASSERT_GE(forearm, 0);
  mjData* d = mj_makeData(m);
  mj_forward(m, d);
  const double mt = 1.8, mh = 0.9, M = mt + mh;
  const double cg = (mt * 0.225 + mh * 0.5) / M;
  const double digits = 1e-5;
  EXPECT_NEAR(m->body_mass[forearm], M, M * digits);
  const double elbowZ = 0.1 + 0.3 + 0.5;
  EXPECT_NEAR(d->xipos[3 * forearm + 0], 0.0, digits);
  EXPECT_NEAR(d->xipos[3 * forearm + 1], 0.0, digits);
  EXPECT_NEAR(d->xipos[3 * forearm + 2], elbowZ + cg, (elbowZ + cg) * digits);
  const double dt = 0.225 - cg, dh = 0.5 - cg;
  const double across =
      mt * (0.06 * 0.06 + 0.45 * 0.45) / 12 + mt * dt * dt + mh * (0.1 * 0.1 + 0.1 * 0.1) / 12 + mh * dh * dh;
  const double along = mt * (0.06 * 0.06 + 0.06 * 0.06) / 12 + mh * (0.1 * 0.1 + 0.1 * 0.1) / 12;
  std::array<double, 3> got{m->body_inertia[3 * forearm], m->body_inertia[3 * forearm + 1],
                            m->body_inertia[3 * forearm + 2]};
  std::sort(got.begin(), got.end());
  EXPECT_NEAR(got[0], along, along * digits);
  EXPECT_NEAR(got[1], across, across * digits);
  EXPECT_NEAR(got[2], across, across * digits);
  mj_deleteData(d);
  mj_deleteModel(m);
}

}  // namespace
