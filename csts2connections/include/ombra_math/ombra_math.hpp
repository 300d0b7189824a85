#pragma once

// Small 3-D math layer: vectors, 3x3 matrices, quaternions and rigid transforms
// of 64-bit values, the value of pi and a formatted print to standard output.
// It offers exactly the operations the constraints-to-connections library needs.

#include <kalo_csts2connections/export.hpp>

#include <cstddef>

namespace ombra_math {

using Numeric = double;

constexpr Numeric pi = 3.141592653589793238462643383279502884;

// printf-style print to standard output; the output is flushed before returning.
KALO_CSTS2CONNECTIONS_API int print(const char* format, ...) __attribute__((format(printf, 1, 2)));

class KALO_CSTS2CONNECTIONS_API Vector3_T {
 public:
  constexpr Vector3_T() : v_{0.0, 0.0, 0.0} {}
  constexpr Vector3_T(Numeric x, Numeric y, Numeric z) : v_{x, y, z} {}

  // Element access, index 0 to 2.
  Numeric& operator[](std::size_t i) { return v_[i]; }
  constexpr Numeric operator[](std::size_t i) const { return v_[i]; }

  static const Vector3_T I;
  static const Vector3_T J;
  static const Vector3_T K;

  Vector3_T operator+(const Vector3_T& o) const {
    return {v_[0] + o.v_[0], v_[1] + o.v_[1], v_[2] + o.v_[2]};
  }
  Vector3_T operator-(const Vector3_T& o) const {
    return {v_[0] - o.v_[0], v_[1] - o.v_[1], v_[2] - o.v_[2]};
  }
  Vector3_T operator/(Numeric s) const { return {v_[0] / s, v_[1] / s, v_[2] / s}; }

  Numeric dot(const Vector3_T& o) const { return v_[0] * o.v_[0] + v_[1] * o.v_[1] + v_[2] * o.v_[2]; }
  Vector3_T cross(const Vector3_T& o) const {
    return {v_[1] * o.v_[2] - v_[2] * o.v_[1], v_[2] * o.v_[0] - v_[0] * o.v_[2],
            v_[0] * o.v_[1] - v_[1] * o.v_[0]};
  }
  Numeric norm2() const { return dot(*this); }
  Numeric norm() const;

  // True when the angle between the two vectors is below `tolerance` radians;
  // with `eitherSense` opposite vectors count as parallel too. A zero vector is
  // parallel to every vector.
  bool isParallel(const Vector3_T& other, Numeric tolerance, bool eitherSense) const;
  // True when the angle between the two vectors differs from a right angle by
  // less than `tolerance` radians. A zero vector is orthogonal to every vector.
  bool isOrthogonal(const Vector3_T& other, Numeric tolerance) const;

  // Right-handed orthonormal basis whose z lies along this vector. The x axis is
  // taken from the coordinate axis least aligned with z, so (0, 0, 1) gives the
  // identity basis. A zero vector gives the identity basis.
  void compOrthogonalBasis(Vector3_T& x, Vector3_T& y, Vector3_T& z) const;

 private:
  Numeric v_[3];
};

inline const Vector3_T Vector3_T::I{1.0, 0.0, 0.0};
inline const Vector3_T Vector3_T::J{0.0, 1.0, 0.0};
inline const Vector3_T Vector3_T::K{0.0, 0.0, 1.0};

class Quaternion_T;

// 3x3 matrix stored column by column.
class KALO_CSTS2CONNECTIONS_API Matrix3x3_T {
 public:
  // Identity.
  Matrix3x3_T();
  // The three vectors become the columns when `asColumns` is true, else the rows.
  Matrix3x3_T(const Vector3_T& a, const Vector3_T& b, const Vector3_T& c, bool asColumns);
  // Rotation of a quaternion; the quaternion is normalised first.
  explicit Matrix3x3_T(const Quaternion_T& q);

  Numeric operator()(std::size_t row, std::size_t col) const { return m_[col * 3 + row]; }
  // Entry `i` in storage order (column by column).
  Numeric operator[](std::size_t i) const { return m_[i]; }

 private:
  Numeric m_[9];
};

// Quaternion, scalar part first.
class KALO_CSTS2CONNECTIONS_API Quaternion_T {
 public:
  constexpr Quaternion_T() : w_(1.0), x_(0.0), y_(0.0), z_(0.0) {}
  constexpr Quaternion_T(Numeric w, Numeric x, Numeric y, Numeric z) : w_(w), x_(x), y_(y), z_(z) {}
  // Unit quaternion of the rotation nearest to `m` (an exact rotation is kept as
  // it is; a scaled or skewed one is replaced by its closest rotation).
  explicit Quaternion_T(const Matrix3x3_T& m);

  Numeric w() const { return w_; }
  Numeric x() const { return x_; }
  Numeric y() const { return y_; }
  Numeric z() const { return z_; }

 private:
  Numeric w_, x_, y_, z_;
};

// Rigid placement: unit-quaternion rotation R and translation t; a point p maps
// to R p + t.
class KALO_CSTS2CONNECTIONS_API Transform3_T {
 public:
  Transform3_T() = default;
  explicit Transform3_T(const Vector3_T& translation);
  // The quaternion is normalised; a zero quaternion means no rotation.
  Transform3_T(const Quaternion_T& rotation, const Vector3_T& translation);

  const Quaternion_T& rotation() const { return q_; }
  const Vector3_T& translation() const { return t_; }

  // this∘other: apply `other`, then this.
  Transform3_T compose(const Transform3_T& other) const;
  // this⁻¹∘other.
  Transform3_T inverseCompose(const Transform3_T& other) const;
  Vector3_T xformPoint(const Vector3_T& p) const;
  Vector3_T xformDir(const Vector3_T& d) const;
  Vector3_T inverseXformPoint(const Vector3_T& p) const;

 private:
  Quaternion_T q_;
  Vector3_T t_;
};

}  // namespace ombra_math
