#pragma once

// Collision geometry of every body, the contact exclusions that let the model
// start at rest (no contact at the home pose), and the optional floor.

#include <string>

#include <kalo_toolkit/sim_export.hpp>

#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

/// Bodies lighter than this are helpers (light links, empty roots): no collision shape.
constexpr double kMinCollidingMass = 1e-6;  // kg
/// Two shapes closer than this at the home pose count as touching.
constexpr double kTouchMargin = 5e-4;  // m
/// The floor lies this far below the lowest collision shape at the home pose.
constexpr double kFloorGap = 1e-3;  // m

/// `meshBase`: the folder relative mesh references are read from (the written file's folder).
/// Call after applyJointControl, which sets the home pose.
void addCollisionScene(SimTree* tree, const ExportOptions& options, const std::string& meshBase);

}  // namespace sim
}  // namespace kalo_toolkit
