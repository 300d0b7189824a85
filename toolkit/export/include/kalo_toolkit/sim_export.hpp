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

enum class Actuators { None, Position, Velocity, Motor };
enum class Collision { None, Mesh, Box };

/// Every option of the export. The command-line tools, `kalo-convert --to` and the Python
/// module set them through one table (kalo_toolkit/sim_options.hpp), so they are spelled
/// and checked the same everywhere.
struct ExportOptions {
  Format format = Format::Mjcf;
  /// Folder the mesh references are relative to; empty: the geometry file name as it stands.
  std::string meshDir;
  /// Scale written on each mesh; 0: each body's length unit in metres (STL carries no unit).
  double meshScale = 0.0;
  /// Restructuring applied by callers that read the model from a file (0..3, see
  /// MechanismSimplifier); the export itself takes the model as it is.
  int simplify = 0;
  /// Anchor every floating group of bodies to the world where it stands.
  bool fixedBase = false;
  /// Write mesh references even when the file is missing or of a kind the consumer cannot read.
  bool keepMissingMeshes = false;
  /// After writing MJCF, load it in MuJoCo and check it against the model.
  bool verify = false;
  /// Settings file (JSON): per-joint settings and the other sections of the project's settings.
  std::string settingsFile;
  /// The same as text, for callers that hold the settings in memory (Python dicts).
  std::string settingsText;
  Actuators actuators = Actuators::Position;
  /// Servo bandwidth in rad/s; 0: chosen from the model's physics.
  double bandwidth = 0.0;
  double dampingRatio = 1.0;
  Collision collision = Collision::Mesh;
  bool sensors = false;
  bool floor = false;
};

struct ExportResult {
  /// 0 written; 1 failed, 2 the settings do not fit the model (nothing written, no file left).
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
