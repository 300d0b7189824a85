#pragma once

// The bounds of a mesh file's vertices, in the file's own units: what the
// export needs to place collision boxes and contact exclusions. The file is
// untrusted: sizes are checked before anything is read.

#include <string>

#include "rigid_math.hpp"

namespace kalo_toolkit {
namespace sim {

/// Reads binary or ASCII STL, or OBJ (by extension, case-insensitive). False when the file
/// cannot be opened, is of another kind, holds no vertex or a non-finite one.
bool readMeshBounds(const std::string& path, Vec3* lower, Vec3* upper);

}  // namespace sim
}  // namespace kalo_toolkit
