// MuJoCo compiles the exported MJCF of every proof model, and the compiled
// model has the kalo model's freedoms, bodies, loop closures, mass and centre
// of mass.

#include <cmath>

#include <gtest/gtest.h>

#include "consumer_support.hpp"

namespace kalo_consumers {
namespace {

class MujocoStructure : public testing::TestWithParam<std::string> {};

TEST_P(MujocoStructure, CompilesWithTheKaloModelsCountsMassAndCentreOfMass) {
  MujocoCase c;
  loadMujocoCase(GetParam(), &c);
  ASSERT_TRUE(c.model);
  const mjModel* m = c.model.get();
  EXPECT_EQ(c.error, "");
  // Freedoms: prismatic 1, revolute 1, spherical 3, six-DOF 6, weld 0, over the spanning tree.
  EXPECT_EQ(m->nv, c.expected.treeFreedoms + 6 * c.expected.floatingGroups);
  EXPECT_EQ(m->nbody, static_cast<int>(c.expected.bodies.size()) + 1);  // and the world
  // A ball closure holds one point, a hinge closure two points on its axis.
  int equalities = 0;
  for (const ExpectedJoint& j : c.expected.joints)
    if (!j.inTree && j.base != j.follower)
      equalities += j.primitives == std::vector<Primitive>{Primitive::Revolute} ? 2 : 1;
  EXPECT_EQ(m->neq, equalities);

  // Bodies without mass that must move get a tiny bound, far below this tolerance.
  EXPECT_NEAR(mj_getTotalmass(m), c.expected.totalMass, 1e-8);
  MjDataPtr d(mj_makeData(m));
  mj_forward(m, d.get());
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(d->subtree_com[i], c.expected.centreOfMass[i], 1e-9) << "centre of mass, axis " << i;
}

INSTANTIATE_TEST_SUITE_P(Models, MujocoStructure, testing::ValuesIn(modelNames()));

}  // namespace
}  // namespace kalo_consumers
