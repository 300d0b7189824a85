#pragma once

// Turns the free axes left between two parts into the primitives of a joint.

namespace kalo_toolkit {

class Joint;

namespace detail {

/// Axis slots: -1 is empty, 0-2 names a column (a free axis) of the slot's 3x3
/// matrix, stored column by column. Prismatics come first, then one revolute
/// per rotation slot, or a single spherical when all three rotations are free;
/// no free slot at all gives a weld (type 7). Every axis is in "WORLD".
void synthesizePrimitives(Joint& joint, const int translationSlots[3], const double translationAxes[9],
                          const int rotationSlots[3], const double rotationAxes[9]);

}  // namespace detail
}  // namespace kalo_toolkit
