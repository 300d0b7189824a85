#include "c2c_test_support.hpp"

namespace c2c_test {
namespace {

using ombra_math::Matrix3x3_T;

TEST(OmbraMath, TransformsComposeApplyingTheRightOperandFirst) {
  const Transform3_T a = placement({0, 0, 1}, 90, {1, 2, 3});
  const Transform3_T b = placement({1, 1, 0}, 30, {-4, 0.5, 2});
  const Vector3_T p(0.3, -1.2, 5);
  expectNear(a.compose(b).xformPoint(p), a.xformPoint(b.xformPoint(p)));
  expectNear(a.xformPoint({1, 0, 0}), {1, 3, 3});
  expectNear(a.xformDir({1, 0, 0}), {0, 1, 0});
  expectNear(a.inverseXformPoint(a.xformPoint(p)), p);
  expectSamePose(a.inverseCompose(a.compose(b)), b);
}

TEST(OmbraMath, QuaternionAndMatrixRoundTripInColumnOrder) {
  const Transform3_T t = placement({0, 0, 1}, 90, {});
  const Matrix3x3_T m(t.rotation());
  // Storage is column by column: the first column is the image of x.
  EXPECT_NEAR(m[0], 0, 1e-15);
  EXPECT_NEAR(m[1], 1, 1e-15);
  EXPECT_NEAR(m[3], -1, 1e-15);
  EXPECT_NEAR(m(0, 1), -1, 1e-15);
  const Transform3_T back(Quaternion_T(m), {});
  expectSamePose(back, t);
  const Matrix3x3_T rows({0, -1, 0}, {1, 0, 0}, {0, 0, 1}, false);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(rows[i], m[i], 1e-15);
}

TEST(OmbraMath, NonRotationMatrixGivesTheNearestRotation) {
  // Orthogonal but scaled columns: the rotation of the normalised columns.
  const Transform3_T scaled(Quaternion_T(Matrix3x3_T({0, 2, 0}, {-3, 0, 0}, {0, 0, 6}, true)), {});
  expectSamePose(scaled, placement({0, 0, 1}, 90, {}));
  // A reflection still gives a proper rotation.
  const Transform3_T mirrored(Quaternion_T(Matrix3x3_T({1, 0, 0}, {0, 1, 0}, {0, 0, -1}, true)), {});
  expectNear(mirrored.xformDir({1, 0, 0}).cross(mirrored.xformDir({0, 1, 0})), mirrored.xformDir({0, 0, 1}));
}

TEST(OmbraMath, OrthogonalBasisIsRightHandedAlongTheDirection) {
  Vector3_T x, y, z;
  Vector3_T::K.compOrthogonalBasis(x, y, z);
  expectNear(x, Vector3_T::I, 0);
  expectNear(y, Vector3_T::J, 0);
  for (const Vector3_T& d :
       {Vector3_T(0, 0, -2), Vector3_T(3, 0, 0), Vector3_T(1, -2, 0.5), Vector3_T(0, 1e-9, 1)}) {
    d.compOrthogonalBasis(x, y, z);
    expectNear(z, d / d.norm());
    EXPECT_NEAR(x.norm(), 1, 1e-15);
    EXPECT_NEAR(x.dot(z), 0, 1e-15);
    expectNear(x.cross(y), z, 1e-15);
  }
}

TEST(OmbraMath, ParallelAndOrthogonalWithinTheirTolerance) {
  const double tol = angleTolerance;
  EXPECT_DOUBLE_EQ(tol, 8.726646259971648e-06);
  const auto at = [](double degrees) {
    const double r = degrees * ombra_math::pi / 180;
    return Vector3_T(std::cos(r), std::sin(r), 0);
  };
  EXPECT_TRUE(Vector3_T::I.isParallel(at(0.0004), tol, true));
  EXPECT_FALSE(Vector3_T::I.isParallel(at(0.0006), tol, true));
  EXPECT_TRUE(Vector3_T::I.isParallel(at(179.9996), tol, true));
  EXPECT_FALSE(Vector3_T::I.isParallel(at(179.9996), tol, false));
  EXPECT_TRUE(Vector3_T::I.isOrthogonal(at(89.9996), tol));
  EXPECT_TRUE(Vector3_T::I.isOrthogonal(at(-90.0004), tol));
  EXPECT_FALSE(Vector3_T::I.isOrthogonal(at(89.999), tol));
  EXPECT_TRUE(Vector3_T().isParallel(Vector3_T::J, tol, true));
}

}  // namespace
}  // namespace c2c_test
