#pragma once

// STEP import: a STEP file becomes kalo's CAD assembly model, with mates
// inferred from the geometry so that the converter makes the joints.
//
// - Definitions and placed references follow the file's assembly tree; every
//   sub-assembly is placed flexible, so each part becomes a body of its own.
// - Lengths are in the file's unit, masses in kg (inertia in kg * unit^2);
//   mass properties come from the solids times a density (settings).
// - Mates, in the converter's vocabulary (constraint type 0, coincident):
//   coaxial cylinders of equal radius within the clearance, one a bore and one
//   a shaft (line on line); planar faces facing each other, coplanar and
//   overlapping (plane on plane); spheres with one centre and radius (point on
//   point at the centre). Fasteners are welded (type 7) to what they touch.

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_step/export.hpp>
#include <kalo_step/import_settings.hpp>

namespace kalo_toolkit {
class CadModel;
}

namespace kalo_step {

struct StepImportOptions {
  /// Folder the STL files are written to (created when missing); empty: no meshes written and
  /// no geometry file names.
  std::string meshDir;
  /// What each definition's geometry file name starts with, before the STL file's name;
  /// empty: meshDir followed by "/".
  std::string meshPrefix;
  ImportSettings settings;
};

/// One pair of placed parts that the import joined (inferred, by the fastener rule or by the settings).
struct ImportedPair {
  std::string first;   ///< instance path
  std::string second;  ///< instance path
  std::string joint;   ///< what the mates allow: fixed, revolute, prismatic, cylindrical, ball, planar, ...
  std::string origin;  ///< "geometry", "fastener" or "settings"
  std::string report;  ///< the pair's report line
};

struct StepImportResult {
  int code = 0;       ///< 0 read; 1 failed (no model)
  std::string error;  ///< why it failed, naming the file or the settings key
  boost::shared_ptr<kalo_toolkit::CadModel> model;
  KalotMassUnit massUnit = KALOT_MASS_KG;
  KalotLengthUnit lengthUnit = KALOT_LENGTH_MM;
  std::vector<ImportedPair> pairs;
  /// Report lines in words: one per joined pair, part and unit notes, touching faces that made no mate.
  std::vector<std::string> report;
};

/// Reads a STEP file (AP203/AP214/AP242) into a CAD model. Never throws.
KALO_STEP_API StepImportResult importStep(const std::string& path, const StepImportOptions& options);

/// The joined pairs in the settings file's syntax (a "pairs" section, with "ground" when set), for a
/// user to edit and hand back. Pairs whose joint is none of the settings' kinds (planar) are left out.
KALO_STEP_API std::string matesAsSettings(const StepImportResult& result, const ImportSettings& settings);

}  // namespace kalo_step
