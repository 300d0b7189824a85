// SDFormat 12 loads the exported SDF of every proof model without errors,
// with the kalo model's links, joints, nested models and mass.

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
  // Every body is a link; every subsystem below the top one a nested model;
  // every joint between two different sides stays a joint, loop closures too.
  size_t joints = 0;
  for (const ExpectedJoint& j : e.joints) joints += j.base != j.follower;
  EXPECT_EQ(c.links, e.bodies.size());
  EXPECT_EQ(c.joints, joints);
  EXPECT_EQ(c.nestedModels, static_cast<size_t>(e.subsystems - 1));
  EXPECT_NEAR(c.mass, e.totalMass, 1e-8);
}

INSTANTIATE_TEST_SUITE_P(Models, SdformatLoad, testing::ValuesIn(modelNames()));

}  // namespace
}  // namespace kalo_consumers
