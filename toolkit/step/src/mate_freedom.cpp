#include "mate_freedom.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace kalo_step::detail {

namespace {

using Vec6 = std::array<double, 6>;

double dot(const Vec6& a, const Vec6& b) {
  double s = 0;
  for (int i = 0; i < 6; ++i) s += a[i] * b[i];
  return s;
}

/// Adds v to the orthonormal set when it is independent of it; true when added.
bool orthonormalAdd(std::vector<Vec6>& basis, Vec6 v, double tolerance) {
  const double norm0 = std::sqrt(dot(v, v));
  if (norm0 == 0) return false;
  for (int pass = 0; pass < 2; ++pass)  // twice: classical Gram-Schmidt loses orthogonality once
    for (const Vec6& b : basis) {
      const double d = dot(v, b);
      for (int i = 0; i < 6; ++i) v[i] -= d * b[i];
    }
  const double norm = std::sqrt(dot(v, v));
  if (norm <= tolerance * norm0) return false;
  for (double& x : v) x /= norm;
  basis.push_back(v);
  return true;
}

void perpendiculars(const gp_Dir& d, gp_Vec& e1, gp_Vec& e2) {
  const gp_Vec a(d);
  const gp_Vec seed = std::fabs(d.X()) < 0.6 ? gp_Vec(1, 0, 0) : gp_Vec(0, 1, 0);
  e1 = a.Crossed(seed).Normalized();
  e2 = a.Crossed(e1).Normalized();
}

int rankOf(std::vector<gp_Vec> vectors, double tolerance) {
  std::vector<Vec6> basis;
  for (const gp_Vec& v : vectors) orthonormalAdd(basis, Vec6{v.X(), v.Y(), v.Z(), 0, 0, 0}, tolerance);
  return static_cast<int>(basis.size());
}

}  // namespace

std::string jointOfMates(const std::vector<Mate>& mates, double angleTolerance) {
  if (mates.empty()) return "6 freedoms";
  // Twist (w, u): angular velocity and the velocity of the reference point o; lengths are scaled
  // by the spread of the mates so that the rows are of one size.
  const gp_Pnt o = mates.front().point;
  double spread = 0;
  for (const Mate& m : mates) spread = std::max(spread, o.Distance(m.point));
  const double scale = spread > 0 ? spread : 1.0;
  std::vector<Vec6> rows;
  const auto velocityRow = [&](const gp_Pnt& p, const gp_Vec& e) {
    // (u + w x r) . e = w . (r x e) + u . e
    const gp_Vec r = gp_Vec(o, p) / scale;
    const gp_Vec re = r.Crossed(e);
    rows.push_back(Vec6{re.X(), re.Y(), re.Z(), e.X(), e.Y(), e.Z()});
  };
  const auto rotationRow = [&](const gp_Vec& e) { rows.push_back(Vec6{e.X(), e.Y(), e.Z(), 0, 0, 0}); };
  for (const Mate& m : mates) {
    gp_Vec e1, e2;
    perpendiculars(m.direction, e1, e2);
    switch (m.kind) {
      case MateKind::Axis:
        rotationRow(e1), rotationRow(e2), velocityRow(m.point, e1), velocityRow(m.point, e2);
        break;
      case MateKind::Face:
        rotationRow(e1), rotationRow(e2), velocityRow(m.point, gp_Vec(m.direction));
        break;
      case MateKind::Ball:
        velocityRow(m.point, gp_Vec(1, 0, 0)), velocityRow(m.point, gp_Vec(0, 1, 0)),
            velocityRow(m.point, gp_Vec(0, 0, 1));
        break;
    }
  }
  const double tolerance = std::max(angleTolerance, 1e-9);
  std::vector<Vec6> rowBasis;
  for (const Vec6& r : rows) orthonormalAdd(rowBasis, r, tolerance);
  std::vector<Vec6> all = rowBasis, free;
  for (int i = 0; i < 6; ++i) {
    Vec6 e{};
    e[i] = 1;
    if (orthonormalAdd(all, e, 1e-6)) free.push_back(all.back());
  }
  const size_t k = free.size();
  std::vector<gp_Vec> w, u;
  for (const Vec6& f : free) w.emplace_back(f[0], f[1], f[2]), u.emplace_back(f[3], f[4], f[5]);
  const int rw = rankOf(w, 1e-6);
  if (k == 0) return "fixed";
  if (k == 1) {
    if (rw == 0) return "prismatic";
    const double pitch = w[0].Dot(u[0]) / w[0].SquareMagnitude();
    return std::fabs(pitch) < 1e-6 ? "revolute" : "1 freedom";
  }
  if (k == 2 && rw == 1) {
    // The pure translation left in the span must run along the rotation axis.
    const gp_Vec axis = w[0].Magnitude() > w[1].Magnitude() ? w[0] : w[1];
    const double a = w[1].Dot(axis), b = -w[0].Dot(axis);  // a*w0 + b*w1 = 0 (w's are parallel)
    const gp_Vec slide = u[0] * a + u[1] * b;
    if (slide.Magnitude() > 1e-9 &&
        slide.Crossed(axis).Magnitude() < 1e-6 * slide.Magnitude() * axis.Magnitude())
      return "cylindrical";
  }
  if (k == 3 && rw == 3) return "ball";
  if (k == 3 && rw == 1) return "planar";
  return std::to_string(k) + " freedoms";
}

}  // namespace kalo_step::detail
