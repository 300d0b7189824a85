// One case per combination rule for instance pairs left with two or three
// constraints: the connection type, its status and both frames in assembly
// coordinates. Instances are placed away from the assembly origin so that a
// rule mixing the coordinates of the two instances shows.

#include "c2c_test_support.hpp"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace c2c_test {
namespace {

const Instance kA{{"Carriage"}, placement({0.3, -1, 0.5}, 40, {1, -2, 3})};
const Instance kB{{"Bed", "Rail"}, placement({1, 1, 0}, -75, {-4, 2, 0.5})};

// Base on `base` at `origin` with z along `axis` (both in assembly
// coordinates), follower on `follower` at the same pose.
void expectFrames(const Connection& c, const Vector3_T& origin, const Vector3_T& axis,
                  const Instance& base = kA, const Instance& follower = kB) {
  const Transform3_T pose = inAssembly(c.baseFrame, base);
  expectNear(pose.translation(), origin);
  expectNear(zAxis(pose), axis / axis.norm());
  expectJointFrames(c, base, follower);
}

// A connection derived by a rule, with the frames of expectFrames.
void expectAlongAxis(const Connection& c, Connection::Type type, const Vector3_T& origin,
                     const Vector3_T& axis, const Instance& base = kA, const Instance& follower = kB) {
  EXPECT_EQ(c.type, type);
  EXPECT_EQ(c.status, Connection::s_statusDerived);
  expectFrames(c, origin, axis, base, follower);
}

// The two constraints added in either order.
std::vector<std::vector<C>> bothOrders(const C& first, const C& second) {
  return {{first, second}, {second, first}};
}

// An axis shared by both instances: lines made coincident, cylinders that touch
// (normalised to lines) and concentric cylinders.
struct Axis {
  const char* what;
  C constraint;
};

std::vector<Axis> axesThrough(const Vector3_T& p, const Vector3_T& d) {
  return {{"lines", sameGeometry(C::Coincident, "axis", G::Line, kA, kB, p, d)},
          {"touching cylinders", sameGeometry(C::Coincident, "axis", G::Cylinder, kA, kB, p, d)},
          {"concentric cylinders", sameGeometry(C::Concentric, "axis", G::Cylinder, kA, kB, p, d)}};
}

TEST(TwoConstraintRules, AxisAndOrientationGivePrismaticAxisAndPointRevoluteAboutTheAxis) {
  const Vector3_T p(1, 2, 0), d(0, 1, 1);
  // Orientations whose directions are not along the axis, so the clean-up keeps
  // them; points apart stay a distance constraint.
  const C distance = pairOf(C::Distance, "2nd", G::Point, kA, kB, {4, 4, 4}, Vector3_T::K, {4, 6, 4});
  ASSERT_EQ(distance.getConstraintType(), "PntPntDt");
  const std::vector<std::pair<C, Connection::Type>> seconds{
      {sameGeometry(C::Parallel, "2nd", G::Plane, kA, kB, {3, 0, 0}, {1, 0, 0}), Connection::Prismatic},
      {pairOf(C::Perpendicular, "2nd", G::Plane, kA, kB, {3, 0, 0}, {1, 0, 0}, {0, 5, 1}, {0, 1, -1}),
       Connection::Prismatic},
      {pairOf(C::Angle, "2nd", G::Plane, kA, kB, {3, 0, 0}, {1, 0, 0}, {0, 5, 1}, {1, 1, 0}),
       Connection::Prismatic},
      {sameGeometry(C::Coincident, "2nd", G::Point, kA, kB, {4, 4, 4}), Connection::Revolute},
      {distance, Connection::Revolute}};
  for (const Axis& axis : axesThrough(p, d)) {
    for (const auto& [second, type] : seconds) {
      for (const std::vector<C>& constraints : bothOrders(axis.constraint, second)) {
        SCOPED_TRACE(std::string(axis.what) + " + " + second.getConstraintType() + " first " +
                     constraints.front().getConstraintType());
        const Connection c = computeOne(constraints);
        ASSERT_EQ(c.constraintsUsed.size(), 2u);
        expectAlongAxis(c, type, p, d);
      }
    }
  }
  // A line orientation takes the axis of the coincidence also when that comes
  // second with its geometries named in the opposite order.
  const C lines = axesThrough(p, d).front().constraint;
  const C orientation =
      pairOf(C::Parallel, "2nd", G::Line, kA, kB, {0, 5, 5}, {1, 0, 0}, {7, 0, 0}, {-1, 0, 0});
  for (const std::vector<C>& constraints :
       {std::vector<C>{lines, orientation}, {orientation, flipped(lines)}}) {
    expectAlongAxis(computeOne(constraints), Connection::Prismatic, p, d);
  }
}

TEST(TwoConstraintRules, AxisAndPlaneContactDependOnTheNormal) {
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
  EXPECT_EQ(weld.status, Connection::s_statusDerived);
}

TEST(TwoConstraintRules, TwoPointsGiveRevoluteThroughTheirMidpoint) {
  const Connection c = computeOne({sameGeometry(C::Coincident, "p0", G::Point, kA, kB, {0, 0, 0}),
                                   sameGeometry(C::Coincident, "p2", G::Point, kA, kB, {0, 0, 2})});
  expectAlongAxis(c, Connection::Revolute, {0, 0, 1}, {0, 0, 1});
}

TEST(TwoConstraintRules, RigidPairs) {
  const Connection points = computeOne({pairOf(C::Rigid, "r1", G::Point, kA, kB, {0, 0, 0}),
                                        pairOf(C::Rigid, "r2", G::Point, kA, kB, {1, 0, 0})});
  EXPECT_EQ(points.type, Connection::Weld);
  EXPECT_EQ(points.status, Connection::s_statusDerived);
  const Connection planes = computeOne({pairOf(C::Rigid, "r1", G::Plane, kA, kB, {0, 0, 0}),
                                        pairOf(C::Rigid, "r2", G::Plane, kA, kB, {1, 0, 0}, {1, 0, 0})});
  EXPECT_EQ(planes.type, Connection::Weld);
  EXPECT_EQ(planes.status, Connection::s_statusNoRule);
}

// Orientations of a plane contact normal to n: their directions are not along n,
// so the clean-up keeps them.
std::vector<C> orientationsAcross() {
  return {
      sameGeometry(C::Parallel, "orient", G::Plane, kA, kB, {2, 0, 0}, {1, 0, 0}),
      pairOf(C::Perpendicular, "orient", G::Plane, kA, kB, {2, 0, 0}, {1, 0, 0}, {0, 1, 1}, {0, 0.8, -0.6}),
      pairOf(C::Angle, "orient", G::Plane, kA, kB, {2, 0, 0}, {1, 0, 0}, {0, 1, 1}, {1, 1, 0}),
      pairOf(C::Parallel, "orient", G::Line, kA, kB, {0, 3, 0}, {1, 0, 0}, {5, 5, 5}, {-1, 0, 0})};
}

TEST(TwoConstraintRules, PlaneContactOrDistanceAndOrientationGiveRectangularOnTheFirstPlane) {
  const Vector3_T p(1, 1, 1), n(0, 0.6, 0.8);
  const C contact = sameGeometry(C::Coincident, "contact", G::Plane, kA, kB, p, n);
  const C gap = pairOf(C::Distance, "gap", G::Plane, kA, kB, p, n, {1, 2.2, 2.6}, n);
  ASSERT_EQ(gap.getConstraintType(), "PlnPlnDt");
  // The axis comes from the plane pair whether it is the first constraint or not.
  for (const C& planes : {contact, gap}) {
    for (const C& orientation : orientationsAcross()) {
      for (const std::vector<C>& constraints : bothOrders(planes, orientation)) {
        SCOPED_TRACE(orientation.getConstraintType() + " first " + constraints.front().getConstraintType());
        const Connection c = computeOne(constraints);
        ASSERT_EQ(c.constraintsUsed.size(), 2u);
        expectAlongAxis(c, Connection::Rectangular, p, n);
      }
    }
  }
}

TEST(TwoConstraintRules, TwoParallelPlanePairsGiveCartesianBetweenThePlanesOfTheFirstInstance) {
  // The second constraint names kB's plane first: its plane on kA is still the one used.
  const C x = pairOf(C::Parallel, "x", G::Plane, kA, kB, {1, 0, 0}, {1, 0, 0}, {7, 7, 7}, {-1, 0, 0});
  const C y =
      flipped(pairOf(C::Parallel, "y", G::Plane, kA, kB, {0, 4, 2}, {0, 1, 0}, {-6, 0, 0}, {0, 1, 0}));
  const Connection c = computeOne({x, y});
  EXPECT_EQ(c.type, Connection::Cartesian);
  EXPECT_EQ(c.status, Connection::s_statusDerived);
  // Axes I, J, K of kA's coordinates, origin halfway between the two planes' points on kA.
  expectNear(c.baseFrame.transform.xformDir(Vector3_T::I), Vector3_T::I);
  expectNear(c.baseFrame.transform.xformDir(Vector3_T::J), Vector3_T::J);
  expectNear(inAssembly(c.baseFrame, kA).translation(), {0.5, 2, 1});
  expectJointFrames(c, kA, kB);
}

TEST(TwoConstraintRules, PointAndPlaneGiveRevoluteAlongTheNormalForEveryPlaneRelation) {
  const Vector3_T n(0, 1, 1);
  const std::vector<C> planes{sameGeometry(C::Coincident, "pln", G::Plane, kA, kB, {0, 0, 3}, n),
                              pairOf(C::Distance, "pln", G::Plane, kA, kB, {0, 0, 3}, n, {0, 2, 3}, n),
                              pairOf(C::Parallel, "pln", G::Plane, kA, kB, {0, 0, 3}, n, {9, 0, 0}, n),
                              // Follower's plane first: the normal is still taken where it lies in space.
                              flipped(sameGeometry(C::Coincident, "pln", G::Plane, kA, kB, {0, 0, 3}, n))};
  const C coincident = sameGeometry(C::Coincident, "pt", G::Point, kA, kB, {1, 2, 3});
  const C distance = pairOf(C::Distance, "pt", G::Point, kA, kB, {1, 2, 3}, Vector3_T::K, {1, 2, 5});
  for (const C& plane : planes) {
    SCOPED_TRACE(plane.getConstraintType());
    // Coincident points: the axis goes through them.
    expectAlongAxis(computeOne({coincident, plane}), Connection::Revolute, {1, 2, 3}, n);
    // Points apart: the axis goes through the midpoint, whichever constraint comes first.
    for (const std::vector<C>& constraints : bothOrders(distance, plane)) {
      expectAlongAxis(computeOne(constraints), Connection::Revolute, {1, 2, 4}, n);
    }
  }
}

// Two line pairs, kB translated along x: the second line pair's point on kB has
// to be compared with kA's axis in common coordinates.
TEST(TwoConstraintRules, TwoAxesCompareTheSecondAxisInCommonCoordinates) {
  const Instance a{{"A"}, {}};
  const Instance b{{"B"}, Transform3_T(Vector3_T(5, 0, 0))};
  const C first(C::Coincident, "c0", geom(G::Line, a, {0, 0, 0}), geom(G::Line, b, {-5, 0, 0}));
  // kB's line sits at (0, 0, 0) of its own coordinates but at (5, 0, 0) in space:
  // the two axes are distinct, so only sliding along them remains.
  const C apart(C::Coincident, "c1", geom(G::Line, a, {5, 0, 0}), geom(G::Line, b, {0, 0, 0}));
  for (const C& second : {apart, flipped(apart)}) {
    expectAlongAxis(computeOne({first, second}), Connection::Prismatic, {0, 0, 0}, {0, 0, 1}, a, b);
  }
  // kB's line at (-5, 0, 7) of its coordinates lies on kA's axis in space.
  const C onAxis(C::Coincident, "c1", geom(G::Line, a, {3, 0, 0}), geom(G::Line, b, {-5, 0, 7}));
  for (const C& second : {onAxis, flipped(onAxis)}) {
    expectAlongAxis(computeOne({first, second}), Connection::Cylindrical, {0, 0, 0}, {0, 0, 1}, a, b);
  }
  const C crossing(C::Coincident, "c1", geom(G::Line, a, {1, 0, 0}, {0, 1, 0}),
                   geom(G::Line, b, {-4, 0, 0}, {0, 1, 0}));
  const Connection weld = computeOne({first, crossing});
  EXPECT_EQ(weld.type, Connection::Weld);
  EXPECT_EQ(weld.status, Connection::s_statusDerived);
}

// The plane's normal is given on the other instance, which is rotated: the
// revolute axis must be that normal as it lies in space.
TEST(TwoConstraintRules, PointAndPlaneOfARotatedInstanceTakeTheNormalInSpace) {
  const Instance a{{"A"}, {}};
  const Instance b{{"B"}, placement({0, 1, 0}, 90, {0, 0, 0})};
  // kB's normal x of its own coordinates is -z in space.
  const C contact(C::Coincident, "c0", geom(G::Circle, a, {0, 0, 0}, {0, 0, 1}),
                  geom(G::Plane, b, {0, 0, 0}, {1, 0, 0}));
  ASSERT_EQ(contact.getConstraintType(), "PlnPlnCn");
  const C coincident(C::Coincident, "c1", geomAt(G::Point, a, {1, 1, 1}), geomAt(G::Point, b, {1, 1, 1}));
  expectAlongAxis(computeOne({contact, coincident}), Connection::Revolute, {1, 1, 1}, {0, 0, -1}, a, b);
  const C distance(C::Distance, "c1", geomAt(G::Point, a, {1, 1, 1}), geomAt(G::Point, b, {1, 1, 3}));
  expectAlongAxis(computeOne({contact, distance}), Connection::Revolute, {1, 1, 2}, {0, 0, -1}, a, b);
}

// Building blocks of the three-constraint cases, all between kA and kB: an axis
// along z, plane relations whose normals are not along one another or the axis
// (so the clean-up removes nothing), and points.
struct Blocks {
  C lines = sameGeometry(C::Coincident, "lines", G::Line, kA, kB, {0, 0, 0}, {0, 0, 1});
  C lines2 = sameGeometry(C::Coincident, "lines2", G::Line, kA, kB, {2, 0, 0}, {0, 0, 1});
  C cylinders = sameGeometry(C::Concentric, "cylinders", G::Cylinder, kA, kB, {0, 1, 0}, {0, 0, 1});
  C face = sameGeometry(C::Coincident, "face", G::Plane, kA, kB, {0, 0, 1}, {0, 0, 1});
  C side = sameGeometry(C::Coincident, "side", G::Plane, kA, kB, {1, 0, 0}, {1, 0, 0});
  C back = sameGeometry(C::Coincident, "back", G::Plane, kA, kB, {0, 1, 0}, {0, 1, 0});
  C gap = pairOf(C::Distance, "gap", G::Plane, kA, kB, {0, 1, 0}, {0, 1, 0}, {0, 3, 0}, {0, 1, 0});
  C gapX = pairOf(C::Distance, "gapX", G::Plane, kA, kB, {1, 0, 0}, {1, 0, 0}, {4, 0, 0}, {1, 0, 0});
  C gapZ = pairOf(C::Distance, "gapZ", G::Plane, kA, kB, {0, 0, 1}, {0, 0, 1}, {0, 0, -2}, {0, 0, 1});
  C tilt = pairOf(C::Angle, "tilt", G::Plane, kA, kB, {1, 0, 0}, {1, 0, 0}, {0, 0, 0}, {1, 1, 0});
  C par = sameGeometry(C::Parallel, "par", G::Plane, kA, kB, {1, 0, 0}, {1, 0, 0});
  C perp = pairOf(C::Perpendicular, "perp", G::Plane, kA, kB, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1, 0});
  C pt = sameGeometry(C::Coincident, "pt", G::Point, kA, kB, {0, 0, 0});
  C pt2 = sameGeometry(C::Coincident, "pt2", G::Point, kA, kB, {0, 0, 2});
  C pt3 = sameGeometry(C::Coincident, "pt3", G::Point, kA, kB, {1, 0, 0});
};

TEST(ThreeConstraintRules, ParallelPlanesGiveCartesianAtWeightedMidpoint) {
  const Instance p{{"P"}, {}}, q{{"Q"}, {}};
  const Connection c =
      computeOne({pairOf(C::Parallel, "x", G::Plane, p, q, {0, 0, 0}, {1, 0, 0}, {}, {1, 0, 0}),
                  pairOf(C::Parallel, "y", G::Plane, p, q, {4, 0, 0}, {0, 1, 0}, {}, {0, 1, 0}),
                  pairOf(C::Parallel, "z", G::Plane, p, q, {0, 8, 0}, {0, 0, 1}, {}, {0, 0, 1})});
  EXPECT_EQ(c.type, Connection::Cartesian);
  expectNear(c.baseFrame.transform.translation(), {1, 4, 0}, 0);
  EXPECT_EQ(c.baseFrame.transform.rotation().w(), 1.0);
}

struct ThreeCase {
  std::vector<C> constraints;
  std::int32_t status;  // of the weld
};

TEST(ThreeConstraintRules, OverdeterminedSetsWeldWithoutStatusOthersWeldWithNoRule) {
  const Blocks k;
  const std::int32_t derived = Connection::s_statusDerived, noRule = Connection::s_statusNoRule;
  const std::vector<ThreeCase> cases{
      {{k.lines, k.face, k.side}, derived},      // {LinLinCn, PlnPlnCn}
      {{k.lines, k.lines2, k.face}, derived},    // {LinLinCn, PlnPlnCn}
      {{k.lines, k.face, k.gap}, derived},       // {LinLinCn, PlnPlnCn, PlnPlnDt}
      {{k.cylinders, k.face, k.side}, derived},  // {CylCylCc, PlnPlnCn}
      {{k.cylinders, k.face, k.gap}, derived},   // {CylCylCc, PlnPlnCn, PlnPlnDt}
      {{k.lines, k.face, k.tilt}, derived},      // {LinLinCn, PlnPlnCn, PlnPlnAn}
      {{k.lines, k.gap, k.tilt}, derived},       // {LinLinCn, PlnPlnDt, PlnPlnAn}
      {{k.cylinders, k.face, k.tilt}, derived},  // {CylCylCc, PlnPlnCn, PlnPlnAn}
      {{k.cylinders, k.gap, k.tilt}, derived},   // {CylCylCc, PlnPlnDt, PlnPlnAn}
      {{k.lines, k.face, k.par}, derived},       // {LinLinCn, PlnPlnCn, PlnPlnPl}
      {{k.lines, k.gap, k.par}, derived},        // {LinLinCn, PlnPlnDt, PlnPlnPl}
      {{k.cylinders, k.face, k.par}, derived},   // {CylCylCc, PlnPlnCn, PlnPlnPl}
      {{k.cylinders, k.gap, k.par}, derived},    // {CylCylCc, PlnPlnDt, PlnPlnPl}
      {{k.pt, k.pt2, k.face}, derived},          // {PntPntCn, PlnPlnCn}
      {{k.pt, k.pt2, k.pt3}, derived},           // {PntPntCn}
      {{k.face, k.side, k.back}, derived},       // {PlnPlnCn}
      {{k.face, k.side, k.gap}, derived},        // {PlnPlnCn, PlnPlnDt}
      {{k.gap, k.gapX, k.gapZ}, derived},        // {PlnPlnDt}
      {{k.lines, k.face, k.perp}, derived},      // {LinLinCn, PlnPlnCn, PlnPlnPp}
      {{k.cylinders, k.face, k.perp}, derived},  // {CylCylCc, PlnPlnCn, PlnPlnPp}
      // Near misses of the sets above.
      {{k.lines, k.lines2, k.gap}, noRule},    // {LinLinCn, PlnPlnDt}
      {{k.pt, k.pt2, k.gap}, noRule},          // {PntPntCn, PlnPlnDt}
      {{k.lines, k.gap, k.perp}, noRule},      // {LinLinCn, PlnPlnDt, PlnPlnPp}
      {{k.cylinders, k.gap, k.perp}, noRule},  // {CylCylCc, PlnPlnDt, PlnPlnPp}
  };
  for (const ThreeCase& t : cases) {
    std::string codes;
    for (const C& c : t.constraints) codes += c.getConstraintType() + " ";
    SCOPED_TRACE(codes);
    const Connection c = computeOne(t.constraints);
    ASSERT_EQ(names(c.constraintsUsed), names(t.constraints));
    // A weld sits on the first constraint's first geometry, along its direction.
    const G& g = t.constraints.front().geometryOne;
    EXPECT_EQ(c.type, Connection::Weld);
    EXPECT_EQ(c.status, t.status);
    expectFrames(c, kA.placement.xformPoint(g.position), kA.placement.xformDir(g.direction));
  }
}

}  // namespace
}  // namespace c2c_test
