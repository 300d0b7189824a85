// SDFormat 12 loads the exported SDF of every proof model without errors,
// with the kalo model's links, joints, nested models and mass.

#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>
#include <sdf/Link.hh>
#include <sdf/Model.hh>
#include <sdf/Root.hh>

#include "consumer_support.hpp"

namespace kalo_consumers {
namespace {

struct SdfCounts {
  size_t links = 0, joints = 0, nestedModels = 0;
  double mass = 0;
};

void count(const sdf::Model& model, SdfCounts* c) {
  c->links += model.LinkCount();
  c->joints += model.JointCount();
  c->nestedModels += model.ModelCount();
  for (uint64_t i = 0; i < model.LinkCount(); ++i)
    c->mass += model.LinkByIndex(i)->Inertial().MassMatrix().Mass();
  for (uint64_t i = 0; i < model.ModelCount(); ++i) count(*model.ModelByIndex(i), c);
}

class SdformatLoad : public testing::TestWithParam<std::string> {};

TEST_P(SdformatLoad, LoadsWithoutErrorsWithTheKaloModelsCountsAndMass) {
  ExpectedModel e;
  ASSERT_TRUE(readExpectations(modelPath(GetParam()), &e));
  const std::string dir = scratchDir(GetParam() + "_sdf");
  writeMeshes(e, dir);
  const std::string text = exportText(modelPath(GetParam()), kalo_toolkit::sim::Format::Sdf, dir);
  ASSERT_FALSE(text.empty());
  const std::string file = dir + "/" + GetParam() + ".sdf";
  std::ofstream(file, std::ios::binary) << text;

  sdf::Root root;
  const sdf::Errors errors = root.Load(file);
  for (const sdf::Error& error : errors) ADD_FAILURE() << "SDFormat: " << error.Message();
  ASSERT_TRUE(errors.empty());
  ASSERT_NE(root.Model(), nullptr);
  SdfCounts c;
  count(*root.Model(), &c);
  // Every body is a link and every subsystem below the top one a nested
  // model. Every joint between two different sides stays a joint, loop
  // closures too: a weld one fixed joint; a joint of several primitives one
  // joint per primitive, chained through a light link between each two; six
  // freedoms relative to the world or to a body fixed to it leave the link
  // free, with no joint, since SDFormat has no free joint; so does the root of
  // a floating group. A body no joint reaches that carries no mass is fixed to
  // the world by a joint of its own.
  size_t links = e.bodies.size(), joints = 0;
  for (size_t b = 0; b < e.bodies.size(); ++b) joints += e.parentJoint[b] < 0 && !e.floats[b];
  for (const ExpectedJoint& j : e.joints) {
    if (j.base == j.follower) continue;
    const int fixedSide = j.reversed ? j.follower : j.base;
    if (j.sixDof && j.inTree && (fixedSide == kWorld || !e.moving(fixedSide))) continue;
    if (j.sixDof && !j.inTree) continue;  // between floating bodies: constrains nothing
    size_t moving = 0;
    for (Primitive p : j.primitives) moving += p != Primitive::Weld;
    joints += std::max<size_t>(moving, 1);
    links += moving > 1 ? moving - 1 : 0;
  }
  EXPECT_EQ(c.links, links);
  EXPECT_EQ(c.joints, joints);
  EXPECT_EQ(c.nestedModels, static_cast<size_t>(e.subsystems - 1));
  EXPECT_NEAR(c.mass, e.totalMass, 1e-8);
}

INSTANTIATE_TEST_SUITE_P(Models, SdformatLoad, testing::ValuesIn(modelNames()));

}  // namespace
}  // namespace kalo_consumers
