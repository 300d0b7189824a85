#pragma once

#include <kalo_csts2connections/export.hpp>
#include <ombra_math/ombra_math.hpp>

namespace kalo::csts2connections {

// Angle below which two directions count as parallel (and within which of a
// right angle they count as orthogonal): 0.0005 degree, in radians.
KALO_CSTS2CONNECTIONS_API extern const ombra_math::Numeric angleTolerance;

}  // namespace kalo::csts2connections
