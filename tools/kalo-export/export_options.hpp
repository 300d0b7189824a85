#pragma once

// Command line of kalo-export.

#include <string>
#include <vector>

#include <kalo_toolkit/sim_export.hpp>

namespace kalo_export {

struct ExportCommand {
  kalo_toolkit::sim::ExportOptions options;
  bool formatGiven = false;
  std::string reportJson;  ///< empty: none
  std::string model;
  std::string output;
  bool help = false;
};

/// Parses the arguments after the program name; false with a message naming
/// the offending argument when they are not usable.
bool parseExportCommand(const std::vector<std::string>& args, ExportCommand& command, std::string& error);

/// The text of --help, conventions included.
std::string exportUsage();

}  // namespace kalo_export
