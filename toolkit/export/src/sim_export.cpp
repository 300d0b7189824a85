// Public entry points of the simulator export: build the tree, run the
// format's writer, and write the file whole or not at all.

#include <kalo_toolkit/sim_export.hpp>

#include <kalo_toolkit/mass_audit.hpp>

#include <cerrno>
#include <cmath>

#include <kalo_toolkit/atomic_file.hpp>

#include <kalo_toolkit/sim_settings.hpp>

#include "collision_scene.hpp"
#include "joint_control.hpp"
#include "mesh_check.hpp"
#include "sim_tree.hpp"
#include "sim_writers.hpp"

namespace kalo_toolkit {
namespace sim {

bool formatFromName(const std::string& name, Format* format) {
  if (name == "mjcf")
    *format = Format::Mjcf;
  else if (name == "sdf")
    *format = Format::Sdf;
  else if (name == "urdf")
    *format = Format::Urdf;
  else
    return false;
  return true;
}

std::string formatName(Format format) {
  switch (format) {
    case Format::Sdf:
      return "sdf";
    case Format::Urdf:
      return "urdf";
    case Format::Mjcf:
      break;
  }
  return "mjcf";
}

TreeOptions treeOptions(const ExportOptions& options) {
  if (!std::isfinite(options.meshScale) || options.meshScale < 0)
    throw ExportError("mesh scale " + std::to_string(options.meshScale) + " is not a positive number");
  return TreeOptions{options.meshDir, options.meshScale, options.fixedBase};
}

/// The file's text; mesh references are checked and read relative to `folder`, where the file goes.
ExportResult exportTextIn(const ZoltModel& model, const ExportOptions& options, const std::string& folder,
                          std::string* text, const std::string& includeStem,
                          std::vector<IncludedFile>* includes) {
  ExportResult result;
  try {
    if (!text) throw ExportError("no output text given");
    const TreeOptions treeOpts = treeOptions(options);
    const SimSettings settings = settingsOf(options);
    SimTree tree = buildSimTree(model, treeOpts);
    checkMeshes(&tree, options.format, options.keepMissingMeshes, folder);
    applyJointControl(&tree, settings, options);
    addCollisionScene(&tree, options, folder);
    result.report = tree.report;
    switch (options.format) {
      case Format::Mjcf:
        *text = writeMjcf(tree, &result.report, includeStem, includes);
        break;
      case Format::Sdf:
        *text = writeSdf(tree, &result.report);
        break;
      case Format::Urdf:
        *text = writeUrdf(tree, &result.report);
        break;
    }
    // The mass-property audit's findings belong beside the export's own corrections.
    std::vector<AuditLine> audit;
    const std::string& dir = options.meshDir;
    const std::string auditDir = folder.empty() || (!dir.empty() && dir[0] == '/') ? dir : folder + "/" + dir;
    if (auditMassProperties(model, AuditOptions{auditDir, options.meshScale}, &audit, nullptr))
      for (const AuditLine& line : audit) result.report.push_back(auditLineText(line));
  } catch (const SettingsError& e) {
    result.code = 2;
    result.error = e.what();
    result.report.clear();
  } catch (const std::exception& e) {
    result.code = 1;
    result.error = e.what();
    result.report.clear();
  }
  return result;
}

ExportResult exportToString(const ZoltModel& model, const ExportOptions& options, std::string* text) {
  return exportTextIn(model, options, std::string(), text);
}

ExportResult exportToFile(const ZoltModel& model, const std::string& path, const ExportOptions& options) {
  std::string text;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string()
                             : slash == 0               ? std::string("/")
                                                        : path.substr(0, slash);
  // Included files sit beside the file and are named after it ("arm.xml": "arm.bodies-1.xml").
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  std::vector<IncludedFile> includes;
  ExportResult result = exportTextIn(model, options, folder, &text, stem, &includes);
  if (result.code != 0) return result;
  // Whole or not at all, through links too, and unique per call (AtomicFile); the included
  // files first, so the file that names them never stands without them.
  std::string why;
  for (const IncludedFile& file : includes) {
    const std::string included =
        slash == std::string::npos ? file.name : path.substr(0, slash + 1) + file.name;
    if (!util::writeFileAtomically(included, file.text, &why)) {
      result.code = 1;
      result.error = "cannot write '" + included + "': " + why;
      result.report.clear();
      return result;
    }
  }
  if (!util::writeFileAtomically(path, text, &why)) {
    result.code = 1;
    result.error = "cannot write '" + path + "': " + why;
    result.report.clear();
  }
  return result;
}

}  // namespace sim
}  // namespace kalo_toolkit
