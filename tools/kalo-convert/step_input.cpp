#include "step_input.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include <kalo_toolkit/atomic_file.hpp>
#include <kalo_toolkit/cad_model.hpp>

#ifdef KALO_HAVE_STEP
#include <kalo_step/step_import.hpp>
#endif

namespace kalo_convert {

namespace {

bool endsWith(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i]) return false;
  return true;
}

}  // namespace

bool isStepFile(const std::string& path) { return endsWith(path, ".step") || endsWith(path, ".stp"); }

bool takeStepOptions(std::vector<std::string>& args, StepArgs& step, std::string& error) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    std::string* target = name == "--settings"    ? &step.settings
                          : name == "--mesh-dir"  ? &step.meshDir
                          : name == "--mates-out" ? &step.matesOut
                                                  : nullptr;
    const bool cadXml =
        (arg == "--to=cadxml") || (arg == "--to" && i + 1 < args.size() && args[i + 1] == "cadxml");
    if (cadXml) {
      step.toCadXml = true;
      if (arg == "--to") ++i;
      continue;
    }
    if (!target) {
      rest.push_back(arg);
      continue;
    }
    std::string value;
    if (eq != std::string::npos) {
      value = arg.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      error = "option '" + name + "' needs a value";
      return false;
    }
    if (value.empty()) {
      error = name + " needs a file or folder name";
      return false;
    }
    *target = value;
  }
  args = rest;
  return true;
}

bool applyStepOptions(const StepArgs& step, ConvertOptions& options, std::string& error) {
  if (options.help) return true;
  if (isStepFile(options.input)) {
    if (step.toCadXml && options.toSimulator) {
      error = "--to is given twice";
      return false;
    }
    // The STEP file's geometry names point at the meshes themselves; the export adds no folder.
    if (options.toSimulator) options.exportOptions.settingsFile = step.settings;
    return true;
  }
  for (const auto& [given, name] :
       {std::pair<bool, const char*>{step.toCadXml, "--to cadxml"}, {!step.matesOut.empty(), "--mates-out"}})
    if (given) {
      error = "option '" + std::string(name) + "' applies only to a STEP input (.step, .stp)";
      return false;
    }
  if (!step.meshDir.empty() || !step.settings.empty()) {
    if (!options.toSimulator) {
      error = "option '" + std::string(step.meshDir.empty() ? "--settings" : "--mesh-dir") +
              "' applies only with --to or a STEP input";
      return false;
    }
    options.exportOptions.meshDir = step.meshDir;
    options.exportOptions.settingsFile = step.settings;
  }
  return true;
}

boost::shared_ptr<kalo_toolkit::CadModel> importStepInput(const StepArgs& step, ConvertOptions& options,
                                                          std::string& report, std::string& error) {
#ifdef KALO_HAVE_STEP
  namespace fs = std::filesystem;
  kalo_step::StepImportOptions import;
  if (!step.settings.empty() && !kalo_step::readImportSettings(step.settings, &import.settings, &error))
    return {};
  // Meshes beside the output unless told otherwise; geometry names relative to the output's folder,
  // which is where MJCF, SDFormat and URDF readers look first.
  const fs::path output = fs::absolute(options.output);
  const fs::path meshDir = step.meshDir.empty() ? output.parent_path() / (output.stem().string() + "_meshes")
                                                : fs::absolute(step.meshDir);
  import.meshDir = meshDir.lexically_normal().string();
  const fs::path relative =
      meshDir.lexically_normal().lexically_relative(output.parent_path().lexically_normal());
  import.meshPrefix = (relative.empty() ? meshDir.lexically_normal() : relative).string() + "/";
  const kalo_step::StepImportResult result = kalo_step::importStep(options.input, import);
  if (result.code != 0) {
    error = result.error;
    return {};
  }
  for (const std::string& line : result.report) report += line + "\n";
  options.massUnit = result.massUnit;
  options.lengthUnit = result.lengthUnit;
  if (!step.matesOut.empty()) {
    std::string why;
    if (!kalo_toolkit::util::writeFileAtomically(step.matesOut,
                                                 kalo_step::matesAsSettings(result, import.settings), &why)) {
      error = "cannot write '" + step.matesOut + "': " + why;
      return {};
    }
  }
  return result.model;
#else
  (void)step;
  (void)options;
  (void)report;
  error =
      "'" + options.input + "': this kalo-convert was built without STEP import (OpenCASCADE was not found)";
  return {};
#endif
}

std::string stepUsage() {
  return "STEP input (INPUT.step or INPUT.stp): the assembly is read with its names,\n"
         "placements, colours and units; masses come from the solids; mates are\n"
         "inferred from the geometry (pin in bore, face on face, ball in socket).\n"
         "  --settings FILE          the project's settings (JSON): ground, pairs,\n"
         "                           fasteners, density, mass, tolerances, and the\n"
         "                           export's joints\n"
         "  --mesh-dir DIR           where the STL meshes go (default OUTPUT's name\n"
         "                           followed by _meshes, beside it)\n"
         "  --mates-out FILE         write the joined pairs in the settings' syntax\n"
         "  --to cadxml              write the CAD XML made from the STEP file\n";
}

}  // namespace kalo_convert
