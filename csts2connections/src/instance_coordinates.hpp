#pragma once

// Internal helpers for expressing geometry data in the coordinates of one instance.

#include <kalo_csts2connections/constraint.hpp>
#include <kalo_csts2connections/constraint_geometry.hpp>
#include <ombra_math/ombra_math.hpp>

#include <cstdint>

namespace kalo::csts2connections::detail {

inline const char* const kNotOnInstanceMessage =
    "Given key is not associated with both the geometries in the constraint.";

// The geometry of `c` on instance `id`, geometry one tested first; throws the
// message above as a std::string when neither geometry is on that instance.
const ConstraintGeometry& geometryOn(const Constraint& c, std::uint32_t id);

// The other geometry of the constraint that holds `g`.
const ConstraintGeometry& otherGeometry(const Constraint& c, const ConstraintGeometry& g);

// `d`, a direction in the coordinates of `source`'s instance, expressed in those
// of `target`'s instance (unchanged when both are the same instance).
ombra_math::Vector3_T directionIn(const ConstraintGeometry& target, const ConstraintGeometry& source,
                                  const ombra_math::Vector3_T& d);
// As directionIn for a point.
ombra_math::Vector3_T pointIn(const ConstraintGeometry& target, const ConstraintGeometry& source,
                              const ombra_math::Vector3_T& p);

}  // namespace kalo::csts2connections::detail
