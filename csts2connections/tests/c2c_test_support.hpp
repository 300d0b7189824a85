#pragma once

// Helpers shared by the tests: placements, instances and pose comparisons.

#include <kalo_csts2connections/kalo_csts2connections.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace c2c_test {

using namespace kalo::csts2connections;
using ombra_math::Quaternion_T;
using ombra_math::Transform3_T;
using ombra_math::Vector3_T;
using G = ConstraintGeometry;
using C = Constraint;

// Rotation by `degrees` about `axis`, then translation by `t`.
inline Transform3_T placement(const Vector3_T& axis, double degrees, const Vector3_T& t) {
  const double half = degrees * ombra_math::pi / 360.0;
  const double s = std::sin(half) / axis.norm();
  return Transform3_T(Quaternion_T(std::cos(half), axis[0] * s, axis[1] * s, axis[2] * s), t);
}

struct Instance {
  std::vector<std::string> path;
  Transform3_T placement;
};

// Geometry given in instance coordinates.
inline G geom(G::Type type, const Instance& i, const Vector3_T& p, const Vector3_T& d = Vector3_T::K) {
  return G(type, i.path, i.placement, p, d);
}

// Geometry given in assembly coordinates, stored in those of its instance.
inline G geomAt(G::Type type, const Instance& i, const Vector3_T& p, const Vector3_T& d = Vector3_T::K) {
  const Transform3_T inverse = i.placement.inverseCompose(Transform3_T());
  return G(type, i.path, i.placement, inverse.xformPoint(p), inverse.xformDir(d));
}

// Geometries of one type on two instances, both given in assembly coordinates.
inline C pairOf(C::Type type, const std::string& name, G::Type t, const Instance& a, const Instance& b,
                const Vector3_T& p, const Vector3_T& d = Vector3_T::K, const Vector3_T& pb = {},
                const Vector3_T& db = Vector3_T::K) {
  return C(type, name, geomAt(t, a, p, d), geomAt(t, b, pb, db));
}

// The same geometry in space seen from both instances.
inline C sameGeometry(C::Type type, const std::string& name, G::Type t, const Instance& a, const Instance& b,
                      const Vector3_T& p, const Vector3_T& d = Vector3_T::K) {
  return pairOf(type, name, t, a, b, p, d, p, d);
}

// The constraint with its geometries named in the opposite order.
inline C flipped(const C& c) { return C(c.originalType, c.name, c.geometryTwo, c.geometryOne); }

inline std::vector<Connection> compute(std::vector<C> constraints) {
  Constraints2Connections engine;
  for (C& c : constraints) engine.add(c);
  engine.computeConnections();
  return engine.connections;
}

// The one connection of constraints that all join the same pair of instances.
inline Connection computeOne(std::vector<C> constraints) {
  const std::vector<Connection> result = compute(std::move(constraints));
  EXPECT_EQ(result.size(), 1u);
  return result.empty() ? Connection(Connection::Failed, {}) : result.front();
}

inline void expectNear(const Vector3_T& a, const Vector3_T& b, double tol = 1e-9) {
  EXPECT_NEAR(a[0], b[0], tol);
  EXPECT_NEAR(a[1], b[1], tol);
  EXPECT_NEAR(a[2], b[2], tol);
}

inline bool isParallel(const Vector3_T& a, const Vector3_T& b) {
  return a.cross(b).norm() < 1e-9 * a.norm() * b.norm();
}

// Pose of a frame in assembly coordinates; the frame must be on `i`.
inline Transform3_T inAssembly(const Frame& f, const Instance& i) {
  EXPECT_EQ(f.instancePath, i.path);
  return i.placement.compose(f.transform);
}

inline void expectSamePose(const Transform3_T& a, const Transform3_T& b) {
  expectNear(a.translation(), b.translation());
  for (const Vector3_T& axis : {Vector3_T::I, Vector3_T::J, Vector3_T::K})
    expectNear(a.xformDir(axis), b.xformDir(axis));
}

// Base on `base`, follower on `follower`, both the same pose in space.
inline void expectJointFrames(const Connection& c, const Instance& base, const Instance& follower) {
  expectSamePose(inAssembly(c.baseFrame, base), inAssembly(c.followerFrame, follower));
}

inline Vector3_T zAxis(const Transform3_T& t) { return t.xformDir(Vector3_T::K); }

inline std::vector<std::string> names(const std::vector<Constraint>& constraints) {
  std::vector<std::string> out;
  for (const Constraint& c : constraints) out.push_back(c.name);
  return out;
}

}  // namespace c2c_test
