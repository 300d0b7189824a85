// The mass-property audit as text (one line per finding and a count) or JSON.

#include <ostream>
#include <vector>

#include <kalo_toolkit/mass_audit.hpp>

#include "reports.hpp"
#include "text_forms.hpp"

namespace kalo_inspect {

bool writeAuditReport(std::ostream& out, const kalo_toolkit::ZoltModel& model, const std::string& meshDir,
                      double meshScale, bool json, std::string* error) {
  using namespace kalo_toolkit::sim;
  std::vector<AuditLine> lines;
  if (!auditMassProperties(model, AuditOptions{meshDir, meshScale}, &lines, error)) return false;
  size_t errors = 0;
  for (const AuditLine& line : lines) errors += line.level == AuditLevel::Error;
  if (json) {
    out << "{\n  \"warnings\": " << lines.size() - errors << ",\n  \"errors\": " << errors
        << ",\n  \"audit\": [";
    for (size_t i = 0; i < lines.size(); ++i) {
      out << (i ? ",\n" : "\n")
          << "    {\"level\": " << quoteForJson(lines[i].level == AuditLevel::Error ? "error" : "warning")
          << ", \"body\": " << quoteForJson(lines[i].body)
          << ", \"text\": " << quoteForJson(auditLineText(lines[i])) << "}";
    }
    out << (lines.empty() ? "]\n}\n" : "\n  ]\n}\n");
    return true;
  }
  for (const AuditLine& line : lines) out << auditLineText(line) << "\n";
  out << "Mass-property audit: " << lines.size() - errors << " warning"
      << (lines.size() - errors == 1 ? "" : "s") << ", " << errors << " error" << (errors == 1 ? "" : "s")
      << ".\n";
  return true;
}

}  // namespace kalo_inspect
