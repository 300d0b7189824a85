#pragma once

// --version of every tool: the project's version, set once in the top-level CMakeLists.txt.

#include <string>
#include <vector>

namespace kalo_tools {

/// "kalo-export (Kalo) 1.0.0\n"
std::string versionText(const std::string& tool);

/// Whether the command line asks for the version (--version before any "--").
bool asksForVersion(const std::vector<std::string>& args);

}  // namespace kalo_tools
