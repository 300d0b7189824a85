#pragma once

// A STEP file's assembly tree as read through OpenCASCADE's XCAF document:
// definitions (parts with their solids, assemblies with placed children),
// names, placements and colours, and the length unit of the file.

#include <optional>
#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>
#include <gp_Trsf.hxx>

#include <kalo_toolkit/kalot_types.h>

namespace kalo_step::detail {

struct Rgba {
  double r = 0, g = 0, b = 0, a = 1;
};

struct PlacedChild {
  std::string name;  ///< the instance's name; the definition's when the file names no instance
  size_t definition = 0;
  gp_Trsf placement;  ///< in document units
  std::optional<Rgba> colour;
};

struct Definition {
  std::string name;
  bool assembly = false;
  TopoDS_Shape shape;  ///< parts: the solids, in the definition's coordinates and document units
  std::vector<PlacedChild> children;
  std::optional<Rgba> colour;
};

struct StepDocument {
  std::vector<Definition> definitions;
  size_t top = 0;
  /// Metres per document unit (the shapes' unit) and per file unit (the unit the model is given in).
  double documentMetres = 0.001;
  double fileMetres = 0.001;
  KalotLengthUnit fileUnit = KALOT_LENGTH_MM;
  std::vector<std::string> report;
};

/// Reads a STEP file. Throws std::runtime_error naming the file when it cannot be read.
StepDocument readStepDocument(const std::string& path);

/// The kalo length unit and metres per unit of a STEP unit name ("millimetre", "INCH", ...);
/// false when kalo has no such unit.
bool lengthUnitOfName(const std::string& name, KalotLengthUnit* unit, double* metres);

}  // namespace kalo_step::detail
