#include "c2c_test_support.hpp"

namespace c2c_test {
namespace {

const Instance kA{{"Arm"}, placement({0, 1, 0}, 35, {1, -2, 0.5})};
const Instance kB{{"Base"}, placement({1, 1, 1}, -120, {0, 4, 0})};

C coincident(const std::string& name, G::Type type, const Vector3_T& p, const Vector3_T& d = Vector3_T::K) {
  return C(C::Coincident, name, geomAt(type, kA, p, d), geomAt(type, kB, p, d));
}

TEST(Engine, ConstraintsOfOnePairGroupWhateverTheirGeometryOrder) {
  C reversed(C::Coincident, "r", geomAt(G::Plane, kB, {0, 0, 0}, {1, 0, 0}),
             geomAt(G::Plane, kA, {0, 0, 0}, {1, 0, 0}));
  const Connection c = computeOne({coincident("c", G::Cylinder, {0, 0, 0}, {1, 0, 0}), reversed});
  EXPECT_EQ(c.type, Connection::Revolute);
  EXPECT_EQ(c.constraintsUsed.size(), 2u);
}

// Single-byte and two-byte instance names whose ids are 1, 12, 34 and 31 * 7 + 17 = 234.
Instance idInstance(const char* name) { return {{name}, placement({0, 0, 1}, 10, {1, 1, 1})}; }

TEST(Engine, PairsWithEqualKeyTextStayApart) {
  const Instance i1 = idInstance("\x01"), i12 = idInstance("\x0c"), i34 = idInstance("\x22"),
                 i234 = idInstance("\x07\x11");
  ASSERT_EQ(geom(G::Point, i234, {}).instanceId, 234u);
  C planes(C::Coincident, "planes", geomAt(G::Plane, i12, {}), geomAt(G::Plane, i34, {}));
  C circles(C::Coincident, "circles", geomAt(G::Circle, i234, {}), geomAt(G::Circle, i1, {}));
  const std::vector<Connection> result = compute({planes, circles});
  ASSERT_EQ(result.size(), 2u);
  // Both texts are "1234"; the smaller id decides.
  EXPECT_EQ(result[0].type, Connection::Revolute);
  EXPECT_EQ(result[1].type, Connection::Planar);
  EXPECT_FALSE(KeyComp()(ConstraintKey(10, 5), ConstraintKey(5, 10)));
  EXPECT_FALSE(KeyComp()(ConstraintKey(5, 10), ConstraintKey(10, 5)));
  EXPECT_TRUE(KeyComp()(ConstraintKey(7, 2), ConstraintKey(5, 10)));  // "27" < "510"
}

TEST(Engine, SingleConstraintTable) {
  const Connection revolute = computeOne({coincident("c", G::Circle, {1, 1, 1}, {0, 1, 0})});
  EXPECT_EQ(revolute.type, Connection::Revolute);
  EXPECT_EQ(revolute.constraintsUsed.front().getConstraintType(), "CirCirCn");
  const Transform3_T base = inAssembly(revolute.baseFrame, kA);
  EXPECT_TRUE(isParallel(zAxis(base), {0, 1, 0}));
  expectNear(base.translation(), {1, 1, 1});
  expectJointFrames(revolute, kA, kB);
  EXPECT_EQ(computeOne({coincident("c", G::Cylinder, {}, {1, 0, 0})}).type, Connection::Cylindrical);
  // A plane contact given at another point of the plane on each side: the
  // frames sit at the base's point, z along the normal.
  const Vector3_T n(0, 0.6, 0.8);
  const Connection planar = computeOne(
      {C(C::Coincident, "pl", geomAt(G::Plane, kA, {1, 1, 1}, n), geomAt(G::Plane, kB, {7, 0, 1.75}, n))});
  EXPECT_EQ(planar.type, Connection::Planar);
  expectNear(inAssembly(planar.baseFrame, kA).translation(), {1, 1, 1});
  EXPECT_TRUE(isParallel(zAxis(inAssembly(planar.baseFrame, kA)), n));
  expectJointFrames(planar, kA, kB);

  const auto weldStatus = [](C c) {
    const Connection weld = computeOne({c});
    EXPECT_EQ(weld.type, Connection::Weld);
    return weld.status;
  };
  EXPECT_EQ(weldStatus(C(C::Coincident, "pl", geomAt(G::Point, kA, {}), geomAt(G::Line, kB, {}))), 1);
  EXPECT_EQ(weldStatus(C(C::Tangent, "t", geomAt(G::Plane, kA, {}), geomAt(G::Cylinder, kB, {}))), 1);
  EXPECT_EQ(weldStatus(C(C::Unknown, "u", geomAt(G::Unknown, kA, {}), geomAt(G::Plane, kB, {}))), 2);
  EXPECT_EQ(weldStatus(C(C::Coincident, "g", geomAt(G::Plane, kA, {}), geomAt(G::Unknown, kB, {}))), 3);
  EXPECT_EQ(weldStatus(C(C::Rigid, "r", geomAt(G::Point, kA, {}), geomAt(G::Point, kB, {}))), 0);
}

TEST(Engine, DistanceFramesSitAtBothPointsSphericalAtTheFirst) {
  const Connection distance =
      computeOne({C(C::Distance, "d", geomAt(G::Point, kA, {1, 2, 3}), geomAt(G::Point, kB, {4, 5, 6}))});
  EXPECT_EQ(distance.type, Connection::Distance);
  expectNear(inAssembly(distance.baseFrame, kA).translation(), {1, 2, 3});
  expectNear(inAssembly(distance.followerFrame, kB).translation(), {4, 5, 6});
  const Connection spherical =
      computeOne({C(C::Concentric, "s", geomAt(G::Sphere, kA, {1, 2, 3}), geomAt(G::Sphere, kB, {1, 2, 3}))});
  EXPECT_EQ(spherical.type, Connection::Spherical);
  expectNear(inAssembly(spherical.baseFrame, kA).translation(), {1, 2, 3});
  expectJointFrames(spherical, kA, kB);
}

TEST(Engine, CleanUpDropsDuplicatesAndTheFirstRedundancyRuleOnly) {
  const Connection planar =
      computeOne({coincident("p1", G::Plane, {}), coincident("p2", G::Plane, {5, 5, 0})});
  EXPECT_EQ(planar.type, Connection::Planar);
  EXPECT_EQ(names(planar.constraintsUsed), std::vector<std::string>{"p1"});
  EXPECT_EQ(planar.constraintsOriginal.size(), 2u);

  // Rule 1 removes the distance; the parallel pair that rule 2 would remove stays.
  C distance(C::Distance, "dt", geomAt(G::Plane, kA, {0, 0, 1}), geomAt(G::Plane, kB, {0, 0, 3}));
  C parallel(C::Parallel, "pl", geomAt(G::Plane, kA, {0, 0, 1}, {0, 0, -1}), geomAt(G::Plane, kB, {0, 0, 3}));
  const Connection c = computeOne({parallel, distance, coincident("cn", G::Plane, {})});
  EXPECT_EQ(c.type, Connection::Rectangular);
  EXPECT_EQ(names(c.constraintsUsed), (std::vector<std::string>{"cn", "pl"}));
  EXPECT_EQ(computeOne({coincident("cn", G::Plane, {}), distance}).type, Connection::Planar);
}

TEST(Engine, UnchangedGroupKeepsItsOrderChangedGroupIsSortedByCode) {
  const C point = coincident("pt", G::Point, {0, 0, 5});
  const C axis = coincident("ax", G::Line, {}, {0, 0, 1});
  const C axisAgain = coincident("ax2", G::Line, {0, 0, 3}, {0, 0, -1});
  const Connection kept = computeOne({point, axis});
  EXPECT_EQ(kept.type, Connection::Revolute);
  EXPECT_EQ(names(kept.constraintsUsed), (std::vector<std::string>{"pt", "ax"}));
  const Connection sorted = computeOne({point, axis, axisAgain});
  EXPECT_EQ(names(sorted.constraintsUsed), (std::vector<std::string>{"ax", "pt"}));
  EXPECT_EQ(sorted.constraintsOriginal.size(), 3u);
}

TEST(Engine, FourSurvivingConstraintsWeldWithNoRule) {
  const Connection c =
      computeOne({coincident("1", G::Point, {}), coincident("2", G::Point, {1, 0, 0}),
                  coincident("3", G::Point, {0, 1, 0}), coincident("4", G::Point, {0, 0, 1})});
  EXPECT_EQ(c.type, Connection::Weld);
  EXPECT_EQ(c.status, 1);
  EXPECT_EQ(c.constraintsUsed.size(), 4u);
}

TEST(Engine, GroupsKeepAddOrderAndTheirFirstKeyAcrossComputations) {
  Constraints2Connections engine;
  const Instance other{{"Other"}, {}};
  C p1 = coincident("p1", G::Point, {0, 0, 0});
  C q(C::Coincident, "q", geomAt(G::Plane, kA, {}), geomAt(G::Plane, other, {}));
  C p2(C::Coincident, "p2", geomAt(G::Point, kB, {0, 0, 2}), geomAt(G::Point, kA, {0, 0, 2}));
  engine.add(p1);
  engine.computeConnections();
  engine.add(q);
  engine.add(p2);
  const auto& groups = engine.getConstraintMap();
  ASSERT_EQ(groups.size(), 2u);
  const auto pair = groups.find(ConstraintKey(p2.geometryOne.instanceId, p2.geometryTwo.instanceId));
  ASSERT_NE(pair, groups.end());
  EXPECT_EQ(pair->first.firstId, p1.geometryOne.instanceId);
  EXPECT_EQ(names(pair->second), (std::vector<std::string>{"p1", "p2"}));
  engine.computeConnections();
  ASSERT_EQ(engine.connections.size(), 3u);
  EXPECT_EQ(engine.connections[0].type, Connection::Spherical);
  int revolutes = 0;
  for (std::size_t i = 1; i < 3; ++i) revolutes += engine.connections[i].type == Connection::Revolute;
  EXPECT_EQ(revolutes, 1);
}

}  // namespace
}  // namespace c2c_test
