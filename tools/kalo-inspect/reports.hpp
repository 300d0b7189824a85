#pragma once

#include <ostream>
#include <string>

#include <boost/shared_ptr.hpp>

namespace kalo_toolkit {
class Frame;
class ZoltModel;
}  // namespace kalo_toolkit

namespace kalo_inspect {

/// What a frame belongs to: kind "body", "ground" or "" (unknown), and its name.
struct FrameOwner {
  std::string kind;
  std::string name;
};
FrameOwner frameOwner(const boost::shared_ptr<kalo_toolkit::Frame>& frame);

/// The model as an indented tree. Every subsystem's total mass includes its
/// child subsystems.
void writeTextReport(std::ostream& out, const kalo_toolkit::ZoltModel& model, int simplifyOption);

/// The same content as one JSON document.
void writeJsonReport(std::ostream& out, const kalo_toolkit::ZoltModel& model, int simplifyOption);

/// The kinematic graph in Graphviz DOT.
void writeDotReport(std::ostream& out, const kalo_toolkit::ZoltModel& model);

/// The mass-property audit's lines and a count, or JSON; false (with `error`)
/// when the model cannot be laid out for export.
bool writeAuditReport(std::ostream& out, const kalo_toolkit::ZoltModel& model, const std::string& meshDir,
                      double meshScale, bool json, std::string* error);

}  // namespace kalo_inspect
