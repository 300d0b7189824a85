#include "c2c_test_support.hpp"

namespace c2c_test {
namespace {

const Instance kId1{{"P"}, {}};
const Instance kId2{{"Q"}, {}};
const Instance kA{{"Crank"}, placement({0.2, 1, 0.3}, 50, {2, 1, -1})};
const Instance kB{{"Frame", "Body"}, placement({1, 0, 0}, 110, {-3, 0, 4})};

TEST(TwoConstraintRules, AxisAndPlaneContact) {
  const C axis = sameGeometry(C::Concentric, "cyl", G::Cylinder, kA, kB, {0, 0, 0}, {0, 0, 1});
  const auto withPlane = [&](const Vector3_T& normal) {
    return computeOne({axis, sameGeometry(C::Coincident, "pln", G::Plane, kA, kB, {0, 0, 2}, normal)});
  };
  const Connection revolute = withPlane({0, 0, -1});
  EXPECT_EQ(revolute.type, Connection::Revolute);
  EXPECT_TRUE(isParallel(zAxis(inAssembly(revolute.baseFrame, kA)), {0, 0, 1}));
  expectJointFrames(revolute, kA, kB);
  EXPECT_EQ(withPlane({1, 0, 0}).type, Connection::Prismatic);
  const Connection weld = withPlane({1, 0, 1});
  EXPECT_EQ(weld.type, Connection::Weld);
  EXPECT_EQ(weld.status, 0);
}

TEST(TwoConstraintRules, TwoAxes) {
  const C first = sameGeometry(C::Coincident, "l1", G::Line, kId1, kId2, {0, 0, 0}, {0, 0, 1});
  EXPECT_EQ(
      computeOne({first, sameGeometry(C::Coincident, "l2", G::Line, kId1, kId2, {1, 0, 0}, {0, 0, 1})}).type,
      Connection::Prismatic);
  const Connection crossing =
      computeOne({first, sameGeometry(C::Coincident, "l2", G::Line, kId1, kId2, {1, 0, 0}, {0, 1, 0})});
  EXPECT_EQ(crossing.type, Connection::Weld);
  EXPECT_EQ(crossing.status, 0);
  const Connection common =
      computeOne({first, sameGeometry(C::Coincident, "l2", G::Line, kId1, kId2, {0, 0, 4}, {0, 0, -1})});
  EXPECT_EQ(common.type, Connection::Cylindrical);
  EXPECT_EQ(common.constraintsUsed.size(), 1u);
}

TEST(TwoConstraintRules, TwoPlaneContactsGivePrismaticAlongTheirLine) {
  const Connection c = computeOne({sameGeometry(C::Coincident, "z", G::Plane, kId1, kId2, {}, {0, 0, 1}),
                                   sameGeometry(C::Coincident, "x", G::Plane, kId1, kId2, {}, {1, 0, 0})});
  EXPECT_EQ(c.type, Connection::Prismatic);
  expectNear(zAxis(c.baseFrame.transform), {0, 1, 0});
}

TEST(TwoConstraintRules, TwoPointsGiveRevoluteThroughTheirMidpoint) {
  const Connection c = computeOne({sameGeometry(C::Coincident, "p0", G::Point, kA, kB, {0, 0, 0}),
                                   sameGeometry(C::Coincident, "p2", G::Point, kA, kB, {0, 0, 2})});
  EXPECT_EQ(c.type, Connection::Revolute);
  const Transform3_T base = inAssembly(c.baseFrame, kA);
  expectNear(base.translation(), {0, 0, 1});
  expectNear(zAxis(base), {0, 0, 1});
  expectJointFrames(c, kA, kB);
}

TEST(TwoConstraintRules, RigidPairs) {
  const Connection points = computeOne({pairOf(C::Rigid, "r1", G::Point, kA, kB, {0, 0, 0}),
                                        pairOf(C::Rigid, "r2", G::Point, kA, kB, {1, 0, 0})});
  EXPECT_EQ(points.type, Connection::Weld);
  EXPECT_EQ(points.status, 0);
  const Connection planes = computeOne({pairOf(C::Rigid, "r1", G::Plane, kA, kB, {0, 0, 0}),
                                        pairOf(C::Rigid, "r2", G::Plane, kA, kB, {1, 0, 0}, {1, 0, 0})});
  EXPECT_EQ(planes.type, Connection::Weld);
  EXPECT_EQ(planes.status, 1);
}

TEST(TwoConstraintRules, PointAndPlaneGiveRevoluteAlongTheNormal) {
  const C point = sameGeometry(C::Coincident, "pt", G::Point, kA, kB, {1, 2, 3});
  const C plane = sameGeometry(C::Coincident, "pln", G::Plane, kA, kB, {0, 0, 3}, {0, 1, 1});
  // The plane constraint names the follower's geometry first: the normal must
  // still be taken in the coordinates of the point's instance.
  for (const C& p : {plane, flipped(plane)}) {
    const Connection c = computeOne({point, p});
    EXPECT_EQ(c.type, Connection::Revolute);
    const Transform3_T base = inAssembly(c.baseFrame, kA);
    expectNear(base.translation(), {1, 2, 3});
    EXPECT_TRUE(isParallel(zAxis(base), {0, 1, 1}));
    expectJointFrames(c, kA, kB);
  }
  const C apart = pairOf(C::Distance, "dt", G::Point, kA, kB, {1, 2, 3}, Vector3_T::K, {1, 2, 5});
  const Connection c = computeOne({apart, plane});
  EXPECT_EQ(c.type, Connection::Revolute);
  expectNear(inAssembly(c.baseFrame, kA).translation(), {1, 2, 4});
}

TEST(TwoConstraintRules, AxisAndLineOrientationTakeTheAxisOfTheCoincidence) {
  const C axis = sameGeometry(C::Coincident, "ax", G::Line, kA, kB, {1, 1, 0}, {1, 0, 0});
  const C orient = pairOf(C::Parallel, "pl", G::Line, kA, kB, {0, 5, 5}, {0, 1, 0}, {7, 0, 0}, {0, -1, 0});
  // Whether the coincidence comes first, or second with its geometries swapped.
  for (const Connection& c : {computeOne({axis, orient}), computeOne({orient, flipped(axis)})}) {
    EXPECT_EQ(c.type, Connection::Prismatic);
    const Transform3_T base = inAssembly(c.baseFrame, kA);
    expectNear(base.translation(), {1, 1, 0});
    EXPECT_TRUE(isParallel(zAxis(base), {1, 0, 0}));
  }
}

TEST(ThreeConstraintRules, ParallelPlanesGiveCartesianAtWeightedMidpoint) {
  const Connection c =
      computeOne({pairOf(C::Parallel, "x", G::Plane, kId1, kId2, {0, 0, 0}, {1, 0, 0}, {}, {1, 0, 0}),
                  pairOf(C::Parallel, "y", G::Plane, kId1, kId2, {4, 0, 0}, {0, 1, 0}, {}, {0, 1, 0}),
                  pairOf(C::Parallel, "z", G::Plane, kId1, kId2, {0, 8, 0}, {0, 0, 1}, {}, {0, 0, 1})});
  EXPECT_EQ(c.type, Connection::Cartesian);
  expectNear(c.baseFrame.transform.translation(), {1, 4, 0}, 0);
  EXPECT_EQ(c.baseFrame.transform.rotation().w(), 1.0);
}

TEST(ThreeConstraintRules, TwoAxesAndAPlaneWeldWithoutStatus) {
  const Connection c =
      computeOne({sameGeometry(C::Coincident, "l1", G::Line, kA, kB, {0, 0, 0}, {0, 0, 1}),
                  sameGeometry(C::Coincident, "l2", G::Line, kA, kB, {1, 0, 0}, {0, 0, 1}),
                  sameGeometry(C::Coincident, "pln", G::Plane, kA, kB, {0, 0, 0}, {0, 0, 1})});
  EXPECT_EQ(c.type, Connection::Weld);
  EXPECT_EQ(c.status, 0);
  EXPECT_EQ(c.constraintsUsed.size(), 3u);
}

}  // namespace
}  // namespace c2c_test
