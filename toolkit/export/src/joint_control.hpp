#pragma once

// Limits, actuators and servo gains of every freedom, from the settings file
// and from the model's own mass properties at the home pose.

#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/sim_settings.hpp>

#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

/// Settings that do not fit the model: the export writes nothing and exits with 2.
class SettingsError : public ExportError {
 public:
  using ExportError::ExportError;
};

/// Servo gains follow a bandwidth chosen so that gravity bends no servo at the
/// home pose by more than these.
constexpr double kSagHinge = 0.01;   // rad
constexpr double kSagSlide = 0.001;  // m
/// The slowest default servo: settles (within 5 %, critically damped) in 4.74 / 20 s.
constexpr double kMinBandwidth = 20.0;  // rad/s
/// Bandwidth times time step: semi-implicit Euler keeps an undamped oscillator
/// stable below 2; an order of magnitude below keeps coupled servos well inside.
constexpr double kBandwidthStep = 0.2;
constexpr double kDefaultTimestep = 0.002;  // s, MuJoCo's
constexpr double kMinTimestep = 1e-4;       // s

/// The settings of `options` (its file, else its text, else none). Throws SettingsError naming
/// the key and position when they cannot be read.
SimSettings settingsOf(const ExportOptions& options);

/// Fills every freedom's DofControl and the scene's time step; adds one report line per
/// chosen value. Throws SettingsError for keys that name no joint of the tree.
void applyJointControl(SimTree* tree, const SimSettings& settings, const ExportOptions& options);

}  // namespace sim
}  // namespace kalo_toolkit
