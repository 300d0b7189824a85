#include <kalo_toolkit/number_text.hpp>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <locale>
#include <sstream>
#include <vector>

namespace kalo_toolkit::util {

namespace {

// Small values are cleaned relative to the largest one before an array is written.
constexpr double kArrayCleanTol = 1e-12;

// Longest text of one double with 6 significant digits: "-1.23457e-308" (13);
// leave room for every form.
constexpr size_t kNumberBufSize = 32;

// Appends v exactly as a classic-locale stream with the default float format
// and precision 6 writes it ("%.6g"). std::to_chars with the general format
// gives the same text for finite values without the stream's per-call locale
// work; infinities and NaN are spelled here the way the stream spells them.
void appendDouble(std::string& out, double v) {
  if (std::isnan(v)) {
    out += std::signbit(v) ? "-nan" : "nan";
    return;
  }
  if (std::isinf(v)) {
    out += v < 0 ? "-inf" : "inf";
    return;
  }
  char buf[kNumberBufSize];
  std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
  out.append(buf, r.ptr);
}

// One input stream per thread, imbued once with the classic locale: building
// and imbuing a stream for every number dominates reading large files.
std::istringstream& classicInput(const std::string& text) {
  thread_local std::istringstream in = [] {
    std::istringstream s;
    s.imbue(std::locale::classic());
    return s;
  }();
  in.clear();
  in.str(text);
  return in;
}

}  // namespace

NonFiniteNumber::NonFiniteNumber() : std::range_error("A number to be written is not finite.") {}
NonFiniteNumber::~NonFiniteNumber() = default;

void s_zeroOutSmallVals(double* v, size_t n, double tol) {
  if (v == nullptr || n == 0) return;
  double m = tol;
  for (size_t i = 0; i < n; ++i) {
    if (std::fabs(v[i]) > m) m = std::fabs(v[i]);
  }
  const double limit = m * tol;
  for (size_t i = 0; i < n; ++i) {
    if (std::fabs(v[i]) < limit) v[i] = 0.0;
  }
}

bool to_string(std::string& out, double v) {
  std::string text;
  appendDouble(text, v);
  out.swap(text);
  return true;
}

bool to_string(std::string& out, int v) {
  char buf[16];
  std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
  out.assign(buf, r.ptr);
  return true;
}

bool to_string(std::string& out, const double* v, size_t n) {
  if (v == nullptr && n != 0) return false;
  std::vector<double> clean(v, v + n);
  s_zeroOutSmallVals(clean.data(), n, kArrayCleanTol);
  std::string text;
  text.reserve(n * 8);
  for (size_t i = 0; i < n; ++i) {
    if (i != 0) text += ',';
    appendDouble(text, clean[i]);
  }
  out.swap(text);
  return true;
}

bool to_string(std::string& out, const double* m, size_t rows, size_t cols) {
  if (cols != 0 && rows > SIZE_MAX / cols) return false;
  const size_t n = rows * cols;
  if (m == nullptr && n != 0) return false;
  std::vector<double> clean(m, m + n);
  s_zeroOutSmallVals(clean.data(), n, kArrayCleanTol);
  std::string text;
  text.reserve(2 + n * 8);
  text += '[';
  for (size_t r = 0; r < rows; ++r) {
    if (r != 0) text += ';';
    for (size_t c = 0; c < cols; ++c) {
      if (c != 0) text += ',';
      appendDouble(text, clean[r + c * rows]);
    }
  }
  text += ']';
  out.swap(text);
  return true;
}

bool from_string(double& v, const std::string& text) {
  std::istringstream& in = classicInput(text);
  double read = 0.0;
  if (!(in >> read)) return false;
  v = read;
  return true;
}

bool from_string(int& v, const std::string& text) {
  std::istringstream& in = classicInput(text);
  long long read = 0;
  if (!(in >> read)) return false;
  // Keep the low 32 bits, as a narrowing store would on this platform.
  v = static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long long>(read))));
  return true;
}

bool from_string(double* v, size_t n, const std::string& text) {
  // Nothing to read into: the last value would be v[-1].
  if (v == nullptr || n == 0) return false;
  size_t start = 0;  // the remaining text begins here
  for (size_t i = 0; i + 1 < n; ++i) {
    const size_t comma = text.find(',', start);
    if (comma == std::string::npos || comma == start || comma + 1 == text.size()) return false;
    if (!from_string(v[i], text.substr(start, comma - start))) return false;
    start = comma + 1;
  }
  return from_string(v[n - 1], text.substr(start));
}

}  // namespace kalo_toolkit::util
