#pragma once

// Export of a multibody model to simulator formats: MuJoCo's MJCF, SDFormat 1.9 and URDF.
//
// Conventions held by every format:
// - everything is converted to SI (kg, m, kg*m^2, rad) from each body's and frame's own units;
// - a body's inertia is the tensor about its centre of mass in the axes of its frame "CG"
//   (the first frame when it has none, with a report line); it is rotated into the link frame,
//   whose axes are the world axes and whose origin is the point of the joint it hangs by;
// - the kinematic tree is a spanning tree chosen from the ground in joint order; joints left out
//   close loops (MJCF equality, SDFormat joint, dropped in URDF with a report line);
// - names come from the subsystem path, are legal in every format and unique;
// - output is byte-identical for the same model and options.

#include <string>
#include <vector>

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {

class ZoltModel;

namespace sim {

enum class Format { Mjcf, Sdf, Urdf };

/// "mjcf", "sdf" or "urdf"; false (and *format unchanged) for any other text.
KALO_TOOLKIT_API bool formatFromName(const std::string& name, Format* format);
/// The name of a format, as formatFromName reads it.
KALO_TOOLKIT_API std::string formatName(Format format);

struct ExportOptions {
  Format format = Format::Mjcf;
  /// Folder the mesh references are relative to; empty: the geometry file name as it stands.
  std::string meshDir;
  /// Scale written on each mesh; 0: each body's length unit in metres (STL carries no unit).
  double meshScale = 0.0;
};

struct ExportResult {
  /// 0 written; 1 failed (nothing written, no file left).
  int code = 0;
  /// Why it failed, naming the file, body or joint.
  std::string error;
  /// One line per lossy or corrected step, naming the body or joint and what was done.
  std::vector<std::string> report;
};

KALO_TOOLKIT_API ExportResult exportToString(const ZoltModel& model, const ExportOptions& options,
                                             std::string* text);
/// Writes through a temporary file beside `path` that replaces it only when complete.
KALO_TOOLKIT_API ExportResult exportToFile(const ZoltModel& model, const std::string& path,
                                           const ExportOptions& options);

}  // namespace sim
}  // namespace kalo_toolkit
