#pragma once

#include <kalo_toolkit/kalot_types.h>

namespace kalo_toolkit::detail {

/// What one constraint leaves free between two parts. Codes -2 to 3 are
/// freedom codes (see freedomSetOfCode); the rotation code doubles as the
/// constraint's category: 6 massless spherical-spherical connector,
/// 9 unsupported combination, 11 unsolvable.
struct ConstraintCodes {
  int translation;
  int rotation;
};

constexpr int kCategoryConnectorSS = 6;
constexpr int kCategoryUnsupported = 9;
constexpr int kCategoryUnsolvable = 11;
/// Set by the inference for an unknown constraint or geometry type.
constexpr int kCategoryInvalidInput = 12;

constexpr KalotConstrainType kMaxConstrainType = 7;
constexpr KalotGeomType kMaxGeomType = 5;
/// A weld: every translation and rotation fixed.
constexpr KalotConstrainType kWeldConstrainType = 7;

/// Codes of a constraint type and the geometry types of its two entities.
ConstraintCodes classifyConstraint(KalotConstrainType type, KalotGeomType geom1, KalotGeomType geom2);

}  // namespace kalo_toolkit::detail
