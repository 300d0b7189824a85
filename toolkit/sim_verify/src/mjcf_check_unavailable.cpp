// The checks in a build without MuJoCo: none can run.

#include <kalo_toolkit/sim_verify.hpp>

namespace kalo_toolkit {
namespace sim {

bool mjcfChecksAvailable() { return false; }

ExportResult checkMjcf(const ZoltModel&, const std::string&, const ExportOptions&) {
  ExportResult result;
  result.code = 1;
  result.error = "checking MJCF needs MuJoCo, which was not found when kalo was built";
  return result;
}

}  // namespace sim
}  // namespace kalo_toolkit
