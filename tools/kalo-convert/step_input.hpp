#pragma once

// kalo-convert's STEP input: the options only a STEP file takes (--settings,
// --mesh-dir, --mates-out, --to cadxml) and the import in front of the
// conversion. Without OpenCASCADE at build time a STEP input is refused.

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "convert_options.hpp"

namespace kalo_toolkit {
class CadModel;
}

namespace kalo_convert {

struct StepArgs {
  std::string settings;   ///< --settings FILE: the project's settings (import sections and "joints")
  std::string meshDir;    ///< --mesh-dir DIR: where the STL files go (STEP) or the export's mesh folder
  std::string matesOut;   ///< --mates-out FILE: the joined pairs in the settings file's syntax
  bool toCadXml = false;  ///< --to cadxml: write the CAD XML made from the STEP file
};

/// Whether the file name ends in .step or .stp (any case).
bool isStepFile(const std::string& path);

/// Takes --settings, --mesh-dir, --mates-out and --to cadxml out of `args`. False with a message
/// when one of them lacks its value.
bool takeStepOptions(std::vector<std::string>& args, StepArgs& step, std::string& error);

/// After the rest of the command line is read: checks the options against the input's kind and
/// hands the export what is the export's. False with a message naming the option.
bool applyStepOptions(const StepArgs& step, ConvertOptions& options, std::string& error);

/// Imports the STEP input (meshes written, report lines printed to `report`), and sets the units
/// of `options` to the file's. Empty pointer with `error` set on failure.
boost::shared_ptr<kalo_toolkit::CadModel> importStepInput(const StepArgs& step, ConvertOptions& options,
                                                          std::string& report, std::string& error);

/// The usage lines of the STEP options.
std::string stepUsage();

}  // namespace kalo_convert
