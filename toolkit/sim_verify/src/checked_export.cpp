#include <kalo_toolkit/sim_verify.hpp>

namespace kalo_toolkit {
namespace sim {

ExportResult exportChecked(const ZoltModel& model, const std::string& path, const ExportOptions& options) {
  if (options.verify) {
    ExportResult refused;
    refused.code = 1;
    if (options.format != Format::Mjcf) {
      refused.error = "--verify checks MJCF files only (--to mjcf)";
      return refused;
    }
    if (!mjcfChecksAvailable()) {
      refused.error = "--verify needs MuJoCo, which was not found when kalo was built";
      return refused;
    }
  }
  ExportResult result = exportToFile(model, path, options);
  if (result.code != 0 || !options.verify) return result;
  const ExportResult checks = checkMjcf(model, path, options);
  if (checks.code == 1) {
    result.code = kCheckFailed;
    result.report.push_back("verify FAILED: " + checks.error);
    return result;
  }
  result.code = checks.code;
  result.report.insert(result.report.end(), checks.report.begin(), checks.report.end());
  return result;
}

}  // namespace sim
}  // namespace kalo_toolkit
