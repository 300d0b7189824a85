#pragma once

// The project's settings file: one JSON object that users keep beside their
// CAD data, so that what geometry cannot tell survives every new conversion.
//
//   {
//     "joints": {
//       "Shoulder.Turret--UpperArm": {"range": [-1.5, 1.5], "effort": 40, "home": 0.3},
//       "Leg*.knee": {"actuator": "velocity", "armature": 0.01}
//     },
//     "ground": ..., "pairs": ..., "fasteners": ..., "density": ..., "mass": ..., "tolerances": ...
//   }
//
// "joints" is read here; the other sections belong to STEP import, are
// accepted and left to it. Any other top-level key is an error. Joint keys
// are the names the export writes, or patterns with '*' (any run of
// characters) and '?' (one character).

#include <optional>
#include <string>
#include <vector>

#include <kalo_toolkit/export.hpp>
#include <kalo_toolkit/sim_export.hpp>

namespace kalo_toolkit {
namespace sim {

/// One entry of "joints": every field is optional.
struct JointSettings {
  std::string key;  ///< joint name or pattern, as written
  int line = 0;     ///< where the key stands in the text, from 1
  int column = 0;
  bool hasRange = false;
  double lower = 0.0, upper = 0.0;  ///< rad or m
  std::optional<double> effort;     ///< N*m or N, > 0
  std::optional<double> velocity;   ///< rad/s or m/s, > 0
  std::optional<Actuators> actuator;
  std::optional<double> kp, kd, armature, frictionloss;  ///< >= 0
  std::optional<double> home;                            ///< rad or m
};

struct SimSettings {
  std::string source;                 ///< the file name, or "settings" for text given in memory
  std::vector<JointSettings> joints;  ///< in the order of the text
};

/// Reads settings from JSON text. False, with an error naming the source, the line and column
/// and the key, when the text is not JSON or does not follow the schema above.
KALO_TOOLKIT_API bool parseSimSettings(const std::string& text, const std::string& source,
                                       SimSettings* settings, std::string* error);
/// The same for a file (at most 16 MiB).
KALO_TOOLKIT_API bool readSimSettingsFile(const std::string& path, SimSettings* settings, std::string* error);

/// Whether a joint key is a pattern ('*' or '?' in it) rather than a name.
KALO_TOOLKIT_API bool isJointPattern(const std::string& key);
/// Glob match of a whole name: '*' any run of characters (also none), '?' one character.
KALO_TOOLKIT_API bool matchJointPattern(const std::string& pattern, const std::string& name);

/// The settings of the joint or freedom called by any of `names` (a joint's name and the name
/// of one of its freedoms): patterns in the order of the text, then exact names, each later
/// field replacing an earlier one. `key` names every entry that contributed.
KALO_TOOLKIT_API JointSettings jointSettingsFor(const SimSettings& settings,
                                                const std::vector<std::string>& names);

/// Checks that every exact key is one of `known` and every pattern matches at least one. False
/// with an error naming the key, its position and the closest known names otherwise.
KALO_TOOLKIT_API bool checkJointKeys(const SimSettings& settings, const std::vector<std::string>& known,
                                     std::string* error);

}  // namespace sim
}  // namespace kalo_toolkit
