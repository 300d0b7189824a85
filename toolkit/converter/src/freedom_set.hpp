#pragma once

// Free translations or rotations left between two parts, and how one more
// constraint narrows them.

namespace kalo_toolkit::detail {

constexpr int kAxisFree = 1;
constexpr int kAxisFixed = -1;

/// Three axis flags (1 free, -1 fixed) over the columns of a 3x3 matrix
/// stored column by column.
struct FreedomSet {
  int flags[3] = {kAxisFixed, kAxisFixed, kAxisFixed};
  double axes[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

  const double* column(int i) const { return axes + 3 * i; }
  double* column(int i) { return axes + 3 * i; }
  int freeCount() const;
  /// Index of the k-th free column (k = 0 first), or -1.
  int freeColumn(int k) const;
};

/// Known points on the rotation axes (flag 1: known, 0: unknown).
struct AxisPositions {
  double points[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  int flags[3] = {0, 0, 0};

  const double* point(int i) const { return points + 3 * i; }
};

struct Tolerance {
  double linear;
  double angular;
};

/// The set of one code with columns e1 (firstAxis), e2 (secondAxis when
/// useSecond and |code| = 1, else a perpendicular of e1) and e3 = e1 x e2.
/// Code 0: all free (identity axes); n > 0: the first n columns fixed;
/// n < 0: the last |n| columns fixed.
FreedomSet freedomSetOfCode(int code, const double firstAxis[3], const double secondAxis[3], bool useSecond,
                            const Tolerance& tol);

/// One constraint as the merge sees it: the axis it acts along, the other
/// entity's axis, its two codes and the location it pins a rotation axis at.
struct MergeEntry {
  double firstAxis[3];
  double secondAxis[3];
  int rotationCode;
  int translationCode;
  double location[3];
};

/// The entry's own rotation and translation sets.
void entryOwnSets(const MergeEntry& entry, const Tolerance& tol, FreedomSet& rotations,
                  FreedomSet& translations);

/// Narrows an accumulated set by one code acting along axis. For a rotation
/// set, positions is given and the entry may pin or lock a parallel axis.
void combine(FreedomSet& set, int code, const double axis[3], AxisPositions* positions,
             const MergeEntry& entry, const Tolerance& tol);

/// Recomputes which rotation axes have a known position after a merge.
void applyAxisPositionRule(const FreedomSet& rotations, const FreedomSet& translations,
                           const double location[3], AxisPositions& positions, const Tolerance& tol);

/// Merges one further constraint into the accumulated sets and positions.
/// highAxis/lowAxis and highLocation/lowLocation belong to the entity with the
/// higher and the lower geometry type.
void mergeConstraint(FreedomSet& rotations, FreedomSet& translations, AxisPositions& positions,
                     int rotationCode, int translationCode, const double highAxis[3], const double lowAxis[3],
                     const double highLocation[3], const double lowLocation[3], const Tolerance& tol);

}  // namespace kalo_toolkit::detail
