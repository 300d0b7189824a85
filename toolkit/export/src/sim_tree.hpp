#pragma once

// The format-neutral simulation tree: every body of a multibody model in SI
// units and world coordinates, hung on a spanning tree from the ground, with
// the joints left out of the tree kept as loop closures. The writers of the
// three formats read only this.

#include <stdexcept>
#include <string>
#include <vector>

#include "rigid_math.hpp"
#include "sim_control_types.hpp"
#include "sim_names.hpp"

namespace kalo_toolkit {

class ZoltModel;

namespace sim {

/// A failure that stops the export; its text names the body, frame or joint.
class ExportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class DofKind { Slide, Hinge, Ball };

/// One freedom: a unit axis in world axes (none for a ball) through a world point.
struct SimDof {
  DofKind kind = DofKind::Hinge;
  Vec3 axis{};
  Vec3 point{};
  std::string name;  ///< unique: the joint's name, or with a suffix when the joint has several freedoms
  DofControl control;
};

struct SimSite {
  std::string name;
  Vec3 position{};
  Mat3 rotation{};
};

struct SimMesh {
  std::string file;  ///< mesh reference, below the mesh folder
  Vec3 position{};   ///< the part's own frame, in world coordinates
  Mat3 rotation{};
  double scale = 1.0;
};

struct SimLink {
  std::string name;     ///< flat: subsystem path and body name
  std::string rawName;  ///< the body's own name
  int subsystem = 0;    ///< index into SimTree::subsystems
  int parent = -1;      ///< -1: the world
  std::vector<int> children;
  /// World position of the link frame. Its axes are the world axes, since
  /// the joints' axes and the parts' placements are all given in them.
  Vec3 origin{};
  double mass = 0.0;  ///< kg
  Vec3 com{};         ///< world, m
  Mat3 inertia{};     ///< about com, world axes, kg*m^2
  /// Freedoms relative to the parent, in order of composition; none: rigidly attached.
  std::vector<SimDof> dofs;
  bool sixDof = false;       ///< three slides then a ball
  bool free = false;         ///< six freedoms relative to the world: one free joint where the format has one
  bool moving = false;       ///< some freedom lies between it and the world
  bool light = false;        ///< made for a massless connector
  std::string jointName;     ///< the joint it hangs by ("<link>.free" when no joint of the model holds it)
  std::string jointRawName;  ///< that joint's own name; empty when no joint of the model holds it
  int jointSubsystem = 0;    ///< subsystem that holds that joint
  bool hasMesh = false;
  SimMesh mesh;
  std::vector<SimSite> sites;
  bool hasColour = false;
  std::array<double, 4> rgba{};  ///< the body's material colour, alpha from its transparency
  CollisionShape collision;
};

/// A joint left out of the spanning tree.
struct SimClosure {
  std::string name;
  std::string rawName;
  int subsystem = 0;
  int link1 = -1;  ///< base side; -1: the world
  int link2 = -1;  ///< follower side; -1: the world
  Vec3 point{};    ///< the follower frame's position
  std::vector<SimDof> dofs;
};

struct SimSubsystem {
  std::string rawName;
  int parent = -1;
};

struct SimTree {
  std::string modelName;
  std::vector<SimSubsystem> subsystems;  ///< [0] is the top subsystem; parents before children
  std::vector<SimLink> links;            ///< parents before children
  std::vector<int> roots;                ///< links whose parent is the world, in order
  std::vector<SimClosure> closures;      ///< in joint order
  std::vector<std::string> report;
  NameTable names;  ///< every name given so far, for writers that make more
  SimScene scene;
};

struct TreeOptions {
  std::string meshDir;
  double meshScale = 0.0;
};

/// Throws ExportError when the model cannot be exported.
SimTree buildSimTree(const ZoltModel& model, const TreeOptions& options);

/// Mass bounds of a moving body: the smallest values the three consumers accept.
constexpr double kMinMass = 1e-9;     // kg
constexpr double kMinMoment = 1e-12;  // kg*m^2

/// Raises a mass or principal moments that no consumer accepts to the bounds
/// above (only for a body moved by freedoms of its own) and restores the
/// triangle inequality (for every body). Returns the report text of what
/// was changed, or an empty text when the values were kept exactly.
std::string boundMassProperties(bool moving, double* mass, Mat3* inertia);

}  // namespace sim
}  // namespace kalo_toolkit
