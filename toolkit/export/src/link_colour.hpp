#pragma once

// A body's visual material as the one colour every simulator format takes.

#include <string>
#include <vector>

#include "sim_tree.hpp"

namespace kalo_toolkit {

class Body;

namespace sim {

/// Sets link->rgba from the body's material: its colour, and 1 - transparency as alpha.
/// A body without material keeps no colour; values outside 0..1 are clamped, reported.
void readColour(const Body& body, SimLink* link, std::vector<std::string>* report);

}  // namespace sim
}  // namespace kalo_toolkit
