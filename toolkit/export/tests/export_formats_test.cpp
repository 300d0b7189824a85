#include <cstdio>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include <kalo_toolkit/sim_export.hpp>

#include "../src/sim_text.hpp"
#include "export_test_model.hpp"

namespace kalo_toolkit {
namespace {

using namespace testing;
using sim::ExportOptions;
using sim::ExportResult;
using sim::Format;

std::string exported(const TestModel& m, Format format, ExportResult* result = nullptr) {
  ExportOptions options;
  options.format = format;
  // The mechanics alone: actuators and collision have tests of their own.
  options.actuators = sim::Actuators::None;
  options.collision = sim::Collision::None;
  std::string text;
  const ExportResult r = sim::exportToString(*m.model, options, &text);
  EXPECT_EQ(r.code, 0) << r.error;
  if (result) *result = r;
  return text;
}

bool hasLine(const ExportResult& r, const std::string& text) {
  for (const std::string& line : r.report)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Four-bar closed by a revolute, plus a slider on the crank's end to give
// every format a prismatic joint.
struct Mechanism {
  TestModel m;
  boost::shared_ptr<Subsystem> sub = m.subsystem(m.top, "Grip");
  boost::shared_ptr<Body> crank = m.body("Crank", 1, {0.5, 0, 0});
  boost::shared_ptr<Body> coupler = m.body("Coupler", 1, {1, 1, 0});
  boost::shared_ptr<Body> rocker = m.body("Rocker", 1, {2, 0.5, 0});
  boost::shared_ptr<Body> finger = m.body(sub, "Finger", 0.25, {0.01, 0, 0, 0, 0.02, 0, 0, 0, 0.02},
                                          {0.5, 0.2, 0}, Units(), rotationZ(0.4));
  boost::shared_ptr<Body> ball = m.body("Ball", 0.5, {3, 0, 0});
  Mechanism() {
    m.joint(m.ground, crank, {0, 0, 0}, {revolute({0, 0, 1})});
    m.joint(crank, coupler, {0, 1, 0}, {revolute({0, 0, 1})});
    m.joint(coupler, rocker, {2, 1, 0}, {revolute({0, 0, 1})});
    m.joint(rocker, m.ground, {2, 0, 0}, {revolute({0, 0, 1})});
    m.joint(sub, crank, finger, {0.5, 0, 0}, {prismatic({0, 1, 0})});
    m.joint(m.ground, ball, {3, 0, 0}, {spherical()});
  }
};

TEST(ExportFormatsTest, FormatNamesReadBack) {
  for (Format f : {Format::Mjcf, Format::Sdf, Format::Urdf}) {
    Format read = Format::Mjcf;
    EXPECT_TRUE(sim::formatFromName(sim::formatName(f), &read));
    EXPECT_EQ(read, f);
  }
  Format untouched = Format::Sdf;
  EXPECT_FALSE(sim::formatFromName("MJCF", &untouched));
  EXPECT_EQ(untouched, Format::Sdf);
}

TEST(ExportFormatsTest, MjcfNestsBodiesAndClosesTheLoopWithOneConnect) {
  Mechanism k;
  ExportResult r;
  const std::string text = exported(k.m, Format::Mjcf, &r);
  EXPECT_EQ(count(text, "<body "), 5u);
  EXPECT_EQ(count(text, "type=\"hinge\""), 3u);
  EXPECT_EQ(count(text, "type=\"slide\""), 1u);
  EXPECT_EQ(count(text, "type=\"ball\""), 1u);
  EXPECT_NE(text.find("<connect name=\"Coupler--Rocker\" body1=\"Coupler\" body2=\"Rocker\" solref=\"0.004 "
                      "1\" anchor=\"2 0 0\"/>"),
            std::string::npos)
      << text;
  EXPECT_TRUE(hasLine(r, "joint 'Coupler--Rocker': loop closure held at its point by an equality connect"));
  // Anchor in body1's frame, whose origin is the crank--coupler joint.
  // The finger's tensor turned by 0.4 rad about z: printed in world axes.
  const Mat3 world = sim::rotateTensor(rotationZ(0.4), {0.01, 0, 0, 0, 0.02, 0, 0, 0, 0.02});
  EXPECT_NE(text.find("fullinertia=\"" + sim::number(world[0]) + " " + sim::number(world[4]) + " 0.02 " +
                      sim::number(world[3]) + " 0 0\""),
            std::string::npos)
      << text;
  // The finger hangs by its slide at the follower frame on the crank's end.
  EXPECT_NE(text.find("<body name=\"Grip.Finger\" pos=\"0.5 0 0\">"), std::string::npos);
  EXPECT_NE(text.find("<inertial pos=\"0 0.2 0\" mass=\"0.25\""), std::string::npos);
}

TEST(ExportFormatsTest, MjcfFreeJointOnlyBelowTheWorldAndWeldsWithoutJoint) {
  TestModel m;
  auto fixed = m.body("Fixed", 1, {0, 0, 0});
  auto arm = m.body("Arm", 1, {1, 0, 0});
  auto a = m.body("A", 1, {0, 2, 0});
  auto b = m.body("B", 1, {1, 3, 0});
  m.joint(m.ground, fixed, {0, 0, 0}, {});
  m.joint(fixed, arm, {0, 0, 0}, {revolute({0, 0, 1})});
  m.sixDof(fixed, a, {0, 0, 0}, {0, 2, 0});
  m.sixDof(arm, b, {1, 0, 0}, {1, 3, 0});
  const std::string text = exported(m, Format::Mjcf);
  EXPECT_EQ(count(text, "<freejoint name=\"Fixed--A\"/>"), 1u);
  EXPECT_EQ(count(text, "<freejoint"), 1u);
  EXPECT_EQ(count(text, "type=\"slide\""), 3u);
  EXPECT_NE(text.find("<joint name=\"Arm--B.ball\" type=\"ball\" pos=\"0 0 0\"/>"), std::string::npos)
      << text;
  // The free body sits directly below the world; the weld leaves "Fixed" without any joint.
  EXPECT_NE(text.find("\n    <body name=\"A\""), std::string::npos) << text;
  const size_t fixedAt = text.find("<body name=\"Fixed\"");
  EXPECT_EQ(text.find("<joint", fixedAt), text.find("<joint name=\"Fixed--Arm\"", fixedAt));
}

TEST(ExportFormatsTest, MjcfWeldsAWeldClosureAndDropsAPrismaticOne) {
  TestModel m;
  auto a = m.body("A", 1, {0, 0, 0});
  auto b = m.body("B", 1, {1, 0, 0});
  m.joint(m.ground, a, {0, 0, 0}, {revolute({0, 0, 1})});
  m.joint(m.ground, b, {1, 0, 0}, {revolute({0, 0, 1})});
  m.joint(a, b, {1, 0, 0}, {});
  m.joint(b, m.ground, {1, 0, 0}, {prismatic({1, 0, 0})});
  ExportResult r;
  const std::string text = exported(m, Format::Mjcf, &r);
  EXPECT_NE(text.find("<weld name=\"A--B\" body1=\"A\" body2=\"B\" solref=\"0.004 1\"/>"), std::string::npos)
      << text;
  EXPECT_TRUE(
      hasLine(r,
              "joint 'B--RootGround': loop closure with 1 slide, 0 hinge and 0 ball freedoms has no MuJoCo "
              "equality; dropped"));
}

TEST(ExportFormatsTest, SdfNestsSubsystemModelsKeepsClosuresAndScopesNames) {
  Mechanism k;
  ExportResult r;
  const std::string text = exported(k.m, Format::Sdf, &r);
  EXPECT_EQ(text.find("<sdf version=\"1.9\">"), 39u);
  EXPECT_NE(text.find("<model name=\"Grip\">"), std::string::npos);
  EXPECT_NE(text.find("<link name=\"Finger\">"), std::string::npos);  // local name inside its model
  EXPECT_NE(text.find("<child>Grip::Finger</child>"), std::string::npos) << text;
  EXPECT_EQ(count(text, "<joint "), 6u);  // the loop closure stays a joint
  EXPECT_NE(text.find("<joint name=\"Coupler--Rocker\" type=\"revolute\">"), std::string::npos);
  EXPECT_NE(text.find("<joint name=\"RootGround--Ball\" type=\"ball\">"), std::string::npos);
  EXPECT_NE(text.find("<parent>world</parent>"), std::string::npos);
  EXPECT_TRUE(r.report.empty());
}

TEST(ExportFormatsTest, SdfLeavesSixFreedomsFreeAndChainsSeveralFreedomsThroughLightLinks) {
  TestModel m;
  auto a = m.body("A", 1, {0, 0, 0});
  auto b = m.body("B", 1, {1, 0, 0});
  m.sixDof(m.ground, a, {0, 0, 0}, {0, 0, 0});
  m.joint(a, b, {1, 0, 0}, {prismatic({1, 0, 0}), revolute({1, 0, 0})});
  ExportResult r;
  const std::string text = exported(m, Format::Sdf, &r);
  EXPECT_EQ(count(text, "<joint "), 2u);
  EXPECT_NE(text.find("<link name=\"A--B.link1\">"), std::string::npos) << text;
  EXPECT_TRUE(
      hasLine(r, "joint 'A--B': 2 freedoms in one joint; light links 'A--B.link1' of 1e-09 kg added"));
}

TEST(ExportFormatsTest, UrdfDropsClosuresWritesLimitDefaultsAndNoInertialRotation) {
  Mechanism k;
  ExportResult r;
  const std::string text = exported(k.m, Format::Urdf, &r);
  EXPECT_EQ(count(text, "<joint "), 3u + 1u + 3u);  // tree hinges, slide, ball as three hinges
  EXPECT_EQ(text.find("Coupler--Rocker\""), std::string::npos);
  EXPECT_TRUE(hasLine(r, "joint 'Coupler--Rocker': loop closure dropped"));
  EXPECT_NE(text.find("<limit lower=\"-1000\" upper=\"1000\" effort=\"1e+06\" velocity=\"1e+06\"/>"),
            std::string::npos);
  EXPECT_TRUE(hasLine(r, "joint 'Grip.Crank--Finger': URDF limits written as defaults"));
  EXPECT_TRUE(hasLine(r, "joint 'RootGround--Ball': ball written as three hinges about x, y and z"));
  EXPECT_EQ(count(text, "type=\"continuous\""), 6u);
  // Inertial origins carry a position only: the tensor is already in the link's axes.
  size_t inertials = 0;
  for (size_t at = text.find("<inertial>"); at != std::string::npos; at = text.find("<inertial>", at + 1)) {
    const size_t begin = text.find('\n', at) + 1;
    const std::string origin = text.substr(begin, text.find('\n', begin) - begin);
    EXPECT_NE(origin.find("<origin xyz=\""), std::string::npos) << origin;
    EXPECT_EQ(origin.find("rpy"), std::string::npos) << origin;
    ++inertials;
  }
  EXPECT_EQ(inertials, 5u + 2u);  // bodies and the two light links of the ball
}

TEST(ExportFormatsTest, UrdfWritesSixFreedomsFloatingOnlyRelativeToTheWorld) {
  TestModel m;
  auto a = m.body("A", 1, {0, 0, 0});
  auto b = m.body("B", 1, {1, 0, 0});
  m.sixDof(m.ground, a, {0, 0, 0}, {0, 0, 0});
  // Relative to a moving body MuJoCo's import refuses a free joint: slides and hinges instead.
  m.sixDof(a, b, {0, 0, 0}, {1, 0, 0});
  const std::string text = exported(m, Format::Urdf);
  EXPECT_NE(text.find("<joint name=\"RootGround--A\" type=\"floating\">\n    <parent link=\"world\"/>"),
            std::string::npos)
      << text;
  EXPECT_EQ(count(text, "type=\"floating\""), 1u);
  EXPECT_EQ(count(text, "type=\"prismatic\""), 3u);
  EXPECT_EQ(count(text, "type=\"continuous\""), 3u);
}

TEST(ExportFormatsTest, OutputIsByteIdenticalAcrossRuns) {
  for (Format f : {Format::Mjcf, Format::Sdf, Format::Urdf}) {
    Mechanism first, second;
    EXPECT_EQ(exported(first.m, f), exported(second.m, f)) << sim::formatName(f);
  }
}

TEST(ExportFormatsTest, FileIsWrittenWholeOrNotAtAll) {
  Mechanism k;
  const std::string dir = ::testing::TempDir();
  const std::string good = dir + "export_whole.xml";
  ExportOptions options;
  ExportResult r = sim::exportToFile(*k.m.model, good, options);
  ASSERT_EQ(r.code, 0) << r.error;
  std::string text;
  sim::exportToString(*k.m.model, options, &text);
  EXPECT_EQ(readFile(good), text);

  // An unwritable path: an error naming it and no file.
  const std::string missing = dir + "no_such_folder/out.xml";
  r = sim::exportToFile(*k.m.model, missing, options);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.error.find("cannot write '" + missing + "'"), std::string::npos) << r.error;
  EXPECT_FALSE(std::ifstream(missing).good());

  // A model that cannot be exported leaves an existing file as it was.
  TestModel bad;
  bad.body("B", std::nan(""), {0, 0, 0});
  r = sim::exportToFile(*bad.model, good, options);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.error, "body 'B': mass or inertia is not a finite number");
  EXPECT_TRUE(r.report.empty());
  EXPECT_EQ(readFile(good), text);
  std::remove(good.c_str());

  options.meshScale = -1;
  EXPECT_EQ(sim::exportToString(*k.m.model, options, &text).code, 1);
}

}  // namespace
}  // namespace kalo_toolkit
