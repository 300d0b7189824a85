// urdfdom parses the exported URDF of every proof model, and MuJoCo's own
// URDF import loads it with the kalo model's mass.

#include <fstream>

#include <gtest/gtest.h>
#include <urdf_parser/urdf_parser.h>

#include "consumer_support.hpp"

namespace kalo_consumers {
namespace {

class UrdfLoad : public testing::TestWithParam<std::string> {};

TEST_P(UrdfLoad, UrdfdomParsesItAndMujocoImportsItWithTheSameMass) {
  ExpectedModel e;
  ASSERT_TRUE(readExpectations(modelPath(GetParam()), &e));
  const std::string dir = scratchDir(GetParam() + "_urdf");
  writeMeshes(e, dir);
  const std::string text = exportText(modelPath(GetParam()), kalo_toolkit::sim::Format::Urdf, dir);
  ASSERT_FALSE(text.empty());

  const urdf::ModelInterfaceSharedPtr model = urdf::parseURDF(text);
  ASSERT_TRUE(model) << "urdfdom does not parse the URDF";
  std::vector<urdf::LinkSharedPtr> links;
  model->getLinks(links);
  double mass = 0;
  for (const auto& link : links)
    if (link->inertial) mass += link->inertial->mass;
  EXPECT_NEAR(mass, e.totalMass, 1e-8);

  std::string error;
  const MjModelPtr imported = loadIntoMujoco(text, dir + "/" + GetParam() + ".urdf", &error);
  ASSERT_TRUE(imported) << "MuJoCo's URDF import: " << error;
  EXPECT_NEAR(mj_getTotalmass(imported.get()), e.totalMass, 1e-8);
}

INSTANTIATE_TEST_SUITE_P(Models, UrdfLoad, testing::ValuesIn(modelNames()));

}  // namespace
}  // namespace kalo_consumers
