#include <array>
#include <cmath>
#include <utility>

#include <gtest/gtest.h>

#include "../src/freedom_set.hpp"

namespace kalo_toolkit::detail {
namespace {

const Tolerance kTol{1e-5, 1e-5};
const double kX[3] = {1, 0, 0}, kY[3] = {0, 1, 0}, kZ[3] = {0, 0, 1};

void expectColumn(const FreedomSet& s, int i, double x, double y, double z) {
  EXPECT_NEAR(s.column(i)[0], x, 1e-12) << "column " << i;
  EXPECT_NEAR(s.column(i)[1], y, 1e-12) << "column " << i;
  EXPECT_NEAR(s.column(i)[2], z, 1e-12) << "column " << i;
}

void expectFlags(const FreedomSet& s, const std::array<int, 3>& flags) {
  EXPECT_EQ((std::array<int, 3>{s.flags[0], s.flags[1], s.flags[2]}), flags);
}

// combine reads the entry only to place rotation axes, with positions; these tests pass none.
const MergeEntry kEntry{};

TEST(FreedomSetOfCode, SignOfTheCodeChoosesWhichColumnsAreFixed) {
  const std::pair<int, std::array<int, 3>> cases[] = {{0, {1, 1, 1}},  {-2, {1, -1, -1}}, {-1, {1, 1, -1}},
                                                      {1, {-1, 1, 1}}, {2, {-1, -1, 1}},  {3, {-1, -1, -1}}};
  for (const auto& [code, flags] : cases) {
    SCOPED_TRACE(code);
    expectFlags(freedomSetOfCode(code, kZ, kX, true, kTol), flags);
  }
  FreedomSet s = freedomSetOfCode(0, kZ, kX, true, kTol);
  expectColumn(s, 0, 1, 0, 0);  // identity, whatever the axes
  expectColumn(s, 2, 0, 0, 1);
  s = freedomSetOfCode(-2, kZ, kX, true, kTol);  // free only along e1
  expectColumn(s, 0, 0, 0, 1);
  s = freedomSetOfCode(-1, kZ, kX, true, kTol);  // fixed only along e3 = e1 x e2
  expectColumn(s, 1, 1, 0, 0);
  expectColumn(s, 2, 0, 1, 0);
}

TEST(FreedomSetOfCode, SecondAxisOnlyForCodesOfMagnitudeOne) {
  // |code| = 2 ignores the second axis: e2 is the perpendicular of e1.
  FreedomSet s = freedomSetOfCode(-2, kZ, kX, true, kTol);
  expectColumn(s, 1, -1, 0, 0);  // z turned by 90 degrees about y
  expectColumn(s, 2, 0, -1, 0);
  s = freedomSetOfCode(-1, kZ, kX, false, kTol);
  expectColumn(s, 1, -1, 0, 0);
  s = freedomSetOfCode(1, kX, kZ, false, kTol);
  expectColumn(s, 1, 0, 1, 0);  // x turned by 90 degrees about z
  expectColumn(s, 2, 0, 0, 1);
}

TEST(FreedomSetOfCode, PerpendicularOfAnObliqueAxisAndUnitColumns) {
  const double oblique[3] = {0, 3, 4};  // lengthened: stored as a unit axis
  FreedomSet s = freedomSetOfCode(-2, oblique, kX, true, kTol);
  expectColumn(s, 0, 0, 0.6, 0.8);
  // |a1| is the larger of |a0| and |a1| (a2 does not count): (1, -(a0 + a2)/a1, 1) normalised.
  const double n = std::sqrt(1 + 1 + 16.0 / 9.0);
  expectColumn(s, 1, 1 / n, -4.0 / 3.0 / n, 1 / n);
  EXPECT_NEAR(
      s.column(0)[0] * s.column(1)[0] + s.column(0)[1] * s.column(1)[1] + s.column(0)[2] * s.column(1)[2],
      0.0, 1e-12);
  EXPECT_NEAR(std::hypot(std::hypot(s.column(2)[0], s.column(2)[1]), s.column(2)[2]), 1.0, 1e-12);
}

// The set of startCode over (e1, e2), narrowed by code along axis.
FreedomSet combined(int startCode, const double* e1, const double* e2, bool useSecond, int code,
                    const double* axis) {
  FreedomSet s = freedomSetOfCode(startCode, e1, e2, useSecond, kTol);
  combine(s, code, axis, nullptr, kEntry, kTol);
  return s;
}

TEST(Combine, ParallelAxisWithEachCode) {
  // 1 and 3 fix the parallel column (3 everything), -1 and -2 keep only it, 0 and 2 change nothing.
  const std::pair<int, std::array<int, 3>> cases[] = {{1, {1, 1, -1}}, {3, {-1, -1, -1}}, {2, {1, 1, 1}},
                                                      {0, {1, 1, 1}},  {-2, {-1, -1, 1}}, {-1, {-1, -1, 1}}};
  for (const auto& [code, flags] : cases) {
    SCOPED_TRACE(code);
    expectFlags(combined(0, kZ, kZ, true, code, kZ), flags);
  }
}

TEST(Combine, ObliqueOrPerpendicularAxisTurnsOrFixesColumns) {
  const double h = std::sqrt(0.5), xz[3] = {h, 0, h}, yz[3] = {0, h, h};

  // Code -2. Three free columns, none along the axis: one free column left, turned onto it.
  FreedomSet s = combined(0, kZ, kZ, true, -2, xz);
  expectFlags(s, {1, -1, -1});
  expectColumn(s, 0, h, 0, h);
  // Two free columns (x, y) spanning a plane the axis leaves: all fixed.
  expectFlags(combined(-1, kX, kY, true, -2, xz), {-1, -1, -1});
  // Two free columns (x, z) spanning a plane that holds the axis: one stays, turned onto it.
  s = combined(-1, kX, kZ, true, -2, xz);
  expectFlags(s, {-1, 1, -1});
  expectColumn(s, 1, h, 0, h);
  // One free column (z): fixed.
  expectFlags(combined(-2, kZ, kX, true, -2, xz), {-1, -1, -1});

  // Code 1. Nothing fixed: the first column takes the axis.
  s = combined(0, kZ, kZ, true, 1, yz);
  expectFlags(s, {1, -1, -1});
  expectColumn(s, 0, 0, h, h);
  // x fixed, y and z free: the remaining free column becomes axis x fixed column, normalised.
  s = combined(1, kX, kY, true, 1, yz);
  expectFlags(s, {-1, -1, 1});
  expectColumn(s, 2, 0, h, -h);
  expectFlags(combined(2, kX, kZ, false, 1, xz), {-1, -1, -1});  // one free column left

  // A perpendicular axis: -2 and 3 fix every perpendicular column, 1 (and 2) leave them alone.
  expectFlags(combined(-1, kX, kY, true, -2, kZ), {-1, -1, -1});
  expectFlags(combined(-1, kX, kY, true, 1, kZ), {1, 1, -1});
  expectFlags(combined(-1, kX, kY, true, 3, kZ), {-1, -1, -1});
}

TEST(AxisPositionRule, DependsOnTheFreeTranslations) {
  const double at[3] = {5, 6, 7};
  const FreedomSet aboutZ = freedomSetOfCode(-2, kZ, kZ, true, kTol);

  AxisPositions p;
  applyAxisPositionRule(aboutZ, freedomSetOfCode(0, kZ, kZ, false, kTol), at, p, kTol);
  EXPECT_EQ(p.flags[0], 0);  // free translations everywhere: no position known

  // Free in the plane perpendicular to the axis: the axis position is not fixed (planar).
  p = AxisPositions();
  applyAxisPositionRule(aboutZ, freedomSetOfCode(1, kZ, kZ, false, kTol), at, p, kTol);
  EXPECT_EQ(p.flags[0], 0);
  // Free in a plane holding the axis: the axis lies at the location.
  p = AxisPositions();
  applyAxisPositionRule(aboutZ, freedomSetOfCode(1, kX, kX, false, kTol), at, p, kTol);
  EXPECT_EQ(p.flags[0], 1);
  EXPECT_EQ(p.point(0)[0], 5);
  EXPECT_EQ(p.flags[1], 0);  // fixed rotation columns never have a position

  // At most one free translation: positions become known; a recorded one is kept.
  p = AxisPositions();
  applyAxisPositionRule(aboutZ, freedomSetOfCode(-2, kZ, kZ, false, kTol), at, p, kTol);
  EXPECT_EQ(p.flags[0], 1);
  EXPECT_EQ(p.point(0)[2], 7);
  const double elsewhere[3] = {9, 9, 9};
  applyAxisPositionRule(aboutZ, freedomSetOfCode(3, kZ, kZ, false, kTol), elsewhere, p, kTol);
  EXPECT_EQ(p.point(0)[2], 7);

  applyAxisPositionRule(freedomSetOfCode(3, kZ, kZ, true, kTol), freedomSetOfCode(3, kZ, kZ, false, kTol), at,
                        p, kTol);
  EXPECT_EQ(p.flags[0], 0);  // nothing turns: nothing to place
}

TEST(MergeConstraint, SecondPinOnTheSameAxisKeepsTheRotation) {
  // Two pins about z through the origin, and one about a parallel axis elsewhere.
  const double origin[3] = {0, 0, 0}, up[3] = {0, 0, 5}, aside[3] = {1, 0, 5};
  FreedomSet r = freedomSetOfCode(-2, kZ, kZ, true, kTol);
  FreedomSet t = freedomSetOfCode(-2, kZ, kZ, false, kTol);
  AxisPositions p;
  applyAxisPositionRule(r, t, origin, p, kTol);

  FreedomSet r2 = r, t2 = t;
  AxisPositions p2 = p;
  mergeConstraint(r2, t2, p2, -2, -2, kZ, kZ, up, up, kTol);
  EXPECT_EQ(r2.freeCount(), 1);
  EXPECT_EQ(t2.freeCount(), 1);

  mergeConstraint(r, t, p, -2, -2, kZ, kZ, aside, aside, kTol);
  EXPECT_EQ(r.freeCount(), 0);
  EXPECT_EQ(t.freeCount(), 1);
}

}  // namespace
}  // namespace kalo_toolkit::detail
