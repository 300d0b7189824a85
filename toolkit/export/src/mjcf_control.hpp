#pragma once

// The MJCF elements of a model ready for control: joint limits and
// dynamics, collision and coloured geoms, contact exclusions, actuators,
// sensors, the home keyframe and the floor. Only attributes MuJoCo 2.2
// accepts (no kv or dampratio on <position>, range only with limited).

#include <vector>

#include "sim_text.hpp"
#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

class MjcfControl {
 public:
  explicit MjcfControl(const SimTree& tree) : tree_(tree) {}

  /// <option> after <compiler>.
  void writeOption(XmlText* xml) const;
  /// Attributes of a hinge or slide joint after its axis.
  static void addJointAttributes(const SimDof& dof, XmlText::Attributes* a);
  /// Attributes of the visual mesh geom after its placement: colour, and contact when it collides.
  static void addMeshGeomAttributes(const SimLink& link, XmlText::Attributes* a);
  /// A box geom for a body that collides as a box, placed relative to its link frame.
  static void writeBoxGeom(const SimLink& link, XmlText* xml);
  /// Floor and light, inside <worldbody>.
  void writeFloor(XmlText* xml) const;
  /// Remembers the body's joints, in the order MuJoCo numbers them, for the keyframe and actuators.
  void noteBody(const SimLink& link);
  /// <contact>, <actuator>, <sensor> and <keyframe>, after <equality>.
  void writeAfterEquality(XmlText* xml) const;

 private:
  const SimTree& tree_;
  std::vector<double> qpos_;
  std::vector<const SimDof*> actuated_;
};

}  // namespace sim
}  // namespace kalo_toolkit
