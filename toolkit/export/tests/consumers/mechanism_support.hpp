#pragma once

// Steps the mechanism tests share: exporting a multibody file with given
// options, loading the result in MuJoCo, SDFormat and urdfdom, and measuring
// a loop's mobility the way a MuJoCo user would.

#include <string>
#include <vector>

#include <kalo_toolkit/sim_export.hpp>

#include "consumer_support.hpp"

namespace kalo_consumers {

/// Exports the multibody file to `out` with `options` (and its checks, when options.verify);
/// fails the test when the export or a check does.
kalo_toolkit::sim::ExportResult exportFile(const std::string& multibody, const std::string& out,
                                           const kalo_toolkit::sim::ExportOptions& options);

/// The same, as MJCF with --verify, and loaded by MuJoCo; empty (with a test failure) when
/// MuJoCo refuses it.
MjModelPtr exportToMujoco(const std::string& multibody, const std::string& out,
                          kalo_toolkit::sim::ExportOptions options = {},
                          std::vector<std::string>* report = nullptr);

/// Freedoms less the rank of the equality rows of efc_J at the home pose.
int mobility(mjModel* m);

/// Number of joints of one type.
int jointCount(const mjModel* m, int type);

/// Loads an SDF file with libsdformat; its error texts.
std::vector<std::string> sdformatErrors(const std::string& file);

/// Whether urdfdom parses the URDF file.
bool urdfdomParses(const std::string& file);

bool hasLine(const std::vector<std::string>& report, const std::string& text);

}  // namespace kalo_consumers
