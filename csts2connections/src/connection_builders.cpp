// Frame construction, geometry search and the builders of each connection type.

#include <kalo_csts2connections/constraints2connections.hpp>

namespace kalo::csts2connections {

using ombra_math::Matrix3x3_T;
using ombra_math::Quaternion_T;
using ombra_math::Transform3_T;
using ombra_math::Vector3_T;

namespace {

using Constraints = Constraints2Connections::Constraints;

template <typename Test>
void findGeom(const Constraints& constraints, const ConstraintGeometry*& geometry,
              const ConstraintGeometry*& other, Test test) {
  for (const Constraint& c : constraints) {
    if (test(c.geometryOne)) {
      geometry = &c.geometryOne;
      other = &c.geometryTwo;
      return;
    }
    if (test(c.geometryTwo)) {
      geometry = &c.geometryTwo;
      other = &c.geometryOne;
      return;
    }
  }
}

Transform3_T rotationFromColumns(const Vector3_T& position, const Vector3_T& x, const Vector3_T& y,
                                 const Vector3_T& z) {
  return Transform3_T(Quaternion_T(Matrix3x3_T(x, y, z, true)), position);
}

}  // namespace

Frame Constraints2Connections::computeBase(const Vector3_T& position,
                                           const std::vector<std::string>& instancePath) const {
  return Frame(Transform3_T(position), instancePath);
}

Frame Constraints2Connections::computeBase(const Vector3_T& position, const Vector3_T& direction,
                                           const std::vector<std::string>& instancePath) const {
  Vector3_T x, y, z;
  direction.compOrthogonalBasis(x, y, z);
  return Frame(rotationFromColumns(position, x, y, z), instancePath);
}

Frame Constraints2Connections::computeFollower(const Frame& /*base*/, const Transform3_T& pose,
                                               const std::vector<std::string>& instancePath) const {
  return Frame(pose, instancePath);
}

namespace {

// Follower pose on b's instance that coincides in space with `base` on a's.
Transform3_T followerPose(const Frame& base, const ConstraintGeometry& a, const ConstraintGeometry& b) {
  const Transform3_T inAssembly = a.instanceTransform.compose(base.transform);
  return b.instanceTransform.inverseCompose(inAssembly);
}

}  // namespace

Connection Constraints2Connections::computeConnectionAlongZAxis(
    Connection::Type type, const Vector3_T& position, const Vector3_T& direction, const ConstraintGeometry& a,
    const ConstraintGeometry& b, const Constraints& constraints) const {
  const Frame base = computeBase(position, direction, a.instancePath);
  const Frame follower = computeFollower(base, followerPose(base, a, b), b.instancePath);
  return Connection(type, base, follower, constraints);
}

Connection Constraints2Connections::computeTwoAxisConnection(Connection::Type type, const Vector3_T& position,
                                                             const Vector3_T& axis1, const Vector3_T& axis2,
                                                             const ConstraintGeometry& a,
                                                             const ConstraintGeometry& b,
                                                             const Constraints& constraints) const {
  return computeThreeAxisConnection(type, position, axis1, axis2, axis1.cross(axis2), a, b, constraints);
}

Connection Constraints2Connections::computeThreeAxisConnection(Connection::Type type,
                                                               const Vector3_T& position, const Vector3_T& x,
                                                               const Vector3_T& y, const Vector3_T& z,
                                                               const ConstraintGeometry& a,
                                                               const ConstraintGeometry& b,
                                                               const Constraints& constraints) const {
  const Frame base(rotationFromColumns(position, x, y, z), a.instancePath);
  const Frame follower = computeFollower(base, followerPose(base, a, b), b.instancePath);
  return Connection(type, base, follower, constraints);
}

void Constraints2Connections::findOriginalGeom(const Constraints& constraints,
                                               const ConstraintGeometry*& geometry,
                                               const ConstraintGeometry*& other,
                                               ConstraintGeometry::Type type) const {
  findGeom(constraints, geometry, other,
           [type](const ConstraintGeometry& g) { return g.originalType == type; });
}

void Constraints2Connections::findCurrentGeom(const Constraints& constraints,
                                              const ConstraintGeometry*& geometry,
                                              const ConstraintGeometry*& other,
                                              ConstraintGeometry::Type type) const {
  findGeom(constraints, geometry, other, [type](const ConstraintGeometry& g) { return g.type == type; });
}

void Constraints2Connections::findConcentricGeom(const Constraints& constraints,
                                                 const ConstraintGeometry*& geometry,
                                                 const ConstraintGeometry*& other) const {
  findGeom(constraints, geometry, other, [](const ConstraintGeometry& g) {
    return g.originalType == ConstraintGeometry::Cylinder || g.originalType == ConstraintGeometry::Circle;
  });
}

void Constraints2Connections::findAxisGeom(const Constraints& constraints,
                                           const ConstraintGeometry*& geometry,
                                           const ConstraintGeometry*& other) const {
  findConcentricGeom(constraints, geometry, other);
  if (geometry == nullptr) findOriginalGeom(constraints, geometry, other, ConstraintGeometry::Line);
  if (geometry == nullptr) findOriginalGeom(constraints, geometry, other, ConstraintGeometry::Plane);
}

Connection Constraints2Connections::createAlongAxis(Connection::Type type,
                                                    const Constraints& constraints) const {
  const ConstraintGeometry* g = nullptr;
  const ConstraintGeometry* other = nullptr;
  findAxisGeom(constraints, g, other);
  // Only lists holding an axis geometry reach here through the rules; anything
  // else is no joint of this type.
  if (g == nullptr) return processGeneral(constraints);
  return computeConnectionAlongZAxis(type, g->position, g->direction, *g, *other, constraints);
}

Connection Constraints2Connections::createSphericalJoint(const Constraints& constraints) const {
  if (constraints.empty()) return processGeneral(constraints);
  const ConstraintGeometry& g1 = constraints.front().geometryOne;
  const ConstraintGeometry& g2 = constraints.front().geometryTwo;
  const Frame base = computeBase(g1.position, g1.instancePath);
  const Frame follower = computeFollower(base, followerPose(base, g1, g2), g2.instancePath);
  return Connection(Connection::Spherical, base, follower, constraints);
}

Connection Constraints2Connections::createDistanceConstraint(const Constraints& constraints) const {
  if (constraints.empty()) return processGeneral(constraints);
  const ConstraintGeometry& g1 = constraints.front().geometryOne;
  const ConstraintGeometry& g2 = constraints.front().geometryTwo;
  return Connection(Connection::Distance, computeBase(g1.position, g1.instancePath),
                    computeBase(g2.position, g2.instancePath), constraints);
}

Connection Constraints2Connections::createPerpendicularConstraint(const Constraints& constraints) const {
  const ConstraintGeometry* g = nullptr;
  const ConstraintGeometry* other = nullptr;
  findAxisGeom(constraints, g, other);
  if (g == nullptr) return processGeneral(constraints);
  return Connection(Connection::Perpendicular, computeBase(g->position, g->direction, g->instancePath),
                    computeBase(other->position, other->direction, other->instancePath), constraints);
}

Connection Constraints2Connections::createPlanarJoint(const Constraints& constraints) const {
  const ConstraintGeometry* g = nullptr;
  const ConstraintGeometry* other = nullptr;
  findOriginalGeom(constraints, g, other, ConstraintGeometry::Plane);
  if (g == nullptr) return processGeneral(constraints);
  return computeConnectionAlongZAxis(Connection::Planar, g->position, g->direction, *g, *other, constraints);
}

Connection Constraints2Connections::createCylindricalJoint(const Constraints& constraints) const {
  return createAlongAxis(Connection::Cylindrical, constraints);
}

Connection Constraints2Connections::createRevoluteJoint(const Constraints& constraints) const {
  return createAlongAxis(Connection::Revolute, constraints);
}

Connection Constraints2Connections::createPrismaticJoint(const Constraints& constraints) const {
  return createAlongAxis(Connection::Prismatic, constraints);
}

Connection Constraints2Connections::createParallelConstraint(const Constraints& constraints) const {
  return createAlongAxis(Connection::Parallel, constraints);
}

Connection Constraints2Connections::createWeldJoint(const Constraints& constraints) const {
  if (constraints.empty()) return processGeneral(constraints);
  const ConstraintGeometry& g1 = constraints.front().geometryOne;
  const ConstraintGeometry& g2 = constraints.front().geometryTwo;
  return computeConnectionAlongZAxis(Connection::Weld, g1.position, g1.direction, g1, g2, constraints);
}

}  // namespace kalo::csts2connections
