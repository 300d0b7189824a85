#include "rigid_math.hpp"

#include <algorithm>
#include <cmath>

namespace kalo_toolkit {
namespace sim {

Mat3 identity3() { return {1, 0, 0, 0, 1, 0, 0, 0, 1}; }

Vec3 sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

Vec3 scaled(const Vec3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }

Vec3 times(const Mat3& m, const Vec3& v) {
  Vec3 out{};
  for (int r = 0; r < 3; ++r) out[r] = at(m, r, 0) * v[0] + at(m, r, 1) * v[1] + at(m, r, 2) * v[2];
  return out;
}

Mat3 times(const Mat3& a, const Mat3& b) {
  Mat3 out{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      at(out, r, c) = at(a, r, 0) * at(b, 0, c) + at(a, r, 1) * at(b, 1, c) + at(a, r, 2) * at(b, 2, c);
  return out;
}

Mat3 transposed(const Mat3& m) {
  Mat3 out{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) at(out, r, c) = at(m, c, r);
  return out;
}

Mat3 rotateTensor(const Mat3& r, const Mat3& tensor) {
  Mat3 out = times(times(r, tensor), transposed(r));
  // Exactly symmetric, so that writers may print the upper triangle only.
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j) {
      const double v = 0.5 * (at(out, i, j) + at(out, j, i));
      at(out, i, j) = v;
      at(out, j, i) = v;
    }
  return out;
}

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double norm(const Vec3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

void symmetricEigen(const Mat3& m, Vec3* values, Mat3* vectors) {
  Mat3 a = m;
  Mat3 v = identity3();
  for (int sweep = 0; sweep < 50; ++sweep) {
    const double off = at(a, 0, 1) * at(a, 0, 1) + at(a, 0, 2) * at(a, 0, 2) + at(a, 1, 2) * at(a, 1, 2);
    if (off == 0.0) break;
    for (int p = 0; p < 2; ++p)
      for (int q = p + 1; q < 3; ++q) {
        const double apq = at(a, p, q);
        if (apq == 0.0) continue;
        const double theta = (at(a, q, q) - at(a, p, p)) / (2.0 * apq);
        const double t = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        const double c = 1.0 / std::sqrt(t * t + 1.0);
        const double s = t * c;
        for (int k = 0; k < 3; ++k) {  // a := a * J
          const double akp = at(a, k, p), akq = at(a, k, q);
          at(a, k, p) = c * akp - s * akq;
          at(a, k, q) = s * akp + c * akq;
        }
        for (int k = 0; k < 3; ++k) {  // a := J^T * a
          const double apk = at(a, p, k), aqk = at(a, q, k);
          at(a, p, k) = c * apk - s * aqk;
          at(a, q, k) = s * apk + c * aqk;
        }
        for (int k = 0; k < 3; ++k) {
          const double vkp = at(v, k, p), vkq = at(v, k, q);
          at(v, k, p) = c * vkp - s * vkq;
          at(v, k, q) = s * vkp + c * vkq;
        }
      }
  }
  int order[3] = {0, 1, 2};
  std::sort(order, order + 3, [&](int x, int y) { return at(a, x, x) < at(a, y, y); });
  for (int i = 0; i < 3; ++i) {
    (*values)[i] = at(a, order[i], order[i]);
    for (int k = 0; k < 3; ++k) at(*vectors, k, i) = at(v, k, order[i]);
  }
}

Quat quatFromMatrix(const Mat3& r) {
  Quat q{};
  const double trace = at(r, 0, 0) + at(r, 1, 1) + at(r, 2, 2);
  if (trace > 0) {
    const double s = 2.0 * std::sqrt(trace + 1.0);
    q = {0.25 * s, (at(r, 2, 1) - at(r, 1, 2)) / s, (at(r, 0, 2) - at(r, 2, 0)) / s,
         (at(r, 1, 0) - at(r, 0, 1)) / s};
  } else if (at(r, 0, 0) > at(r, 1, 1) && at(r, 0, 0) > at(r, 2, 2)) {
    const double s = 2.0 * std::sqrt(1.0 + at(r, 0, 0) - at(r, 1, 1) - at(r, 2, 2));
    q = {(at(r, 2, 1) - at(r, 1, 2)) / s, 0.25 * s, (at(r, 0, 1) + at(r, 1, 0)) / s,
         (at(r, 0, 2) + at(r, 2, 0)) / s};
  } else if (at(r, 1, 1) > at(r, 2, 2)) {
    const double s = 2.0 * std::sqrt(1.0 + at(r, 1, 1) - at(r, 0, 0) - at(r, 2, 2));
    q = {(at(r, 0, 2) - at(r, 2, 0)) / s, (at(r, 0, 1) + at(r, 1, 0)) / s, 0.25 * s,
         (at(r, 1, 2) + at(r, 2, 1)) / s};
  } else {
    const double s = 2.0 * std::sqrt(1.0 + at(r, 2, 2) - at(r, 0, 0) - at(r, 1, 1));
    q = {(at(r, 1, 0) - at(r, 0, 1)) / s, (at(r, 0, 2) + at(r, 2, 0)) / s, (at(r, 1, 2) + at(r, 2, 1)) / s,
         0.25 * s};
  }
  const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  const double sign = q[0] < 0 ? -1.0 : 1.0;
  for (double& c : q) c *= sign / n;
  return q;
}

Vec3 rpyFromMatrix(const Mat3& r) {
  const double sinPitch = std::max(-1.0, std::min(1.0, -at(r, 2, 0)));
  const double pitch = std::asin(sinPitch);
  if (std::fabs(sinPitch) > 1.0 - 1e-12) {
    // Gimbal lock: only roll -/+ yaw is defined; take yaw 0.
    return {std::atan2(-at(r, 1, 2), at(r, 1, 1)), pitch, 0.0};
  }
  return {std::atan2(at(r, 2, 1), at(r, 2, 2)), pitch, std::atan2(at(r, 1, 0), at(r, 0, 0))};
}

}  // namespace sim
}  // namespace kalo_toolkit
