#include <kalo_tools/tool_version.hpp>

namespace kalo_tools {

std::string versionText(const std::string& tool) { return tool + " (Kalo) " KALO_VERSION "\n"; }

bool asksForVersion(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--version") return true;
  }
  return false;
}

}  // namespace kalo_tools
