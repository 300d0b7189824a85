#include "freedom_set.hpp"

#include <cmath>
#include <cstdlib>

#include <kalo_toolkit/vector_math.hpp>

namespace kalo_toolkit::detail {

namespace {

using util::vecCross;
using util::vecDot;
using util::vecIsParallel;
using util::vecNorm;
using util::vecNormalize;
using util::vecSub;

void copy3(const double* in, double* out) {
  out[0] = in[0];
  out[1] = in[1];
  out[2] = in[2];
}

bool perpendicular(const double* a, const double* b, double tol) { return std::fabs(vecDot(a, b)) < tol; }

void setAll(FreedomSet& set, int flag) { set.flags[0] = set.flags[1] = set.flags[2] = flag; }

/// Whether the entry itself fixes where its rotation axis along a lies.
bool entryPinsAxis(const MergeEntry& entry, const double a[3], const Tolerance& tol) {
  FreedomSet rotations, translations;
  entryOwnSets(entry, tol, rotations, translations);
  AxisPositions own;
  applyAxisPositionRule(rotations, translations, entry.location, own, tol);
  int last = -1;
  for (int i = 0; i < 3; ++i) {
    if (vecIsParallel(rotations.column(i), a, tol.angular)) last = i;
  }
  return last >= 0 && own.flags[last] == 1;
}

/// A free rotation axis parallel to the entry's: the entry records where the
/// axis lies, or locks it when the axis already lies elsewhere.
void checkAxisPosition(FreedomSet& set, int j, AxisPositions& positions, bool entryPins,
                       const MergeEntry& entry, const Tolerance& tol) {
  if (!entryPins) return;
  if (positions.flags[j] != 1) {
    copy3(entry.location, positions.points + 3 * j);
    positions.flags[j] = 1;
    return;
  }
  double d[3];
  vecSub(positions.point(j), entry.location, d);
  if (vecNorm(d) > tol.linear && !vecIsParallel(d, set.column(j), tol.angular)) set.flags[j] = kAxisFixed;
}

/// An axis not perpendicular to the free column i: a code that fixes motion
/// about (or along) it fixes one more axis or turns the remaining ones.
void combineOblique(FreedomSet& set, int i, int code, const double a[3], const Tolerance& tol) {
  if (code < 0) {
    int open[3], m = 0;
    for (int j = 0; j < 3; ++j) {
      if (set.flags[j] != kAxisFixed) open[m++] = j;
    }
    if (m < 2) {
      set.flags[i] = kAxisFixed;
    } else if (m == 2) {
      double normal[3];
      vecCross(set.column(open[0]), set.column(open[1]), normal);
      if (std::fabs(vecDot(a, normal)) >= tol.angular) {
        setAll(set, kAxisFixed);
      } else {
        set.flags[open[0]] = kAxisFixed;
        copy3(a, set.column(open[1]));
      }
    } else {
      set.flags[0] = kAxisFree;
      set.flags[1] = set.flags[2] = kAxisFixed;
      copy3(a, set.column(0));
    }
  } else if (code == 1) {
    int fixedCount = 0, fixedIndex = -1, open[3], m = 0;
    for (int j = 0; j < 3; ++j) {
      if (set.flags[j] == kAxisFixed) {
        ++fixedCount;
        fixedIndex = j;
      } else {
        open[m++] = j;
      }
    }
    if (fixedCount == 2) {
      setAll(set, kAxisFixed);
    } else if (fixedCount == 1) {
      set.flags[open[0]] = kAxisFixed;
      double turned[3];
      vecCross(a, set.column(fixedIndex), turned);
      vecNormalize(turned);
      copy3(turned, set.column(open[1]));
    } else {
      set.flags[1] = set.flags[2] = kAxisFixed;
      copy3(a, set.column(0));
    }
  } else if (code >= 3) {
    setAll(set, kAxisFixed);
  }
  // Code 2 leaves the set as it is.
}

}  // namespace

int FreedomSet::freeCount() const {
  int n = 0;
  for (int f : flags) n += f == kAxisFree ? 1 : 0;
  return n;
}

int FreedomSet::freeColumn(int k) const {
  for (int i = 0; i < 3; ++i) {
    if (flags[i] == kAxisFree && k-- == 0) return i;
  }
  return -1;
}

FreedomSet freedomSetOfCode(int code, const double firstAxis[3], const double secondAxis[3], bool useSecond,
                            const Tolerance& tol) {
  FreedomSet set;
  if (code == 0) {
    setAll(set, kAxisFree);
    return set;  // identity axes
  }
  double* e1 = set.column(0);
  double* e2 = set.column(1);
  double* e3 = set.column(2);
  copy3(firstAxis, e1);
  vecNormalize(e1);
  if (useSecond && std::abs(code) == 1) {
    copy3(secondAxis, e2);
    vecNormalize(e2);
  } else {
    e2[0] = e2[1] = e2[2] = 0.0;  // stays zero for a zero first axis
    util::vecPerpendicular(e1, tol.angular, e2);
  }
  vecCross(e1, e2, e3);
  vecNormalize(e3);
  const int fixedCount = std::abs(code) > 3 ? 3 : std::abs(code);
  for (int i = 0; i < 3; ++i) {
    const bool fixed = code > 0 ? i < fixedCount : i >= 3 - fixedCount;
    set.flags[i] = fixed ? kAxisFixed : kAxisFree;
  }
  return set;
}

void entryOwnSets(const MergeEntry& entry, const Tolerance& tol, FreedomSet& rotations,
                  FreedomSet& translations) {
  rotations = freedomSetOfCode(entry.rotationCode, entry.firstAxis, entry.secondAxis, true, tol);
  translations = freedomSetOfCode(entry.translationCode, entry.firstAxis, entry.secondAxis, false, tol);
}

void combine(FreedomSet& set, int code, const double a[3], AxisPositions* positions, const MergeEntry& entry,
             const Tolerance& tol) {
  // Pass 1: a free column parallel to the entry's axis.
  for (int i = 0; i < 3; ++i) {
    if (set.flags[i] != kAxisFree || !vecIsParallel(a, set.column(i), tol.angular)) continue;
    if (code >= 3) {
      setAll(set, kAxisFixed);
    } else if (code == 1) {
      set.flags[i] = kAxisFixed;
    } else if (code < 0) {
      const bool pins = positions && entryPinsAxis(entry, a, tol);
      for (int repeat = 0; repeat < -code; ++repeat) {
        for (int j = 0; j < 3; ++j) {
          if (set.flags[j] == kAxisFixed) continue;
          if (j != i) {
            if (perpendicular(a, set.column(j), tol.angular)) set.flags[j] = kAxisFixed;
          } else if (positions) {
            checkAxisPosition(set, j, *positions, pins, entry, tol);
          }
        }
      }
    }
    // Codes 0 and 2 leave the set as it is.
    return;
  }

  // Pass 2: no free column along the axis.
  bool obliqueDone = false;
  for (int i = 0; i < 3; ++i) {
    if (set.flags[i] != kAxisFree) continue;
    if (code == 0) return;
    if (perpendicular(a, set.column(i), tol.angular)) {
      if (code >= 3) {
        setAll(set, kAxisFixed);
      } else if (code < 0) {
        for (int repeat = 0; repeat < -code; ++repeat) {
          for (int j = 0; j < 3; ++j) {
            if (set.flags[j] == kAxisFree && perpendicular(a, set.column(j), tol.angular))
              set.flags[j] = kAxisFixed;
          }
        }
      }
    } else if (!obliqueDone) {
      obliqueDone = true;
      combineOblique(set, i, code, a, tol);
    }
  }
}

void applyAxisPositionRule(const FreedomSet& rotations, const FreedomSet& translations,
                           const double location[3], AxisPositions& positions, const Tolerance& tol) {
  const int freeTranslations = translations.freeCount();
  if (rotations.freeCount() == 0 || freeTranslations == 3) {
    positions.flags[0] = positions.flags[1] = positions.flags[2] = 0;
    return;
  }
  if (freeTranslations < 2) {
    // The rotation axes cannot wander: an axis whose position was never
    // recorded lies at this constraint's location; recorded ones stay.
    for (int j = 0; j < 3; ++j) {
      if (positions.flags[j] != 1) copy3(location, positions.points + 3 * j);
      positions.flags[j] = 1;
    }
    return;
  }
  double normal[3];
  vecCross(translations.column(translations.freeColumn(0)), translations.column(translations.freeColumn(1)),
           normal);
  for (int j = 0; j < 3; ++j) {
    if (rotations.flags[j] != kAxisFree) {
      positions.flags[j] = 0;
      continue;
    }
    copy3(location, positions.points + 3 * j);
    positions.flags[j] = vecIsParallel(rotations.column(j), normal, tol.angular) ? 0 : 1;
  }
}

void mergeConstraint(FreedomSet& rotations, FreedomSet& translations, AxisPositions& positions,
                     int rotationCode, int translationCode, const double highAxis[3], const double lowAxis[3],
                     const double highLocation[3], const double lowLocation[3], const Tolerance& tol) {
  MergeEntry fromHigh;
  copy3(highAxis, fromHigh.firstAxis);
  copy3(lowAxis, fromHigh.secondAxis);
  fromHigh.rotationCode = rotationCode;
  fromHigh.translationCode = translationCode;
  copy3(highLocation, fromHigh.location);

  if (std::abs(rotationCode) == 1) {
    // Both readings of the entry are tried; the one leaving more rotation free wins.
    MergeEntry fromLow;
    copy3(lowAxis, fromLow.firstAxis);
    copy3(highAxis, fromLow.secondAxis);
    fromLow.rotationCode = rotationCode;
    fromLow.translationCode = -translationCode;
    copy3(lowLocation, fromLow.location);

    FreedomSet r1 = rotations, r2 = rotations;
    AxisPositions p1 = positions, p2 = positions;
    for (int k = 0; k < 3; ++k) {
      combine(r1, rotationCode, fromHigh.firstAxis, &p1, fromHigh, tol);
      combine(r2, rotationCode, fromLow.firstAxis, &p2, fromLow, tol);
    }
    if (r1.freeCount() < r2.freeCount()) {
      rotations = r2;
      positions = p2;
    } else {
      combine(r1, rotationCode, fromHigh.firstAxis, &p1, fromHigh, tol);
      rotations = r1;
      positions = p1;
    }
  } else {
    combine(rotations, rotationCode, fromHigh.firstAxis, &positions, fromHigh, tol);
  }
  combine(translations, translationCode, fromHigh.firstAxis, nullptr, fromHigh, tol);
  applyAxisPositionRule(rotations, translations, highLocation, positions, tol);
}

}  // namespace kalo_toolkit::detail
