#include <ombra_math/ombra_math.hpp>

#include <Eigen/Dense>
#include <Eigen/SVD>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace ombra_math {

namespace {

Vector3_T scaled(const Vector3_T& v, Numeric s) { return {v[0] * s, v[1] * s, v[2] * s}; }

// Angle in [0, pi] between two non-zero vectors; atan2 keeps it accurate near
// 0 and pi where acos of the normalised dot product loses half the digits.
Numeric angleBetween(const Vector3_T& a, const Vector3_T& b) {
  return std::atan2(a.cross(b).norm(), a.dot(b));
}

// Hamilton product.
Quaternion_T multiply(const Quaternion_T& a, const Quaternion_T& b) {
  return {a.w() * b.w() - a.x() * b.x() - a.y() * b.y() - a.z() * b.z(),
          a.w() * b.x() + a.x() * b.w() + a.y() * b.z() - a.z() * b.y(),
          a.w() * b.y() - a.x() * b.z() + a.y() * b.w() + a.z() * b.x(),
          a.w() * b.z() + a.x() * b.y() - a.y() * b.x() + a.z() * b.w()};
}

Quaternion_T conjugate(const Quaternion_T& q) { return {q.w(), -q.x(), -q.y(), -q.z()}; }

// Rotates v by the unit quaternion q: v + 2w(u×v) + 2u×(u×v).
Vector3_T rotate(const Quaternion_T& q, const Vector3_T& v) {
  const Vector3_T u(q.x(), q.y(), q.z());
  const Vector3_T uv = u.cross(v);
  const Vector3_T uuv = u.cross(uv);
  return v + scaled(uv, 2.0 * q.w()) + scaled(uuv, 2.0);
}

}  // namespace

int print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
  return n;
}

Numeric Vector3_T::norm() const { return std::sqrt(norm2()); }

bool Vector3_T::isParallel(const Vector3_T& other, Numeric tolerance, bool eitherSense) const {
  if (norm2() == 0.0 || other.norm2() == 0.0) return true;
  const Numeric angle = angleBetween(*this, other);
  return angle < tolerance || (eitherSense && pi - angle < tolerance);
}

bool Vector3_T::isOrthogonal(const Vector3_T& other, Numeric tolerance) const {
  if (norm2() == 0.0 || other.norm2() == 0.0) return true;
  return std::fabs(angleBetween(*this, other) - pi / 2.0) < tolerance;
}

void Vector3_T::compOrthogonalBasis(Vector3_T& x, Vector3_T& y, Vector3_T& z) const {
  const Numeric n = norm();
  if (n == 0.0) {
    x = I;
    y = J;
    z = K;
    return;
  }
  z = *this / n;
  const Numeric ax = std::fabs(z[0]), ay = std::fabs(z[1]), az = std::fabs(z[2]);
  const Vector3_T& helper = (ax <= ay && ax <= az) ? I : (ay <= az ? J : K);
  const Vector3_T xr = helper - scaled(z, z.dot(helper));
  x = xr / xr.norm();
  y = z.cross(x);
}

Matrix3x3_T::Matrix3x3_T() : m_{1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0} {}

Matrix3x3_T::Matrix3x3_T(const Vector3_T& a, const Vector3_T& b, const Vector3_T& c, bool asColumns) {
  const Vector3_T* v[3] = {&a, &b, &c};
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      // Column-major: entry (row r, column c) sits at c * 3 + r.
      m_[asColumns ? i * 3 + j : j * 3 + i] = (*v[i])[j];
    }
  }
}

Matrix3x3_T::Matrix3x3_T(const Quaternion_T& q) {
  Numeric n = std::sqrt(q.w() * q.w() + q.x() * q.x() + q.y() * q.y() + q.z() * q.z());
  if (n == 0.0) n = 1.0;
  const Numeric w = q.w() / n, x = q.x() / n, y = q.y() / n, z = q.z() / n;
  const Numeric r[3][3] = {{1.0 - 2.0 * (y * y + z * z), 2.0 * (x * y - w * z), 2.0 * (x * z + w * y)},
                           {2.0 * (x * y + w * z), 1.0 - 2.0 * (x * x + z * z), 2.0 * (y * z - w * x)},
                           {2.0 * (x * z - w * y), 2.0 * (y * z + w * x), 1.0 - 2.0 * (x * x + y * y)}};
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t col = 0; col < 3; ++col) m_[col * 3 + row] = r[row][col];
  }
}

Quaternion_T::Quaternion_T(const Matrix3x3_T& m) {
  Eigen::Matrix3d a;
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) a(row, col) = m(row, col);
  }
  if (!a.allFinite()) {
    const Numeric nan = std::numeric_limits<Numeric>::quiet_NaN();
    w_ = x_ = y_ = z_ = nan;
    return;
  }
  Eigen::Matrix3d r = a;
  // A matrix that already is a rotation is converted as it is, so that exact
  // bases stay exact; anything else is replaced by its nearest rotation (polar
  // factor from the SVD, with the reflection removed).
  const bool isRotation = (a.transpose() * a - Eigen::Matrix3d::Identity()).cwiseAbs().maxCoeff() < 1e-12 &&
                          a.determinant() > 0.0;
  if (!isRotation) {
    Eigen::JacobiSVD<Eigen::Matrix3d> svd(a, Eigen::ComputeFullU | Eigen::ComputeFullV);
    Eigen::Matrix3d u = svd.matrixU();
    const Eigen::Matrix3d& v = svd.matrixV();
    r = u * v.transpose();
    if (r.determinant() < 0.0) {
      u.col(2) = -u.col(2);
      r = u * v.transpose();
    }
  }
  Eigen::Quaterniond q(r);
  q.normalize();
  w_ = q.w();
  x_ = q.x();
  y_ = q.y();
  z_ = q.z();
}

Transform3_T::Transform3_T(const Vector3_T& translation) : t_(translation) {}

Transform3_T::Transform3_T(const Quaternion_T& rotation, const Vector3_T& translation) : t_(translation) {
  const Numeric n = std::sqrt(rotation.w() * rotation.w() + rotation.x() * rotation.x() +
                              rotation.y() * rotation.y() + rotation.z() * rotation.z());
  if (n != 0.0) q_ = Quaternion_T(rotation.w() / n, rotation.x() / n, rotation.y() / n, rotation.z() / n);
}

Transform3_T Transform3_T::compose(const Transform3_T& other) const {
  Transform3_T result;
  result.q_ = multiply(q_, other.q_);
  result.t_ = xformPoint(other.t_);
  return result;
}

Transform3_T Transform3_T::inverseCompose(const Transform3_T& other) const {
  Transform3_T result;
  result.q_ = multiply(conjugate(q_), other.q_);
  result.t_ = inverseXformPoint(other.t_);
  return result;
}

Vector3_T Transform3_T::xformPoint(const Vector3_T& p) const { return rotate(q_, p) + t_; }

Vector3_T Transform3_T::xformDir(const Vector3_T& d) const { return rotate(q_, d); }

Vector3_T Transform3_T::inverseXformPoint(const Vector3_T& p) const { return rotate(conjugate(q_), p - t_); }

}  // namespace ombra_math
