#pragma once

// One writer per simulator format. Each reads the simulation tree, adds the
// report lines of its own lossy steps and returns the whole file text.

#include <string>
#include <vector>

#include <kalo_toolkit/sim_export.hpp>

#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

std::string writeMjcf(const SimTree& tree, std::vector<std::string>* report);
std::string writeSdf(const SimTree& tree, std::vector<std::string>* report);
std::string writeUrdf(const SimTree& tree, std::vector<std::string>* report);

/// The whole export to text; relative mesh references are checked and read from `folder`
/// (where the file goes; empty: the current folder).
ExportResult exportTextIn(const ZoltModel& model, const ExportOptions& options, const std::string& folder,
                          std::string* text);

}  // namespace sim
}  // namespace kalo_toolkit
