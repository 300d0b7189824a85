#include "constraint_classification.hpp"

#include <array>

namespace kalo_toolkit::detail {

namespace {

constexpr int kGeomCount = kMaxGeomType + 1;
constexpr int kTableSize = (kMaxConstrainType + 1) * kGeomCount * kGeomCount;

struct Listed {
  int type, geom1, geom2, translation, rotation;
};

// Every combination not listed here is unsupported (9/9).
constexpr Listed kListed[] = {
    {0, 0, 0, 3, 0},   {0, 0, 1, -2, 11}, {0, 0, 2, 1, 11},  {0, 0, 3, -2, 11}, {0, 1, 0, -2, 11},
    {0, 1, 1, -2, -2}, {0, 1, 2, 1, -1},  {0, 1, 3, -2, 11}, {0, 2, 0, 1, 11},  {0, 2, 1, 1, -1},
    {0, 2, 2, 1, -2},  {0, 2, 5, 1, -2},  {0, 3, 0, -2, 11}, {0, 3, 1, -2, 11}, {0, 3, 3, -2, -2},
    {0, 3, 4, -2, -2}, {0, 3, 5, -2, -2}, {0, 4, 3, -2, -2}, {0, 4, 4, -2, -2}, {0, 4, 5, 3, -2},
    {0, 5, 2, 1, -2},  {0, 5, 3, -2, -2}, {0, 5, 4, 3, -2},  {0, 5, 5, 3, -2},

    {1, 0, 3, -2, 11}, {1, 0, 4, -2, 11}, {1, 1, 3, -2, -2}, {1, 1, 4, -2, -2}, {1, 1, 5, -2, -2},
    {1, 2, 2, 2, 2},   {1, 3, 0, -2, 0},  {1, 3, 1, -2, -2}, {1, 3, 3, -2, -2}, {1, 3, 4, -2, -2},
    {1, 3, 5, -2, -2}, {1, 4, 0, -2, 0},  {1, 4, 1, -2, -2}, {1, 4, 3, -2, -2}, {1, 4, 4, -2, -2},
    {1, 4, 5, -2, -2}, {1, 5, 1, -2, -2}, {1, 5, 3, -2, -2}, {1, 5, 4, -2, -2}, {1, 5, 5, -2, -2},

    {2, 1, 1, 0, -1},  {2, 1, 2, 0, 2},   {2, 2, 1, 0, -2},  {2, 2, 2, 0, -1},

    {3, 1, 1, 0, -2},  {3, 1, 2, 0, -1},  {3, 2, 1, 0, -1},  {3, 2, 2, 0, -2},  {3, 3, 3, 0, -2},
    {3, 4, 4, 0, -2},

    {4, 1, 3, -1, 11}, {4, 2, 3, -2, 11}, {4, 3, 1, -1, 11}, {4, 3, 2, -2, 11}, {4, 3, 3, -2, 11},

    {5, 0, 0, 0, 6},   {5, 0, 1, 0, 11},  {5, 0, 2, 1, 0},   {5, 1, 0, 0, 11},  {5, 1, 1, 11, 11},
    {5, 1, 2, 1, -1},  {5, 2, 0, 1, 0},   {5, 2, 1, 1, -1},  {5, 2, 2, 1, -2},

    {6, 1, 1, 0, 1},   {6, 2, 2, 0, -2},
};

std::array<ConstraintCodes, kTableSize> buildTable() {
  std::array<ConstraintCodes, kTableSize> table;
  table.fill(ConstraintCodes{kCategoryUnsupported, kCategoryUnsupported});
  for (const Listed& l : kListed)
    table[l.type * kGeomCount * kGeomCount + l.geom1 * kGeomCount + l.geom2] = {l.translation, l.rotation};
  return table;
}

}  // namespace

ConstraintCodes classifyConstraint(KalotConstrainType type, KalotGeomType geom1, KalotGeomType geom2) {
  if (type == kWeldConstrainType) return {3, 3};
  if (type < 0 || type > kMaxConstrainType || geom1 < 0 || geom1 > kMaxGeomType || geom2 < 0 ||
      geom2 > kMaxGeomType)
    return {0, kCategoryUnsolvable};
  static const std::array<ConstraintCodes, kTableSize> table = buildTable();
  return table[type * kGeomCount * kGeomCount + geom1 * kGeomCount + geom2];
}

}  // namespace kalo_toolkit::detail
