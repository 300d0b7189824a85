// The conversion driver: the assembly tree, fixed parts, the ground, six-DOF
// completion, placement-keyed parts, tolerances and writing.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/cad2zolt.hpp>
#include <kalo_toolkit/cad_cs.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "inference_fixture.hpp"

namespace kalo_toolkit::testing {
namespace {

constexpr KalotGeomType kLine = 1, kPlane = 2, kCylinder = 3;
const Vec3 kOrigin{0, 0, 0}, kZ{0, 0, 1};
const double kRz90[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool fileExists(const std::string& path) { return std::ifstream(path).good(); }

boost::shared_ptr<Body> bodyNamed(const Subsystem& s, const std::string& name) {
  for (size_t i = 0; i < s.getBodyRefCount(); ++i)
    if (s.getBodyRefAt(i)->getBody()->getName() == name) return s.getBodyRefAt(i)->getBody();
  return nullptr;
}

boost::shared_ptr<const Joint> jointNamed(const Subsystem& s, const std::string& name) {
  for (size_t i = 0; i < s.getJointCount(); ++i)
    if (s.getJointAt(i)->getName() == name) return s.getJointAt(i);
  return nullptr;
}

std::vector<std::string> jointNames(const Subsystem& s) {
  std::vector<std::string> names;
  for (size_t i = 0; i < s.getJointCount(); ++i) names.push_back(s.getJointAt(i)->getName());
  return names;
}

std::vector<std::string> bodyRefNames(const Subsystem& s) {
  std::vector<std::string> names;
  for (size_t i = 0; i < s.getBodyRefCount(); ++i) names.push_back(s.getBodyRefAt(i)->getName());
  return names;
}

boost::shared_ptr<Body> ownerBody(const boost::shared_ptr<FrameRef>& side) {
  return boost::dynamic_pointer_cast<Body>(side->getFrame()->getParent());
}

boost::shared_ptr<CadCS> addCS(const boost::shared_ptr<CadModel>& m, const std::string& name,
                               const std::string& nodeID, const Vec3& at) {
  static const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  auto cs = boost::make_shared<CadCS>(name, nodeID, kIdentity, at.data());
  m->addCS(cs);
  return cs;
}

/// Concentric cylinders plus coincident planes about an axis through `pivot`
/// (top coordinates; parts placed unrotated at `at1`, `at2`).
void hinge(const boost::shared_ptr<CadModel>& in, const std::string& name, const Refs& side1, const Vec3& at1,
           const Refs& side2, const Vec3& at2, const Vec3& pivot, const Vec3& axis) {
  const Vec3 p1{pivot[0] - at1[0], pivot[1] - at1[1], pivot[2] - at1[2]};
  const Vec3 p2{pivot[0] - at2[0], pivot[1] - at2[1], pivot[2] - at2[2]};
  constrain(in, name + "-Concentric", 0, side1, {kCylinder, p1, axis}, side2, {kCylinder, p2, axis});
  constrain(in, name + "-Coincident", 0, side1, {kPlane, p1, axis}, side2, {kPlane, p2, axis});
}

class Cad2ZoltTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s_getDefaultCadUnit()->set(KALOT_MASS_KG, KALOT_LENGTH_M);
    std::string pattern = ::testing::TempDir() + "kalo_cad2zolt_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    s_getDefaultCadUnit()->set(KALOT_MASS_KG, KALOT_LENGTH_M);
    std::system(("rm -rf '" + dir + "'").c_str());
  }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  static boost::shared_ptr<ZoltModel> convert(const boost::shared_ptr<CadModel>& top) {
    Cad2Zolt converter(top, "test", "memory", "today", "tester", "Top");
    EXPECT_EQ(converter.convertToZoltModel(), KALOT_SUCCESS);
    EXPECT_TRUE(converter.getConversionMessage().empty()) << converter.getConversionMessage();
    return converter.getZoltModel();
  }

  static void expectDefaultTolerances() {
    const detail::Tolerances& t = detail::s_tolerances();
    EXPECT_EQ(t.linear, 1e-5);
    EXPECT_EQ(t.angular, 1e-5);
    EXPECT_EQ(t.third, 1e-12);
  }

  std::string dir;
};

TEST_F(Cad2ZoltTest, WithoutCadModelNothingIsConvertedOrWritten) {
  Cad2Zolt converter(nullptr, "u", "f", "o", "b", "M");
  converter.setTolerances(1, 2, 3);
  EXPECT_EQ(converter.convertToZoltModel(), KALOT_CAD_MODEL_NOT_SET);
  EXPECT_FALSE(converter.getZoltModel());
  expectDefaultTolerances();

  std::string message = "untouched";
  EXPECT_EQ(converter.writeToXML(message, path("none.xml")), KALOT_CAD_MODEL_NOT_SET);
  EXPECT_EQ(message, "untouched");
  EXPECT_FALSE(fileExists(path("none.xml")));
  expectDefaultTolerances();
}

TEST_F(Cad2ZoltTest, LonePartGetsSixDOFJointToRootBodyMadeAtTheEnd) {
  auto top = makeModel("Top", {1, 2, 3});
  place(top, "Ghost", "/Top/Ghost", nullptr);  // a reference without definition is skipped
  place(top, "P", "/Top/P", makeModel("PDef", {0, 0, 1}), {1, 0, 0});
  auto model = convert(top);
  ASSERT_TRUE(model);
  const Subsystem& s = *model->getTopSubsystem();

  EXPECT_EQ(model->getNodeID(), "Top");
  EXPECT_EQ(s.getNodeID(), "Top");
  // The root body appears only when six-DOF completion needs it, after the part.
  EXPECT_EQ(bodyRefNames(s), (std::vector<std::string>{"P", "RootPartRef"}));

  ASSERT_EQ(s.getGroundCount(), 1u);
  const Ground& ground = *s.getGroundAt(0);
  EXPECT_EQ(ground.getName(), "RootGround");
  EXPECT_EQ(ground.getNodeID(), "RootGround");
  EXPECT_EQ(ground.getFrame()->getID(), 0);
  EXPECT_EQ(ground.getFrame()->getName(), "CS1");

  ASSERT_EQ(jointNames(s), (std::vector<std::string>{"RootPart--P"}))
      << "no root body yet when the ground is made";
  const Joint& six = *s.getJointAt(0);
  EXPECT_EQ(six.getNodeID(), "/Top/P:-:Top/RootPart");
  expectPrimitives(six, {{KALOT_PRIM_PRISMATIC, {1, 0, 0}},
                         {KALOT_PRIM_PRISMATIC, {0, 1, 0}},
                         {KALOT_PRIM_PRISMATIC, {0, 0, 1}},
                         {KALOT_PRIM_SPHERICAL, {}}});
  expectAt(six.getBaseFrame()->getFrame()->getPosition(), {1, 2, 3});      // top CG
  expectAt(six.getFollowerFrame()->getFrame()->getPosition(), {1, 0, 1});  // part CG, placed
  EXPECT_EQ(six.getBaseFrame()->getFrame()->getID(), 1);
  EXPECT_EQ(six.getFollowerFrame()->getFrame()->getID(), 2);

  const Body& p = *bodyNamed(s, "P");
  EXPECT_EQ(p.getNodeID(), "/Top/P");
  EXPECT_EQ(s.getBodyRefAt(0)->getNodeID(), "/Top/P");
  ASSERT_EQ(p.getLinkCount(), 3u);
  EXPECT_EQ(p.getLinkAt(0)->getName(), "CG");
  EXPECT_EQ(p.getLinkAt(0)->getNodeID(), "/Top/P::CG(AUTOGEN)");
  EXPECT_EQ(p.getLinkAt(0)->getID(), -1);
  expectAt(p.getLinkAt(0)->getPosition(), {1, 0, 1});
  EXPECT_EQ(p.getLinkAt(1)->getName(), "CS1");
  EXPECT_EQ(p.getLinkAt(1)->getNodeID(), "/Top/P::CS1(AUTOGEN)");
  expectAt(p.getLinkAt(1)->getPosition(), {1, 0, 0});
}

TEST_F(Cad2ZoltTest, TopCoordinateSystemsMakeRootBodyThatIsWeldedToGround) {
  auto top = makeModel("Top", {1, 2, 3});
  addCS(top, "Datum", "cs-7", {0, 0, 5});
  place(top, "P", "/Top/P", makeModel("PDef"), {1, 0, 0});
  auto model = convert(top);
  const Subsystem& s = *model->getTopSubsystem();

  EXPECT_EQ(bodyRefNames(s), (std::vector<std::string>{"RootPartRef", "P"}));
  const Body& root = *s.getRootBodyRef()->getBody();
  ASSERT_GE(root.getLinkCount(), 3u);
  EXPECT_EQ(root.getLinkAt(0)->getName(), "CG");
  EXPECT_EQ(root.getLinkAt(1)->getName(), "CS1");
  const Frame& datum = *root.getLinkAt(2);
  EXPECT_EQ(datum.getName(), "CS2");
  EXPECT_EQ(datum.getDisplayName(), "Datum");
  EXPECT_EQ(datum.getNodeID(), "cs-7");
  EXPECT_EQ(datum.getID(), -1);
  expectAt(datum.getPosition(), {0, 0, 5});

  ASSERT_EQ(jointNames(s), (std::vector<std::string>{"RootGround--RootPart", "RootPart--P"}));
  const Joint& weld = *s.getJointAt(0);
  EXPECT_EQ(weld.getType(), KALOT_JOINT_WELD);
  EXPECT_EQ(weld.getNodeID(), "RootGround:-:Top/RootPart");
  EXPECT_EQ(weld.getBaseFrame()->getFrame(), s.getGroundAt(0)->getFrame());
  expectAt(weld.getBaseFrame()->getFrame()->getPosition(), {1, 2, 3});
  expectAt(weld.getFollowerFrame()->getFrame()->getPosition(), {1, 2, 3});
}

TEST_F(Cad2ZoltTest, FlexibleFlagNeedsChildrenToMakeSubsystem) {
  auto top = makeModel("Top");
  place(top, "Leaf", "/Top/Leaf", makeModel("LeafDef"), {0, 0, 0}, /*flexible=*/true);
  auto sub = makeModel("SubDef", {0, 0, 2});
  place(sub, "Q", "/Top/S/Q", makeModel("QDef"), {1, 0, 0});
  place(top, "S", "/Top/S", sub, {0, 0, 1}, /*flexible=*/true);
  auto model = convert(top);
  const Subsystem& s = *model->getTopSubsystem();

  EXPECT_TRUE(bodyNamed(s, "Leaf")) << "a flexible reference to a part is a body";
  ASSERT_EQ(s.getSubsystemRefCount(), 1u);
  const Subsystem& child = *s.getSubsystemRefAt(0)->getSubsystem();
  EXPECT_EQ(s.getSubsystemRefAt(0)->getName(), "S");
  EXPECT_EQ(child.getName(), "S");
  EXPECT_EQ(child.getNodeID(), "/Top/S");
  expectAt(child.getCGFrame()->getPosition(), {0, 0, 3});
  expectAt(child.getOriginFrame()->getPosition(), {0, 0, 1});
  const auto q = bodyNamed(child, "Q");
  ASSERT_TRUE(q);
  expectAt(q->getCGFrame()->getPosition(), {1, 0, 1});
  // Q floats inside S: its six-DOF joint goes to S's root body, in S.
  ASSERT_EQ(jointNames(child), (std::vector<std::string>{"RootPart--Q"}));
  EXPECT_EQ(child.getRootBodyRef()->getBody()->getNodeID(), "/Top/S/RootPart");
}

TEST_F(Cad2ZoltTest, RigidSubAssemblyIsOneBodyCarryingNestedCoordinateSystems) {
  auto top = makeModel("Top");
  auto arm = makeModel("ArmDef");
  auto link = makeModel("LinkDef");
  auto tip = makeModel("TipDef");
  addCS(arm, "A-cs", "a", {0, 1, 0});
  addCS(link, "L-cs", "l", {0, 0, 2});
  addCS(tip, "T-cs", "t", {0, 0, 0});
  place(link, "Tip", "/Top/Arm/Link/Tip", tip, {0, 0, 1});
  place(arm, "Link", "/Top/Arm/Link", link, {1, 0, 0});
  place(top, "Arm", "/Top/Arm", arm, {10, 0, 0}, false, 1.0, kRz90);
  auto model = convert(top);
  const Subsystem& s = *model->getTopSubsystem();

  EXPECT_EQ(bodyRefNames(s), (std::vector<std::string>{"Arm", "RootPartRef"}));
  const Body& body = *bodyNamed(s, "Arm");
  ASSERT_GE(body.getLinkCount(), 5u);
  const char* names[] = {"CG", "CS1", "CS2", "CS3", "CS4"};
  const char* shown[] = {"", "", "A-cs", "L-cs", "T-cs"};
  const Vec3 at[] = {{10, 0, 0}, {10, 0, 0}, {9, 0, 0}, {10, 1, 2}, {10, 1, 1}};
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(names[i]);
    const Frame& f = *body.getLinkAt(i);
    EXPECT_EQ(f.getName(), names[i]);
    EXPECT_EQ(f.getDisplayName(), shown[i]);
    expectAt(f.getPosition(), at[i]);
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(f.getOrientation()[k], kRz90[k], 1e-15);
  }
}

TEST_F(Cad2ZoltTest, FixedPartsAreWeldedAtTheirCentreOfGravityInsteadOfFloating) {
  auto top = makeModel("Top");
  place(top, "P", "/Top/P", makeModel("PDef", {0, 0, 1}), {2, 0, 0})->setFixed(true);
  auto sub = makeModel("SubDef", {0, 1, 0});
  place(sub, "Q", "/Top/S/Q", makeModel("QDef"));
  place(top, "S", "/Top/S", sub, {0, 0, 4}, /*flexible=*/true)->setFixed(true);
  auto model = convert(top);
  const Subsystem& s = *model->getTopSubsystem();

  // The fixed welds come with the tree and create the root body, so the ground is welded to it after them.
  ASSERT_EQ(jointNames(s),
            (std::vector<std::string>{"RootPart--P", "RootPart--RootPart", "RootGround--RootPart"}));
  const Joint& weld = *s.getJointAt(0);
  EXPECT_EQ(weld.getType(), KALOT_JOINT_WELD);
  EXPECT_EQ(weld.getNodeID(), "/Top/P:-:Top/RootPart");
  expectPrimitives(weld, {{KALOT_PRIM_WELD, {}}});
  expectAt(weld.getBaseFrame()->getFrame()->getPosition(), {2, 0, 1});
  expectAt(weld.getFollowerFrame()->getFrame()->getPosition(), {2, 0, 1});
  EXPECT_EQ(ownerBody(weld.getFollowerFrame())->getName(), "P");

  // A fixed flexible sub-assembly is welded root body to root body.
  const auto subWeld = s.getJointAt(1);
  EXPECT_EQ(subWeld->getNodeID(), "/Top/S/RootPart:-:Top/RootPart");
  expectAt(subWeld->getBaseFrame()->getFrame()->getPosition(), {0, 1, 4});
  EXPECT_EQ(ownerBody(subWeld->getFollowerFrame()),
            s.getSubsystemRefAt(0)->getSubsystem()->getRootBodyRef()->getBody());
}

TEST_F(Cad2ZoltTest, MassPropertiesFollowUnitsScaleAndMaterialPrecedence) {
  s_getDefaultCadUnit()->set(KALOT_MASS_G, KALOT_LENGTH_M);  // inertia g*cm^2, factor 10000
  const double inertia[6] = {1, 2, 3, 4, 5, 6};
  const double cg[3] = {1, 0, 0};
  const kalot_vis_mat_prop red{{1, 0, 0}, 0, 0, 0, 0, 0, 0}, blue{{0, 0, 1}, 0, 0, 0, 0, 0, 0};
  auto def = boost::make_shared<CadModel>("Def", 7.0, inertia, cg, 0.5, 0.25, "def.stl", &red);
  auto top = makeModel("Top");
  place(top, "Big", "/Top/Big", def, {0, 0, 0}, false, 2.0)->setMatProp(&blue);
  place(top, "Plain", "/Top/Plain", def);
  auto model = convert(top);
  const Subsystem& s = *model->getTopSubsystem();

  const Body& big = *bodyNamed(s, "Big");
  EXPECT_EQ(big.getMass(), 7.0) << "mass is not scaled";
  EXPECT_EQ(big.getMassUnits(), KALOT_MASS_G);
  EXPECT_EQ(big.getInertiaUnits(), KALOT_INERTIA_G_CM2);
  const double f = 10000 * 4;
  const double expected[9] = {1 * f, 4 * f, 5 * f, 4 * f, 2 * f, 6 * f, 5 * f, 6 * f, 3 * f};
  for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(big.getInertia()[i], expected[i]) << i;
  EXPECT_DOUBLE_EQ(big.getVolume(), 0.5 * 8);
  EXPECT_DOUBLE_EQ(big.getSArea(), 0.25 * 4);
  EXPECT_EQ(big.getFileName(), "def.stl");
  expectAt(big.getCGFrame()->getPosition(), {2, 0, 0});
  ASSERT_NE(big.getColor(), nullptr);
  EXPECT_EQ(big.getColor()->color[2], 1.0) << "the reference's material wins";

  const Body& plain = *bodyNamed(s, "Plain");
  ASSERT_NE(plain.getColor(), nullptr);
  EXPECT_EQ(plain.getColor()->color[0], 1.0) << "else the definition's";
  EXPECT_DOUBLE_EQ(plain.getInertia()[0], 1 * 10000.0);
}

TEST_F(Cad2ZoltTest, EachPlacementOfADefinitionGetsItsOwnJoint) {
  auto top = makeModel("Top");
  auto wheel = makeModel("WheelDef");
  auto axle = place(top, "Axle", "/Top/Axle", makeModel("AxleDef"));
  auto left = place(top, "Wheel", "/Top/WheelL", wheel, {0, -1, 0});
  auto right = place(top, "Wheel", "/Top/WheelR", wheel, {0, 1, 0});
  const Vec3 y{0, 1, 0};
  hinge(top, "Left", {axle}, kOrigin, {left}, {0, -1, 0}, {0, -1, 0}, y);
  hinge(top, "Right", {axle}, kOrigin, {right}, {0, 1, 0}, {0, 1, 0}, y);

  // A leg sub-assembly placed twice, each with the knee stated inside it.
  auto leg = makeModel("LegDef");
  auto thigh = place(leg, "Thigh", "", makeModel("ThighDef"));
  auto shin = place(leg, "Shin", "", makeModel("ShinDef"), {0, 0, -1});
  hinge(leg, "Knee", {thigh}, kOrigin, {shin}, {0, 0, -1}, {0, 0, -1}, y);
  place(top, "Leg", "/Top/Leg1", leg, {5, 0, 0}, /*flexible=*/true);
  place(top, "Leg", "/Top/Leg2", leg, {-5, 0, 0}, /*flexible=*/true);

  auto model = convert(top);
  const Subsystem& s = *model->getTopSubsystem();
  const auto l = jointNamed(s, "Axle--Wheel");
  const auto r = jointNamed(s, "Axle--Wheel-1");
  ASSERT_TRUE(l);
  ASSERT_TRUE(r);
  EXPECT_EQ(ownerBody(l->getFollowerFrame())->getNodeID(), "/Top/WheelL");
  EXPECT_EQ(ownerBody(r->getFollowerFrame())->getNodeID(), "/Top/WheelR");
  EXPECT_EQ(l->getNodeID(), "/Top/Axle:-:/Top/WheelL");
  EXPECT_EQ(r->getNodeID(), "/Top/Axle:-:/Top/WheelR");
  EXPECT_FALSE(jointNamed(s, "RootPart--Wheel")) << "both placements are connected";
  expectPrimitives(*l, {{KALOT_PRIM_REVOLUTE, y}});
  expectPrimitives(*r, {{KALOT_PRIM_REVOLUTE, y}});
  expectAt(r->getFollowerFrame()->getFrame()->getPosition(), {0, 1, 0});

  ASSERT_EQ(s.getSubsystemRefCount(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const Subsystem& legSub = *s.getSubsystemRefAt(i)->getSubsystem();
    SCOPED_TRACE(legSub.getName());
    const auto knee = jointNamed(legSub, "Thigh--Shin");
    ASSERT_TRUE(knee) << "each placement's constraints reach its own bodies";
    EXPECT_EQ(ownerBody(knee->getBaseFrame()), bodyNamed(legSub, "Thigh"));
    const double x = i == 0 ? 5 : -5;
    expectAt(knee->getBaseFrame()->getFrame()->getPosition(), {x, 0, -1});
  }
}

TEST_F(Cad2ZoltTest, UnsolvedPairIsWeldedReportedAndNotFloated) {
  auto top = makeModel("Top");
  auto a = place(top, "A", "/Top/A", makeModel("ADef"));
  auto b = place(top, "B", "/Top/B", makeModel("BDef"));
  constrain(top, "EdgeOnFace", 0, {a}, {kLine, kOrigin, kZ}, {b}, {kPlane, kOrigin, {1, 0, 0}});
  Cad2Zolt converter(top, "test", "memory", "today", "tester", "Top");

  std::string message;
  ASSERT_EQ(converter.writeToXML(message, path("first.xml")), KALOT_UNHANDLED_CONSTRAINT);
  EXPECT_EQ(
      message,
      "Constrained Parts: ADef, BDef\n"
      "Constrain Name: <All constrains>\n"
      "Error Details: Two sequential revolute joints are not supported. A weld joint has been added between "
      "the constrained parts.\n"
      "---------------------------------------------------------------------------------\n");
  EXPECT_EQ(converter.getConversionMessage(), message);
  const Subsystem& s = *converter.getZoltModel()->getTopSubsystem();
  EXPECT_EQ(jointNames(s), (std::vector<std::string>{"A--B"}))
      << "both parts are connected: no six-DOF joints";
  EXPECT_EQ(s.getJointAt(0)->getType(), KALOT_JOINT_WELD);

  ASSERT_EQ(converter.getPairRecords().size(), 1u);
  const Cad2Zolt::PairRecord& record = converter.getPairRecords()[0];
  EXPECT_EQ(record.status, KALOT_UNHANDLED_CONSTRAINT);
  EXPECT_EQ(record.constraintNames, (std::vector<std::string>{"EdgeOnFace"}));
  EXPECT_EQ(record.joint, s.getJointAt(0));
  EXPECT_EQ(record.report, message);

  // A second write re-uses the conversion: same model object, same result and report.
  const auto first = converter.getZoltModel();
  std::string again;
  EXPECT_EQ(converter.writeToXML(again, path("second.xml")), KALOT_UNHANDLED_CONSTRAINT);
  EXPECT_EQ(again, message);
  EXPECT_EQ(converter.getZoltModel(), first);
  const std::string written = readFile(path("first.xml"));
  EXPECT_NE(written.find("RootGround"), std::string::npos);
  EXPECT_EQ(written, readFile(path("second.xml")));

  // A failed write returns the writer's code and hands over no message.
  std::string untouched = "untouched";
  EXPECT_EQ(converter.writeToXML(untouched, path("missing-dir/out.xml")), KALOT_XML_READ_ERROR);
  EXPECT_EQ(untouched, "untouched");
}

// A concentric mate whose planes are 1e-4 rad off the axis: a hinge only when
// the angular tolerance allows it.
boost::shared_ptr<CadModel> skewedHinge() {
  auto top = makeModel("Top");
  auto a = place(top, "A", "/Top/A", makeModel("ADef"));
  auto b = place(top, "B", "/Top/B", makeModel("BDef"));
  constrain(top, "C", 0, {a}, {kCylinder, kOrigin, kZ}, {b}, {kCylinder, kOrigin, kZ});
  constrain(top, "P", 0, {a}, {kPlane, kOrigin, {1e-4, 0, 1}}, {b}, {kPlane, kOrigin, {1e-4, 0, 1}});
  return top;
}

bool convertsToHinge(Cad2Zolt& converter) {
  EXPECT_EQ(converter.convertToZoltModel(), KALOT_SUCCESS);
  const auto joint = jointNamed(*converter.getZoltModel()->getTopSubsystem(), "A--B");
  return joint && joint->getPrimitiveCount() == 1 &&
         joint->getPrimitiveAt(0)->getType() == KALOT_PRIM_REVOLUTE;
}

TEST_F(Cad2ZoltTest, TolerancesAreInForceOnlyDuringEachConversion) {
  const auto top = skewedHinge();
  Cad2Zolt strict(top, "t", "m", "d", "b", "Top");
  EXPECT_FALSE(convertsToHinge(strict));
  expectDefaultTolerances();

  Cad2Zolt loose(top, "t", "m", "d", "b", "Top");
  loose.setTolerances(1e-3, 1e-3, 0);
  EXPECT_TRUE(convertsToHinge(loose));
  expectDefaultTolerances();
  EXPECT_TRUE(convertsToHinge(loose)) << "the second conversion uses the same values";
  expectDefaultTolerances();

  Cad2Zolt fresh(top, "t", "m", "d", "b", "Top");
  EXPECT_EQ(fresh.getLinearTolerance(), 1e-5);
  EXPECT_FALSE(convertsToHinge(fresh)) << "a new converter starts from the defaults";
}

TEST_F(Cad2ZoltTest, SelfPlacingAssemblyFailsWithoutHalfModelAndResetsTolerances) {
  auto top = makeModel("Top");
  auto loop = makeModel("LoopDef");
  place(top, "L", "/Top/L", loop, {0, 0, 0}, /*flexible=*/true);
  place(loop, "Again", "/Top/L/Again", loop, {0, 0, 0}, /*flexible=*/true);
  Cad2Zolt converter(top, "t", "m", "d", "b", "Top");
  converter.setTolerances(1, 1, 1);
  std::string message;
  EXPECT_THROW(converter.writeToXML(message, path("loop.xml")), std::runtime_error);
  EXPECT_FALSE(converter.getZoltModel());
  EXPECT_FALSE(fileExists(path("loop.xml")));
  expectDefaultTolerances();

  // The same inside a rigid sub-assembly, where coordinate systems are collected.
  auto rigidLoop = makeModel("RigidLoopDef");
  place(rigidLoop, "Self", "", rigidLoop);
  auto top2 = makeModel("Top");
  place(top2, "R", "/Top/R", rigidLoop);
  Cad2Zolt second(top2, "t", "m", "d", "b", "Top");
  EXPECT_THROW(second.convertToZoltModel(), std::runtime_error);

  // The models own themselves; break the cycles so they are released.
  loop->cadmodels.clear();
  rigidLoop->cadmodels.clear();
}

TEST_F(Cad2ZoltTest, ConstraintInsideOneRigidBodyMakesNoJointToItself) {
  auto top = makeModel("Top");
  auto sub = makeModel("SubDef");
  auto p1 = place(sub, "P1", "/Top/Sub/P1", makeModel("P1Def"));
  auto p2 = place(sub, "P2", "/Top/Sub/P2", makeModel("P2Def"), {1, 0, 0});
  auto subRef = place(top, "Sub", "/Top/Sub", sub);  // rigid: one body
  // Stated at the top between two parts of the rigid sub-assembly, and once
  // between the top assembly and itself: both sides land on one body.
  constrain(top, "Inner", 0, {subRef, p1}, {kLine, kOrigin, kZ}, {subRef, p2}, {kLine, {-1, 0, 0}, kZ});
  constrain(top, "Self", 7, {}, {kLine, kOrigin, kZ}, {}, {kLine, kOrigin, kZ});
  auto model = convert(top);
  const Subsystem& s = *model->getTopSubsystem();

  // The body still floats on its six-DOF joint instead of hanging on a joint
  // to itself. (Looking up the top assembly as a side made its root body
  // early, so the ground is welded to it.)
  EXPECT_EQ(jointNames(s), (std::vector<std::string>{"RootGround--RootPart", "RootPart--Sub"}));
  ASSERT_TRUE(jointNamed(s, "RootPart--Sub"));
  EXPECT_EQ(jointNamed(s, "RootPart--Sub")->getPrimitiveCount(), 4u);
}

TEST_F(Cad2ZoltTest, SameInputWritesIdenticalFiles) {
  const auto build = [] {
    auto top = makeModel("Top", {0, 0, 1});
    auto sub = makeModel("SubDef");
    auto a = place(sub, "A", "/Top/S/A", makeModel("ADef"));
    auto b = place(sub, "B", "/Top/S/B", makeModel("BDef"), {1, 0, 0});
    hinge(sub, "H", {a}, kOrigin, {b}, {1, 0, 0}, {0.5, 0, 0}, kZ);
    place(top, "S", "/Top/S", sub, {0, 0, 0}, true);
    place(top, "Free", "/Top/Free", makeModel("FreeDef"));
    return top;
  };
  std::string m1, m2;
  Cad2Zolt c1(build(), "t", "m", "d", "b", "Top"), c2(build(), "t", "m", "d", "b", "Top");
  ASSERT_EQ(c1.writeToXML(m1, path("one.xml")), KALOT_SUCCESS);
  ASSERT_EQ(c2.writeToXML(m2, path("two.xml")), KALOT_SUCCESS);
  EXPECT_TRUE(m1.empty());
  EXPECT_EQ(readFile(path("one.xml")), readFile(path("two.xml")));
}

}  // namespace
}  // namespace kalo_toolkit::testing
