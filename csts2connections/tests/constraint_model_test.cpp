#include "c2c_test_support.hpp"

namespace c2c_test {
namespace {

const Instance kTop{{}, {}};
const Instance kA{{"A"}, placement({0, 0, 1}, 90, {10, 0, 0})};
const Instance kB{{"Sub", "B"}, placement({1, 0, 0}, -30, {0, 5, -2})};

TEST(ConstraintModel, TypeLookupsIgnoreCaseAndAcceptAliases) {
  EXPECT_EQ(G::getType("EllipticalCylinder"), G::Cylinder);
  EXPECT_EQ(G::getType("CONE"), G::Cylinder);
  EXPECT_EQ(G::getType("Ellipse"), G::Circle);
  EXPECT_EQ(G::getType("pLaNe"), G::Plane);
  EXPECT_EQ(G::getType(""), G::Unknown);
  EXPECT_EQ(G::getType("Unknown"), G::Unknown);
  EXPECT_EQ(C::getType("PERPENDICULAR"), C::Perpendicular);
  EXPECT_EQ(C::getType("rigid"), C::Rigid);
  EXPECT_EQ(C::getType("Coincident "), C::Unknown);
  EXPECT_EQ(geom(G::Sphere, kTop, {}).typeToString(), "Sphere");
  EXPECT_EQ(geom(G::Unknown, kTop, {}).typeToShortString(), "Unk");
}

TEST(ConstraintModel, InstanceNamesAndIds) {
  const G top = geom(G::Point, kTop, {});
  EXPECT_EQ(top.instanceName, "CAD_Assembly");
  EXPECT_EQ(top.instanceId, 2819590783u);
  const G ab = geom(G::Point, {{"A", "B"}, {}}, {});
  EXPECT_EQ(ab.instanceName, "A/B");
  EXPECT_EQ(ab.instanceId, 63988u);
  EXPECT_EQ(geom(G::Point, {{"abc"}, {}}, {}).instanceId, 96354u);
  EXPECT_EQ(geom(G::Point, {{"\xC3\xA9"}, {}}, {}).instanceId, 4294965318u);
}

std::string code(C::Type type, G::Type t1, G::Type t2) {
  return C(type, "c", geom(t1, kA, {1, 2, 3}, {0, 1, 0}), geom(t2, kB, {4, 5, 6}, {1, 0, 0}))
      .getConstraintType();
}

TEST(ConstraintModel, NormalisationRewritesTypes) {
  EXPECT_EQ(code(C::Concentric, G::Sphere, G::Sphere), "PntPntCn");
  EXPECT_EQ(code(C::Concentric, G::Circle, G::Circle), "CylCylCc");
  EXPECT_EQ(code(C::Concentric, G::Line, G::Circle), "LinCylCc");
  EXPECT_EQ(code(C::Coincident, G::Plane, G::Circle), "PlnPlnCn");
  EXPECT_EQ(code(C::Distance, G::Circle, G::Plane), "PlnPlnDt");
  EXPECT_EQ(code(C::Coincident, G::Cylinder, G::Line), "LinLinCn");
  EXPECT_EQ(code(C::Parallel, G::Sphere, G::Cylinder), "PntLinPl");
  EXPECT_EQ(code(C::Tangent, G::Cylinder, G::Sphere), "CylSphTn");
  EXPECT_EQ(code(C::Unknown, G::Circle, G::Unknown), "CirUnkUn");

  C circles(C::Coincident, "c", geom(G::Circle, kA, {}), geom(G::Circle, kB, {}));
  EXPECT_EQ(circles.getConstraintType(), "LinLinCn");
  EXPECT_EQ(circles.geometryOne.originalType, G::Circle);
  circles.revertGeometryTypeIfNeeded();
  EXPECT_EQ(circles.getConstraintType(), "CirCirCn");
  C distance(C::Distance, "d", geom(G::Circle, kA, {}), geom(G::Circle, kB, {0, 3, 0}));
  distance.revertGeometryTypeIfNeeded();
  EXPECT_EQ(distance.getConstraintType(), "LinLinDt");
}

TEST(ConstraintModel, DistanceAtZeroBecomesCoincidentAcrossPlacements) {
  const Vector3_T p(1, 2, 3);
  EXPECT_EQ(C(C::Distance, "d", geomAt(G::Point, kA, p), geomAt(G::Sphere, kB, p)).getConstraintType(),
            "PntPntCn");
  EXPECT_EQ(
      C(C::Distance, "d", geomAt(G::Point, kA, p), geomAt(G::Point, kB, p + Vector3_T(0, 2e-8, 0))).type,
      C::Distance);
  // Lines on one axis, given at different points of it.
  EXPECT_EQ(
      C(C::Distance, "d", geomAt(G::Cylinder, kA, p, {1, 1, 0}), geomAt(G::Line, kB, {4, 5, 3}, {-1, -1, 0}))
          .getConstraintType(),
      "LinLinCn");
  // One plane, given by points that do not lie along its normal.
  EXPECT_EQ(C(C::Distance, "d", geomAt(G::Plane, kA, {3, 4, 1}, {0, 0, -1}),
              geomAt(G::Plane, kB, {-7, 2, 1}, {0, 0, 1}))
                .getConstraintType(),
            "PlnPlnCn");
  EXPECT_EQ(C(C::Distance, "d", geomAt(G::Plane, kA, {3, 4, 1}), geomAt(G::Plane, kB, {3, 4, 1.5})).type,
            C::Distance);
}

TEST(ConstraintModel, PointOnPlaneUsesTheDistanceFromThePlane) {
  // The plane z = 1 given through (3, 4, 1): its points are on it, whatever the sense of n.
  EXPECT_TRUE(C::isPointOnPlane({3, 4, 1}, {0, 0, 1}, {-10, 2, 1}));
  EXPECT_TRUE(C::isPointOnPlane({3, 4, 1}, {0, 0, -2}, {3, 4, 1}));
  EXPECT_FALSE(C::isPointOnPlane({3, 4, 1}, {0, 0, 1}, {-10, 2, 1 + 2e-8}));
  EXPECT_FALSE(C::isPointOnPlane({0, 0, 0}, {0, 0, 0}, {0, 0, 0}));
  EXPECT_TRUE(C::isPointOnLine({1, 1, 1}, {0, 0, 1}, {1, 1, -4}));
  EXPECT_FALSE(C::isPointOnLine({1, 1, 1}, {0, 0, 1}, {1, 1.001, -4}));
}

TEST(ConstraintModel, AngleBecomesParallelOrPerpendicularInCommonCoordinates) {
  const auto angleCode = [](double degrees) {
    const double r = degrees * ombra_math::pi / 180;
    return C(C::Angle, "a", geomAt(G::Plane, kA, {}, {1, 0, 0}),
             geomAt(G::Plane, kB, {}, {std::cos(r), std::sin(r), 0}))
        .getConstraintType();
  };
  EXPECT_EQ(angleCode(0.0004), "PlnPlnPl");
  EXPECT_EQ(angleCode(180), "PlnPlnPl");
  EXPECT_EQ(angleCode(89.9996), "PlnPlnPp");
  EXPECT_EQ(angleCode(45), "PlnPlnAn");
  EXPECT_EQ(angleCode(0.001), "PlnPlnAn");
}

TEST(ConstraintModel, EquivalenceNeedsTheSameInstanceAndShape) {
  const Instance other{{"A2"}, kA.placement};
  EXPECT_FALSE(geom(G::Line, kA, {1, 0, 0}).isEquivalent(geom(G::Line, other, {1, 0, 0})));
  EXPECT_TRUE(geom(G::Line, kA, {1, 0, 0}).isEquivalent(geom(G::Line, kA, {1, 0, 7}, {0, 0, -1})));
  EXPECT_FALSE(geom(G::Line, kA, {1, 0, 0}).isEquivalent(geom(G::Line, kA, {1, 1e-3, 7})));
  EXPECT_TRUE(geom(G::Plane, kA, {1, 0, 0}).isEquivalent(geom(G::Plane, kA, {5, 5, 5})));
  EXPECT_FALSE(geom(G::Plane, kA, {}).isEquivalent(geom(G::Line, kA, {})));
  EXPECT_TRUE(geom(G::Point, kA, {1, 2, 3}).isEquivalent(geom(G::Point, kA, {1, 2, 3 + 5e-9}, {1, 0, 0})));
  EXPECT_FALSE(geom(G::Point, kA, {1, 2, 3}).isEquivalent(geom(G::Point, kA, {1, 2, 3 + 2e-8})));
}

TEST(ConstraintModel, PositionLookupByInstance) {
  const C c(C::Coincident, "c", geom(G::Point, kA, {1, 2, 3}), geom(G::Point, kB, {4, 5, 6}));
  expectNear(c.getPosition(c.geometryTwo.instanceId), {4, 5, 6}, 0);
  try {
    c.getPosition(geom(G::Point, kTop, {}).instanceId);
    ADD_FAILURE() << "no exception";
  } catch (const std::string& message) {
    EXPECT_EQ(message, "Given key is not associated with both the geometries in the constraint.");
  }
}

TEST(ConstraintModel, ConnectionTypeNames) {
  const char* expected[] = {"SixDof",      "Bearing",     "Bushing",   "Cartesian", "ConstantVelocity",
                            "Cylindrical", "Gimbal",      "LeadScrew", "PinSlot",   "Planar",
                            "Prismatic",   "Rectangular", "Revolute",  "Spherical", "Telescoping",
                            "Universal",   "Weld",        "Parallel",  "Distance",  "Perpendicular",
                            "Unknown",     "Failed"};
  for (int t = 0; t <= Connection::Failed; ++t) {
    EXPECT_EQ(Connection(static_cast<Connection::Type>(t), {}).getTypeName(), expected[t]);
  }
}

}  // namespace
}  // namespace c2c_test
