#pragma once

// The STEP import's sections of the project's settings file (JSON). One file
// serves the whole project: its "joints" section belongs to the simulator
// export and is skipped here; every other top-level key is one of ours or an
// error.
//
// {
//   "joints":     { ... },                       // the export's per-joint settings
//   "ground":     "Base",                        // the part fixed to the world (instance path)
//   "pairs": [                                   // overrides of the inference, per pair of instances
//     {"parts": ["Base", "Arm"], "joint": "revolute"},   // fixed|ignore|revolute|prismatic|cylindrical|ball
//     {"parts": ["Base", "Bolt"], "joint": "ignore", "note": "any text, not read"}
//   ],
//   "fasteners":  ["bolt", "screw", "nut", "washer", "pin", "*rivet*"],  // welded to what they touch
//   "density":    {"default": 7850, "Arm": 2700, "*plastic*": 1200},    // kg/m^3, by definition name
//   "mass":       {"Knob": 0.05},                                     // kg, by definition name
//   "tolerances": {"clearance": 0.0005, "distance": 1e-6, "angle": 1e-6}  // m, m, rad
// }
//
// Instance paths are the placed parts' names from the top, joined by "/"
// ("Arm" or "Sub/Arm"); a name alone is enough when only one part has it.
// Name patterns: a plain word matches a name holding it as a word, ignoring
// case ("bolt" matches "M5 Bolt", "hex_bolt-2"); with * or ? the pattern must
// match the whole name, ignoring case. Density and mass entries are tried in
// file order; the first that matches a definition's name wins.

#include <string>
#include <utility>
#include <vector>

#include <kalo_step/export.hpp>

namespace kalo_step {

/// What a pair of instances becomes, overriding the inference.
enum class PairJoint { Fixed, Ignore, Revolute, Prismatic, Cylindrical, Ball };

/// "fixed", "ignore", ... as the settings file spells it.
KALO_STEP_API const char* pairJointName(PairJoint joint);

struct PairSetting {
  std::string first;   ///< instance path as written
  std::string second;  ///< instance path as written
  PairJoint joint = PairJoint::Fixed;
};

struct ImportSettings {
  std::string ground;  ///< empty: no part is fixed to the world
  std::vector<PairSetting> pairs;
  std::vector<std::string> fasteners = {"bolt", "screw", "nut", "washer", "pin"};
  double defaultDensity = 7850.0;                         ///< kg/m^3
  std::vector<std::pair<std::string, double>> densities;  ///< pattern, kg/m^3
  std::vector<std::pair<std::string, double>> masses;     ///< pattern, kg
  double clearance = 0.0005;  ///< m: largest radius difference of a fit that still mates
  double distance = 1e-6;     ///< m: how far apart coincident axes, planes and centres may be
  double angle = 1e-6;        ///< rad: how far from parallel aligned axes and normals may be
};

/// Reads the STEP import's sections of a settings text. False with an error
/// naming the key and its position (a JSON pointer, or the byte offset of a
/// syntax error) when the text is not usable; `settings` is then unchanged.
KALO_STEP_API bool parseImportSettings(const std::string& text, ImportSettings* settings, std::string* error);

/// The same for a file; the error names the file.
KALO_STEP_API bool readImportSettings(const std::string& path, ImportSettings* settings, std::string* error);

/// Whether `name` matches a pattern of the settings file (see above).
KALO_STEP_API bool namePatternMatches(const std::string& pattern, const std::string& name);

}  // namespace kalo_step
