#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include <kalo_toolkit/vector_math.hpp>

using namespace kalo_toolkit::util;

namespace {
constexpr double kTol = 1e-5;
using V = std::vector<double>;
V vec(const double* v) { return {v[0], v[1], v[2]}; }
}  // namespace

TEST(VectorMath, BasicOperations) {
  const double a[3] = {1, 2, 3}, b[3] = {4, 5, 6};
  EXPECT_EQ(vecDot(a, b), 32.0);
  double out[3];
  vecCross(a, b, out);
  EXPECT_EQ(vec(out), (V{-3, 6, -3}));
  vecAdd(a, b, out);
  EXPECT_EQ(vec(out), (V{5, 7, 9}));
  vecSub(a, b, out);
  EXPECT_EQ(vec(out), (V{-3, -3, -3}));
  const double c[3] = {3, 4, 12};
  EXPECT_EQ(vecNorm(c), 13.0);
  // Writing into an input works.
  double x[3] = {1, 0, 0};
  const double y[3] = {0, 1, 0};
  vecCross(x, y, x);
  EXPECT_EQ(vec(x), (V{0, 0, 1}));
}

TEST(VectorMath, NormalizeLeavesTinyVectorsAlone) {
  double a[3] = {0, 3, 4};
  vecNormalize(a);
  EXPECT_DOUBLE_EQ(a[1], 0.6);
  EXPECT_DOUBLE_EQ(a[2], 0.8);
  double tiny[3] = {1e-13, 0, 0};
  vecNormalize(tiny);
  EXPECT_EQ(tiny[0], 1e-13);
}

TEST(VectorMath, MatrixIsColumnMajor) {
  double m[9];
  matIdentity(m);
  const double v[3] = {1, 2, 3};
  double out[3];
  matTimesVec(m, v, out);
  EXPECT_EQ(vec(out), (V{1, 2, 3}));
  // 90 degrees about z: columns are the images of x and y.
  const double rz[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  const double ex[3] = {1, 0, 0};
  matTimesVec(rz, ex, out);
  EXPECT_EQ(vec(out), (V{0, 1, 0}));
  double w[3] = {0, 1, 0};
  matTimesVec(rz, w, w);
  EXPECT_EQ(vec(w), (V{-1, 0, 0}));
}

TEST(VectorMath, ParallelIncludesOppositeDirections) {
  const double a[3] = {1, 0, 0}, b[3] = {-2, 0, 0}, c[3] = {1, 1e-4, 0}, d[3] = {1, 1e-6, 0};
  EXPECT_TRUE(vecIsParallel(a, b, kTol));
  EXPECT_FALSE(vecIsParallel(a, c, kTol));
  EXPECT_TRUE(vecIsParallel(a, d, kTol));
  const double e[3] = {0, 0, 5};
  EXPECT_FALSE(vecIsParallel(a, e, kTol));
  // Strictly below the tolerance.
  EXPECT_FALSE(vecIsParallel(a, e, 1.0));
}

TEST(VectorMath, PerpendicularOfCoordinateAxesUsesCos90) {
  double out[3];
  const double x[3] = {1, 0, 0};
  vecPerpendicular(x, kTol, out);
  EXPECT_EQ(vec(out), (V{6.123233995736766e-17, 1, 0}));
  const double z[3] = {0, 0, 1};
  vecPerpendicular(z, kTol, out);
  EXPECT_EQ(vec(out), (V{-1, 0, 6.123233995736766e-17}));
  const double y[3] = {0, -2, 0};  // not unit: the normalised axis is turned
  vecPerpendicular(y, kTol, out);
  EXPECT_EQ(vec(out), (V{1, -kCos90, 0}));
}

TEST(VectorMath, PerpendicularOfGeneralDirections) {
  double out[3];
  const double s = 1 / std::sqrt(3.0);
  const double diag[3] = {s, s, s};
  vecPerpendicular(diag, kTol, out);
  const double r = 1 / std::sqrt(6.0);
  EXPECT_NEAR(out[0], r, 1e-15);
  EXPECT_NEAR(out[1], r, 1e-15);
  EXPECT_NEAR(out[2], -2 * r, 1e-15);

  const double axes[][3] = {{1, 2, 3}, {-3, 0.5, 0.1}, {0.2, -4, 1}, {1, 1, 0}, {0, 2, -1}, {5, 0, 1}};
  for (const auto& a : axes) {
    vecPerpendicular(a, kTol, out);
    EXPECT_NEAR(vecDot(a, out), 0.0, 1e-12) << a[0] << "," << a[1] << "," << a[2];
    EXPECT_NEAR(vecNorm(out), 1.0, 1e-12);
  }
}

TEST(VectorMath, PerpendicularOfZeroAxisLeavesOutput) {
  double out[3] = {7, 8, 9};
  const double zero[3] = {0, 0, 0};
  vecPerpendicular(zero, kTol, out);
  EXPECT_EQ(vec(out), (V{7, 8, 9}));
}
