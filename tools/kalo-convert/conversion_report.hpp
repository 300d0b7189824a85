#pragma once

// The machine-readable conversion report of kalo-convert (--report-json).

#include <string>
#include <vector>

namespace kalo_toolkit {
class Cad2Zolt;
class Joint;
}  // namespace kalo_toolkit

namespace kalo_convert {

struct ConvertOptions;

/// What a joint is, from its primitives: "revolute", "prismatic",
/// "cylindrical", "planar", "spherical", "weld", "six-dof",
/// "massless-connector", or "custom" for any other combination.
std::string jointKind(const kalo_toolkit::Joint& joint);

/// The "Error Details: " texts of a pair's report blocks, joined by a blank.
std::string weldReason(const std::string& report);

/// JSON document: input, output, units, result, one entry per constrained
/// pair (parts, constraint names, the joint with its primitives and frames,
/// status, weld reason) and the totals of the model; with --to also the
/// simulator format and the export's report lines.
std::string conversionReportJson(const kalo_toolkit::Cad2Zolt& converter, const ConvertOptions& options,
                                 int result, const std::vector<std::string>& exportReport = {});

}  // namespace kalo_convert
