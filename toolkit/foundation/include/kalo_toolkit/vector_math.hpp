#pragma once

#include <vector>

#include <kalo_toolkit/export.hpp>

// Small helpers on 3-element arrays; 3x3 matrices are stored column by column.
namespace kalo_toolkit::util {

/// The double nearest to cos(90 degrees); used instead of 0 when turning an axis.
constexpr double kCos90 = 6.123233995736766e-17;

KALO_TOOLKIT_API double vecDot(const double* a, const double* b);
KALO_TOOLKIT_API void vecCross(const double* a, const double* b, double* out);
KALO_TOOLKIT_API double vecNorm(const double* a);
KALO_TOOLKIT_API void vecAdd(const double* a, const double* b, double* out);
KALO_TOOLKIT_API void vecSub(const double* a, const double* b, double* out);
/// Divides by the length when it is above 1e-12, else leaves a unchanged.
KALO_TOOLKIT_API void vecNormalize(double* a);
KALO_TOOLKIT_API void matTimesVec(const double* m, const double* v, double* out);
KALO_TOOLKIT_API void matIdentity(double* m);
/// True when the normalised copies have a cross product shorter than tol.
KALO_TOOLKIT_API bool vecIsParallel(const double* a, const double* b, double tol);
/// A unit vector perpendicular to axis; out is untouched for a zero axis.
KALO_TOOLKIT_API void vecPerpendicular(const double* axis, double tol, double* out);
/// Rank of the rows by Gaussian elimination with full pivoting; entries at or below
/// `tolerance` count as zero.
KALO_TOOLKIT_API int matrixRank(std::vector<std::vector<double>> rows, double tolerance);

}  // namespace kalo_toolkit::util
