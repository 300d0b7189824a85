#pragma once

// Mesh references a simulator can open: the kinds of file its consumers read
// and a file that exists where the reference points.

#include <string>

#include <kalo_toolkit/sim_export.hpp>

#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

/// Checks every mesh of the tree for `format`, relative to `folder` (where the written file
/// goes; empty: the working folder). MJCF leaves a mesh MuJoCo cannot open out of the file
/// (MuJoCo refuses the whole model for it) unless `keepMissing`; SDFormat and URDF keep it.
/// One report line per mesh that is not usable.
void checkMeshes(SimTree* tree, Format format, bool keepMissing, const std::string& folder);

}  // namespace sim
}  // namespace kalo_toolkit
