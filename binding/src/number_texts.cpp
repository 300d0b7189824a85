#include <kalo_toolkit/number_text.hpp>

#include "method_support.hpp"

namespace kalo_toolkit_qli {

std::string bracketedNumbers(const double* values, size_t n) {
  std::string text;
  kalo_toolkit::util::to_string(text, values, n);
  return "[" + text + "]";
}

}  // namespace kalo_toolkit_qli
