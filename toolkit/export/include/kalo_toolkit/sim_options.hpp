#pragma once

// The one option set of the simulator export. kalo-export, kalo-convert --to and
// the Python module's export()/convert() all read their export options through
// this table: the same names (`--mesh-dir` on the command line, `mesh_dir` in
// Python), the same checks and the same error texts.

#include <string>
#include <vector>

#include <kalo_toolkit/export.hpp>
#include <kalo_toolkit/sim_export.hpp>

namespace kalo_toolkit {
namespace sim {

enum class OptionKind { Flag, Text, Number, Choice };

struct ExportOption {
  std::string name;  ///< command-line spelling without the dashes; Python: '-' becomes '_'
  OptionKind kind;
  std::string valueName;  ///< placeholder in the usage text ("DIR"); empty for a flag
  std::string help;       ///< one or more lines, without the option column
};

/// Every export option, in the order of the usage text.
KALO_TOOLKIT_API const std::vector<ExportOption>& exportOptionTable();

/// The table entry of `name` (command-line or Python spelling, without dashes); nullptr when unknown.
KALO_TOOLKIT_API const ExportOption* findExportOption(const std::string& name);

/// Sets one option from its text ("true"/"false" or empty for a flag). False, with an error
/// naming the option and the value, when the name is unknown or the value is not usable.
KALO_TOOLKIT_API bool setExportOption(ExportOptions* options, const std::string& name,
                                      const std::string& value, std::string* error);

/// The option lines of a usage text ("  --mesh-dir DIR      ..."), aligned, one block per option.
KALO_TOOLKIT_API std::string exportOptionsUsage();

}  // namespace sim
}  // namespace kalo_toolkit
