#include "instance_coordinates.hpp"

#include <string>

namespace kalo::csts2connections::detail {

const ConstraintGeometry& geometryOn(const Constraint& c, std::uint32_t id) {
  if (c.geometryOne.instanceId == id) return c.geometryOne;
  if (c.geometryTwo.instanceId == id) return c.geometryTwo;
  throw std::string(kNotOnInstanceMessage);
}

const ConstraintGeometry& otherGeometry(const Constraint& c, const ConstraintGeometry& g) {
  return &g == &c.geometryOne ? c.geometryTwo : c.geometryOne;
}

ombra_math::Vector3_T directionIn(const ConstraintGeometry& target, const ConstraintGeometry& source,
                                  const ombra_math::Vector3_T& d) {
  if (target.instanceId == source.instanceId) return d;
  return target.instanceTransform.inverseCompose(source.instanceTransform).xformDir(d);
}

ombra_math::Vector3_T pointIn(const ConstraintGeometry& target, const ConstraintGeometry& source,
                              const ombra_math::Vector3_T& p) {
  if (target.instanceId == source.instanceId) return p;
  return target.instanceTransform.inverseCompose(source.instanceTransform).xformPoint(p);
}

}  // namespace kalo::csts2connections::detail
