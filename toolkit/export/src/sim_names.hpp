#pragma once

// Names legal in MJCF, SDFormat and URDF at once: letters, digits, '_', '-' and
// '.', never "::" (scope separator of SDFormat), never a leading "__" or the
// word "world" (both reserved), unique within one table.

#include <set>
#include <string>

namespace kalo_toolkit {
namespace sim {

/// Separator of subsystem path and name in a flat name ("Gripper.Finger").
constexpr char kPathSeparator = '.';

std::string legalName(const std::string& raw);

class NameTable {
 public:
  /// The legal form of `raw`, made unique with "_2", "_3", ... in order of claims.
  std::string claim(const std::string& raw);
  /// Reserves a name exactly as given, so that later claims avoid it.
  void reserve(const std::string& name) { used_.insert(name); }

 private:
  std::set<std::string> used_;
};

}  // namespace sim
}  // namespace kalo_toolkit
