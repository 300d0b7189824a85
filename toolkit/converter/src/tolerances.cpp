#include "conversion_context.hpp"

namespace kalo_toolkit::detail {

Tolerances& s_tolerances() {
  static Tolerances tolerances;
  return tolerances;
}

void s_resetTolerances() { s_tolerances() = Tolerances(); }

}  // namespace kalo_toolkit::detail
