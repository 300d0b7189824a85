#pragma once

// SDFormat and URDF give a joint one freedom (or a ball, in SDFormat only).
// This turns the simulation tree into single-freedom joints between links,
// adding light links between the freedoms of one joint.

#include <map>
#include <string>
#include <vector>

#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

enum class ChainKind { Fixed, Floating, Slide, Hinge, Ball };

struct ChainJoint {
  std::string name;
  ChainKind kind = ChainKind::Fixed;
  int parent = -1;  ///< index into ChainTree::links; -1: the world
  int child = 0;
  Vec3 axis{};
  Vec3 point{};  ///< world
  bool closure = false;
};

struct ChainTree {
  std::vector<SimLink> links;  ///< the tree's links, then the light links in order of creation
  std::vector<ChainJoint> joints;
  /// Limits and dynamics of each joint made from one freedom, by joint name.
  std::map<std::string, DofControl> controls;
  const DofControl& controlOf(const ChainJoint& j) const {
    static const DofControl none;
    const auto found = controls.find(j.name);
    return found == controls.end() ? none : found->second;
  }
};

struct ChainRules {
  bool ballAsHinges = false;  ///< URDF has no ball joint
  /// URDF writes six freedoms relative to the world as a "floating" joint (MuJoCo reads it as a free
  /// joint, allowed only there) and chains them elsewhere; SDFormat leaves such a link free.
  bool floatingJoint = false;
  bool keepClosures = false;  ///< SDFormat allows a graph; URDF drops closures with a report line
};

ChainTree chainJoints(const SimTree& tree, const ChainRules& rules, NameTable* names,
                      std::vector<std::string>* report);

}  // namespace sim
}  // namespace kalo_toolkit
