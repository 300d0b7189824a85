#pragma once

// Forward kinematics of the simulation tree at its home pose: every freedom
// at its `home` value, balls and free joints as in the CAD pose.

#include <vector>

#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

/// A rigid motion x -> r x + t.
struct RigidMotion {
  Mat3 r = identity3();
  Vec3 t{};
};

Vec3 apply(const RigidMotion& m, const Vec3& x);
/// a after b.
RigidMotion compose(const RigidMotion& a, const RigidMotion& b);
/// Rotation by `angle` about the unit `axis` through `point`.
RigidMotion turnAbout(const Vec3& axis, const Vec3& point, double angle);

struct HomePose {
  /// Per link: the motion from its CAD pose to its home pose.
  std::vector<RigidMotion> links;
  /// Per link and freedom: axis and point in the world at the home pose.
  std::vector<std::vector<std::pair<Vec3, Vec3>>> dofs;
};

HomePose homePose(const SimTree& tree);

}  // namespace sim
}  // namespace kalo_toolkit
