#pragma once

// The mass-property audit: the faults users find only by looking — a part
// without material, a unit slip, a tensor no body can have, a mesh drawn at the
// wrong scale. Each finding is one line naming the body; `kalo-inspect --audit`,
// the model page and the simulator export's report print the same lines.

#include <string>
#include <vector>

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {

class ZoltModel;

namespace sim {

enum class AuditLevel { Warning, Error };

struct AuditLine {
  AuditLevel level = AuditLevel::Warning;
  std::string body;  ///< flat link name, as the simulator export writes it
  std::string text;  ///< "body 'Arm.Link': density ..." without the level
};

struct AuditOptions {
  /// Where the bodies' mesh files are read from, and the scale they are drawn at
  /// (0: each body's length unit), as for the export.
  std::string meshDir;
  double meshScale = 0.0;
  /// Plausible densities in kg/m^3: foams and woods to tungsten alloys.
  double minDensity = 100.0;
  double maxDensity = 25000.0;
  /// Relative disagreement tolerated between a mesh and the stored volume or tensor.
  double meshTolerance = 0.05;
};

/// Audits every body of the model (bodies in the export's link order). Returns
/// false with `error` set when the model cannot be laid out for export at all.
/// Mesh files that are missing or unreadable are not audited (the body is drawn
/// as its inertia box); checks that need them are skipped.
KALO_TOOLKIT_API bool auditMassProperties(const ZoltModel& model, const AuditOptions& options,
                                          std::vector<AuditLine>* lines, std::string* error);

/// "warning: body 'X': ..." or "error: body 'X': ...".
KALO_TOOLKIT_API std::string auditLineText(const AuditLine& line);

}  // namespace sim
}  // namespace kalo_toolkit
