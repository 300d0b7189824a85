#pragma once

// What the export adds to the mechanics so that a model is ready for a
// controller: per freedom its limits, actuator and gains; per body its colour
// and collision shape; for the whole model the contact exclusions, the time
// step and the optional floor. The simulation tree carries these; the
// writers only spell them.

#include <array>
#include <utility>
#include <vector>

#include <kalo_toolkit/sim_export.hpp>

#include "rigid_math.hpp"

namespace kalo_toolkit {
namespace sim {

struct DofControl {
  Actuators actuator = Actuators::None;  ///< None: no actuator
  bool limited = false;
  double lower = 0.0, upper = 0.0;  ///< rad or m
  double effort = 0.0;              ///< N*m or N; 0: none given
  double velocity = 0.0;            ///< rad/s or m/s; 0: none given
  double kp = 0.0;                  ///< position servo stiffness
  double kv = 0.0;                  ///< velocity servo gain
  double damping = 0.0;             ///< joint damping (the position servo's kd)
  double armature = 0.0;
  double frictionloss = 0.0;
  double home = 0.0;     ///< position in the home pose, relative to the CAD pose
  double inertia = 0.0;  ///< reflected inertia at the home pose, kg*m^2 or kg
  double gravity = 0.0;  ///< gravity load at the home pose, N*m or N
};

enum class ShapeKind { None, Mesh, Box };

/// A body's collision shape. `half`, `centre` and `rotation` give a box in world
/// coordinates at the CAD pose: the shape itself for Box, the mesh's bounds for Mesh.
struct CollisionShape {
  ShapeKind kind = ShapeKind::None;
  Vec3 centre{};
  Mat3 rotation{};
  Vec3 half{};
};

struct SimScene {
  double timestep = 0.0;                      ///< s; 0: the consumer's default
  std::vector<std::pair<int, int>> excludes;  ///< link pairs never in contact, first < second
  bool floor = false;
  double floorZ = 0.0;     ///< m, world
  double floorSize = 0.0;  ///< half side, m
  bool sensors = false;
};

}  // namespace sim
}  // namespace kalo_toolkit
