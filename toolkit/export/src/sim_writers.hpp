#pragma once

// One writer per simulator format. Each reads the simulation tree, adds the
// report lines of its own lossy steps and returns the whole file text.

#include <string>
#include <vector>

#include <kalo_toolkit/sim_export.hpp>

#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

/// A file the MJCF includes: bodies nested deeper than MuJoCo reads in one file.
struct IncludedFile {
  std::string name;  ///< relative to the MJCF file's folder
  std::string text;
};

/// With `includes`, bodies deeper than MuJoCo reads in one file go to files named
/// `includeStem`.bodies-N.xml; without, they stay in the one text (reported).
std::string writeMjcf(const SimTree& tree, std::vector<std::string>* report,
                      const std::string& includeStem = std::string(),
                      std::vector<IncludedFile>* includes = nullptr);
std::string writeSdf(const SimTree& tree, std::vector<std::string>* report);
std::string writeUrdf(const SimTree& tree, std::vector<std::string>* report);

/// The whole export to text; relative mesh references are checked and read from `folder`
/// (where the file goes; empty: the current folder).
/// With `includes`, an MJCF too deep for one file is split as writeMjcf does.
ExportResult exportTextIn(const ZoltModel& model, const ExportOptions& options, const std::string& folder,
                          std::string* text, const std::string& includeStem = std::string(),
                          std::vector<IncludedFile>* includes = nullptr);

}  // namespace sim
}  // namespace kalo_toolkit
