#include "primitive_synthesis.hpp"

#include <kalo_toolkit/joint.hpp>

namespace kalo_toolkit::detail {

namespace {

bool validSlot(int slot) { return slot >= 0 && slot <= 2; }

}  // namespace

void synthesizePrimitives(Joint& joint, const int translationSlots[3], const double translationAxes[9],
                          const int rotationSlots[3], const double rotationAxes[9]) {
  const std::string world = "WORLD";
  bool anyFree = false;
  bool allRotationsFree = true;
  for (int i = 0; i < 3; ++i) {
    anyFree = anyFree || validSlot(translationSlots[i]) || validSlot(rotationSlots[i]);
    allRotationsFree = allRotationsFree && validSlot(rotationSlots[i]);
  }
  if (!anyFree) {
    joint.addPrimitive(KALOT_PRIM_WELD, Joint::zoltNullAxis, world);
    joint.setType(KALOT_JOINT_WELD);
    return;
  }
  for (int i = 0; i < 3; ++i) {
    if (validSlot(translationSlots[i]))
      joint.addPrimitive(KALOT_PRIM_PRISMATIC, translationAxes + 3 * translationSlots[i], world);
  }
  if (allRotationsFree) {
    joint.addPrimitive(KALOT_PRIM_SPHERICAL, Joint::zoltNullAxis, world);
    return;
  }
  for (int i = 0; i < 3; ++i) {
    if (validSlot(rotationSlots[i]))
      joint.addPrimitive(KALOT_PRIM_REVOLUTE, rotationAxes + 3 * rotationSlots[i], world);
  }
}

}  // namespace kalo_toolkit::detail
