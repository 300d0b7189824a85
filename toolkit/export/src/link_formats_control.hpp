#pragma once

// Colour, collision, limits and joint dynamics in SDFormat and URDF: the
// same values the MJCF carries, spelled as each format spells them.

#include "sim_text.hpp"
#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

/// <material> inside a <visual>, when the body has a colour.
void writeSdfMaterial(const SimLink& link, XmlText* xml);
/// <collision> of the link, when it has a collision shape.
void writeSdfCollision(const SimLink& link, XmlText* xml);
/// <dynamics> and <limit> inside a joint's <axis>.
void writeSdfAxisControl(const DofControl& c, XmlText* xml);

void writeUrdfMaterial(const SimLink& link, XmlText* xml);
void writeUrdfCollision(const SimLink& link, XmlText* xml);
/// <dynamics> of a joint, when it has damping or friction.
void writeUrdfDynamics(const DofControl& c, XmlText* xml);

}  // namespace sim
}  // namespace kalo_toolkit
