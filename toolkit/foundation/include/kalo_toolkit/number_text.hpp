#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include <kalo_toolkit/export.hpp>

// The one text form of numbers in both XML files and the binding: classic
// locale, 6 significant digits. to_string replaces `out` and returns true only
// when everything was written; from_string stores only on success.
namespace kalo_toolkit::util {

/// Thrown by the file writers for a NaN or an infinity: no reader accepts such
/// a text, so a file holding one could not be opened again. The writers turn
/// it into their failure code. The to_string forms below still spell such
/// values as a stream does ("nan", "-inf"), for texts that are not files.
class KALO_TOOLKIT_API NonFiniteNumber : public std::range_error {
 public:
  NonFiniteNumber();
  ~NonFiniteNumber() override;
};

KALO_TOOLKIT_API bool to_string(std::string& out, double v);
KALO_TOOLKIT_API bool to_string(std::string& out, int v);
/// n values, cleaned of relatively small values, joined by single commas.
KALO_TOOLKIT_API bool to_string(std::string& out, const double* v, size_t n);
/// Matrix text "[a,b;c,d]" of an array stored column by column.
KALO_TOOLKIT_API bool to_string(std::string& out, const double* m, size_t rows, size_t cols);

/// Leading blanks skipped, trailing characters ignored ("1.5abc" gives 1.5).
KALO_TOOLKIT_API bool from_string(double& v, const std::string& text);
/// Reads a signed 64-bit decimal and keeps its low 32 bits.
KALO_TOOLKIT_API bool from_string(int& v, const std::string& text);
/// n comma-separated values; values read before a failure stay stored.
KALO_TOOLKIT_API bool from_string(double* v, size_t n, const std::string& text);

/// Sets to 0 every value smaller in magnitude than max(tol, max|v|) * tol.
KALO_TOOLKIT_API void s_zeroOutSmallVals(double* v, size_t n, double tol);

}  // namespace kalo_toolkit::util
