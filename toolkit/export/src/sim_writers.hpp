#pragma once

// One writer per simulator format. Each reads the simulation tree, adds the
// report lines of its own lossy steps and returns the whole file text.

#include <string>
#include <vector>

#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

std::string writeMjcf(const SimTree& tree, std::vector<std::string>* report);
std::string writeSdf(const SimTree& tree, std::vector<std::string>* report);
std::string writeUrdf(const SimTree& tree, std::vector<std::string>* report);

}  // namespace sim
}  // namespace kalo_toolkit
