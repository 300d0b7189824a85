// Classic mechanisms built from constraints between instances placed away from
// the assembly origin: joint types, axes, and base and follower frames that
// describe the same pose in assembly coordinates.

#include "c2c_test_support.hpp"

#include <map>

namespace c2c_test {
namespace {

const Instance kGround{{"Ground"}, placement({0, 0, 1}, 15, {-1, 2, 0})};
const Instance kCrank{{"Linkage", "Crank"}, placement({0, 1, 1}, 70, {3, -1, 2})};
const Instance kCoupler{{"Linkage", "Coupler"}, placement({1, -2, 0.5}, -140, {0.5, 6, -3})};
const Instance kRocker{{"Linkage", "Rocker"}, placement({1, 0, 0}, 180, {2, 2, 2})};

std::map<std::vector<std::string>, Instance> byPath(std::initializer_list<Instance> instances) {
  std::map<std::vector<std::string>, Instance> map;
  for (const Instance& i : instances) map.emplace(i.path, i);
  return map;
}

// A revolute about `axis` through `pivot`: checked by type, axis, a base origin
// on the axis and equal poses of both frames.
void expectRevolute(const Connection& c, const std::map<std::vector<std::string>, Instance>& instances,
                    const Vector3_T& pivot, const Vector3_T& axis) {
  EXPECT_EQ(c.type, Connection::Revolute);
  const Instance& base = instances.at(c.baseFrame.instancePath);
  const Transform3_T pose = inAssembly(c.baseFrame, base);
  EXPECT_TRUE(isParallel(zAxis(pose), axis));
  EXPECT_TRUE(isParallel(pose.translation() - pivot, axis) || (pose.translation() - pivot).norm() < 1e-9);
  expectJointFrames(c, base, instances.at(c.followerFrame.instancePath));
}

TEST(Mechanisms, FourBarLinkageOfFourRevolutes) {
  const Vector3_T z(0, 0, 1), o(0, 0, 0), a(1, 1, 0), b(3.5, 2, 0), d(4, 0, 0);
  const auto instances = byPath({kGround, kCrank, kCoupler, kRocker});
  const Vector3_T up(0, 0, 0.5);
  const std::vector<Connection> result = compute({
      // Ground-crank: one pair of coincident circles.
      C(C::Coincident, "gc", geomAt(G::Circle, kGround, o, z), geomAt(G::Circle, kCrank, o, z)),
      // Crank-coupler: a concentric pin and a face contact normal to it.
      C(C::Concentric, "pin", geomAt(G::Cylinder, kCrank, a, z), geomAt(G::Cylinder, kCoupler, a, z)),
      C(C::Coincident, "face", geomAt(G::Plane, kCoupler, a + up, z), geomAt(G::Plane, kCrank, a + up, z)),
      // Coupler-rocker: two points on the axis.
      C(C::Coincident, "p1", geomAt(G::Point, kRocker, b), geomAt(G::Point, kCoupler, b)),
      C(C::Coincident, "p2", geomAt(G::Point, kRocker, b + up), geomAt(G::Sphere, kCoupler, b + up)),
      // Rocker-ground: a point and a plane normal to the axis.
      C(C::Coincident, "pt", geomAt(G::Point, kGround, d), geomAt(G::Point, kRocker, d)),
      C(C::Coincident, "pln", geomAt(G::Plane, kRocker, d, z), geomAt(G::Plane, kGround, d, z)),
  });
  ASSERT_EQ(result.size(), 4u);
  std::map<std::string, const Connection*> byFirstName;
  for (const Connection& c : result) byFirstName[c.constraintsOriginal.front().name] = &c;
  expectRevolute(*byFirstName.at("gc"), instances, o, z);
  expectRevolute(*byFirstName.at("pin"), instances, a, z);
  expectRevolute(*byFirstName.at("p1"), instances, b, z);
  expectRevolute(*byFirstName.at("pt"), instances, d, z);
}

TEST(Mechanisms, SliderCrankOfThreeRevolutesAndAPrismatic) {
  const Instance slider{{"Slider"}, placement({0, 0, 1}, -60, {9, 9, 0})};
  const auto instances = byPath({kGround, kCrank, kCoupler, slider});
  const Vector3_T z(0, 0, 1), o(0, 0, 0), a(0, 1.5, 0), s(4, 0, 0);
  const std::vector<Connection> result = compute({
      C(C::Coincident, "main", geomAt(G::Circle, kGround, o, z), geomAt(G::Circle, kCrank, o, z)),
      C(C::Coincident, "crankpin", geomAt(G::Circle, kCrank, a, z), geomAt(G::Circle, kCoupler, a, z)),
      C(C::Coincident, "wristpin", geomAt(G::Circle, kCoupler, s, z), geomAt(G::Circle, slider, s, z)),
      // The slider rests on the floor (normal z) and runs along a rail side (normal y).
      C(C::Coincident, "floor", geomAt(G::Plane, slider, {5, 0, -1}, z),
        geomAt(G::Plane, kGround, {0, 3, -1}, z)),
      C(C::Coincident, "rail", geomAt(G::Plane, slider, {5, -1, 0}, {0, -1, 0}),
        geomAt(G::Plane, kGround, {-2, -1, 7}, {0, 1, 0})),
  });
  ASSERT_EQ(result.size(), 4u);
  const std::map<std::string, Vector3_T> pivots{{"main", o}, {"crankpin", a}, {"wristpin", s}};
  for (const Connection& c : result) {
    const std::string& name = c.constraintsOriginal.front().name;
    if (pivots.count(name) != 0) {
      expectRevolute(c, instances, pivots.at(name), z);
      continue;
    }
    // The two plane contacts meet along x; the frame sits on the slider's floor face.
    EXPECT_EQ(name, "floor");
    EXPECT_EQ(c.type, Connection::Prismatic);
    const Transform3_T pose = inAssembly(c.baseFrame, slider);
    EXPECT_TRUE(isParallel(zAxis(pose), {1, 0, 0}));
    expectNear(pose.translation(), {5, 0, -1});
    expectJointFrames(c, slider, kGround);
  }
}

TEST(Mechanisms, UniversalJointOfACentreAndTwoPerpendicularArms) {
  const Vector3_T centre(2, -1, 3), u(0, 1, 1), v(0, 1, -1);
  // The cross arms: one fixed in the input yoke, one in the output yoke.
  for (bool armsFirst : {false, true}) {
    std::vector<C> constraints{
        C(C::Concentric, "centre", geomAt(G::Sphere, kCrank, centre), geomAt(G::Sphere, kCoupler, centre)),
        C(C::Perpendicular, "arms", geomAt(G::Line, armsFirst ? kCoupler : kCrank, centre, armsFirst ? v : u),
          geomAt(G::Line, armsFirst ? kCrank : kCoupler, centre, armsFirst ? u : v))};
    const std::vector<Connection> result = compute(constraints);
    ASSERT_EQ(result.size(), 1u);
    const Connection& c = result.front();
    EXPECT_EQ(c.type, Connection::Universal);
    const Transform3_T pose = inAssembly(c.baseFrame, kCrank);
    expectNear(pose.translation(), centre);
    const Vector3_T x = pose.xformDir(Vector3_T::I), y = pose.xformDir(Vector3_T::J);
    EXPECT_TRUE(isParallel(x, armsFirst ? v : u));
    EXPECT_TRUE(isParallel(y, armsFirst ? u : v));
    expectJointFrames(c, kCrank, kCoupler);
  }
}

}  // namespace
}  // namespace c2c_test
