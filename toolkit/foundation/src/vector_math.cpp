#include <kalo_toolkit/vector_math.hpp>

#include <cmath>

namespace kalo_toolkit::util {

double vecDot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void vecCross(const double* a, const double* b, double* out) {
  const double x = a[1] * b[2] - a[2] * b[1];
  const double y = a[2] * b[0] - a[0] * b[2];
  const double z = a[0] * b[1] - a[1] * b[0];
  out[0] = x;
  out[1] = y;
  out[2] = z;
}

double vecNorm(const double* a) { return std::sqrt(vecDot(a, a)); }

void vecAdd(const double* a, const double* b, double* out) {
  for (int i = 0; i < 3; ++i) out[i] = a[i] + b[i];
}

void vecSub(const double* a, const double* b, double* out) {
  for (int i = 0; i < 3; ++i) out[i] = a[i] - b[i];
}

void vecNormalize(double* a) {
  const double n = vecNorm(a);
  if (n > 1e-12) {
    for (int i = 0; i < 3; ++i) a[i] /= n;
  }
}

void matTimesVec(const double* m, const double* v, double* out) {
  double r[3];
  for (int i = 0; i < 3; ++i) r[i] = m[i] * v[0] + m[i + 3] * v[1] + m[i + 6] * v[2];
  for (int i = 0; i < 3; ++i) out[i] = r[i];
}

void matIdentity(double* m) {
  for (int i = 0; i < 9; ++i) m[i] = (i % 4 == 0) ? 1.0 : 0.0;
}

bool vecIsParallel(const double* a, const double* b, double tol) {
  double na[3] = {a[0], a[1], a[2]};
  double nb[3] = {b[0], b[1], b[2]};
  vecNormalize(na);
  vecNormalize(nb);
  double c[3];
  vecCross(na, nb, c);
  return vecNorm(c) < tol;
}

void vecPerpendicular(const double* axis, double tol, double* out) {
  double a[3] = {axis[0], axis[1], axis[2]};
  vecNormalize(a);
  const double ex[3] = {1, 0, 0}, ey[3] = {0, 1, 0}, ez[3] = {0, 0, 1};
  double t[3];
  vecCross(a, ez, t);
  const double cz = vecNorm(t);
  vecCross(a, ey, t);
  const double cy = vecNorm(t);
  vecCross(a, ex, t);
  const double cx = vecNorm(t);

  if (cz * cy * cx > tol) {
    // General direction: set two components to 1 and solve for the one of the
    // largest of |a0|, |a1| (or a2 when it equals that largest).
    const double m = std::fmax(std::fabs(a[0]), std::fabs(a[1]));
    double r[3];
    if (std::fabs(a[2]) == m) {
      r[0] = 1;
      r[1] = 1;
      r[2] = -(a[0] + a[1]) / a[2];
    } else if (std::fabs(a[1]) == m) {
      r[0] = 1;
      r[1] = -(a[0] + a[2]) / a[1];
      r[2] = 1;
    } else {
      r[0] = -(a[1] + a[2]) / a[0];
      r[1] = 1;
      r[2] = 1;
    }
    const double n = vecNorm(r);
    for (int i = 0; i < 3; ++i) out[i] = r[i] / n;
  } else if (cz > tol) {
    // Along x or y: turn by 90 degrees about z.
    const double r[3] = {kCos90 * a[0] - a[1], a[0] + kCos90 * a[1], a[2]};
    for (int i = 0; i < 3; ++i) out[i] = r[i];
  } else if (cy > tol) {
    // Along z: turn by 90 degrees about y.
    const double r[3] = {kCos90 * a[0] - a[2], a[1], a[0] + kCos90 * a[2]};
    for (int i = 0; i < 3; ++i) out[i] = r[i];
  }
}

int matrixRank(std::vector<std::vector<double>> rows, double tolerance) {
  int r = 0;
  std::vector<bool> used(rows.size(), false);
  for (;;) {
    double best = tolerance;
    size_t pr = 0, pc = 0;
    bool found = false;
    for (size_t i = 0; i < rows.size(); ++i)
      for (size_t j = 0; !used[i] && j < rows[i].size(); ++j)
        if (std::fabs(rows[i][j]) > best) {
          best = std::fabs(rows[i][j]);
          pr = i;
          pc = j;
          found = true;
        }
    if (!found) return r;
    used[pr] = true;
    ++r;
    for (size_t i = 0; i < rows.size(); ++i) {
      if (used[i]) continue;
      const double f = rows[i][pc] / rows[pr][pc];
      if (f == 0.0) continue;
      for (size_t j = 0; j < rows[i].size() && j < rows[pr].size(); ++j) rows[i][j] -= f * rows[pr][j];
    }
  }
}

}  // namespace kalo_toolkit::util
