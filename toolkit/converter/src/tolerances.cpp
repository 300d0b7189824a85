#include "conversion_context.hpp"

namespace kalo_toolkit::detail {

// Held by the thread that runs the conversion: a conversion runs on its
// caller's thread from start to end, so conversions on other threads, each
// with its own tolerances, neither see nor reset these.
Tolerances& s_tolerances() {
  thread_local Tolerances tolerances;
  return tolerances;
}

void s_resetTolerances() { s_tolerances() = Tolerances(); }

}  // namespace kalo_toolkit::detail
