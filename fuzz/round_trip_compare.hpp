#pragma once

// The round-trip property of the XML formats: a file read back and written again gives the first
// file's bytes, but for two documented movements of numbers that a byte comparison cannot tell from a
// fault.
//  - Numbers are written with 6 significant digits, and an array's values below 1e-12 times its
//    largest are written as 0. The largest value read back may have been rounded up, so a value kept
//    just above that limit by the first write can fall below it and be written as 0 by the second.
//  - A value the reader recomputes (a primitive's axis is normalised) is the recomputation of the
//    six-digit text, not of the value first written: its last digit may move, and for some vectors
//    moves again on the next reads and writes, so the format has no fixed point after one read and a
//    property must not ask for one.
// Every line of the two files must be identical, or be the same numbers element whose values are
// those the reader keeps, written as the writer writes them.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace kalo_fuzz {

/// What a reader keeps of the values of one numbers element; `recomputed` when they are not the
/// values written.
struct ReadValues {
  std::vector<double> values;
  bool recomputed = false;
};

/// The reader of a format, for one numbers element (its tag and the values of its text).
using ReadModel = ReadValues (*)(const std::string& tag, const std::vector<double>& written);

/// A reader that keeps every value as written (the CAD XML content reader).
inline ReadValues keptAsWritten(const std::string& /*tag*/, const std::vector<double>& written) {
  return {written, false};
}

/// The multibody reader: a primitive's axis is divided by its length when that is above 1e-6.
inline ReadValues multibodyRead(const std::string& tag, const std::vector<double>& written) {
  if (tag != "axis" || written.size() != 3) return {written, false};
  std::vector<double> axis = written;
  const double length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  if (length > 1e-6) {
    for (double& v : axis) v /= length;
  }
  return {axis, true};
}

namespace detail {

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  for (size_t from = 0; from < text.size();) {
    const size_t end = std::min(text.find('\n', from), text.size());
    out.push_back(text.substr(from, end - from));
    from = end + 1;
  }
  return out;
}

// A line `<tag>text</tag>` (after its indentation): its opening part, tag and text.
inline bool splitElement(const std::string& line, std::string& open, std::string& tag, std::string& text) {
  const size_t lt = line.find('<');
  if (lt == std::string::npos) return false;
  const size_t gt = line.find('>', lt);
  if (gt == std::string::npos || line.find_first_of(" /", lt) < gt) return false;
  tag = line.substr(lt + 1, gt - lt - 1);
  const std::string close = "</" + tag + ">";
  if (line.size() < gt + 1 + close.size() ||
      line.compare(line.size() - close.size(), close.size(), close) != 0) {
    return false;
  }
  open = line.substr(0, gt + 1);
  text = line.substr(gt + 1, line.size() - close.size() - gt - 1);
  return true;
}

// The comma-separated numbers of an element's text, each taken whole.
inline bool numbers(const std::string& text, std::vector<std::string>& texts, std::vector<double>& values) {
  texts.clear();
  values.clear();
  for (size_t from = 0;;) {
    const size_t comma = std::min(text.find(',', from), text.size());
    texts.push_back(text.substr(from, comma - from));
    const char* begin = texts.back().c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (texts.back().empty() || *end != '\0' || !std::isfinite(v)) return false;
    values.push_back(v);
    if (comma == text.size()) return true;
    from = comma + 1;
  }
}

// One unit in the sixth significant digit of v, as the writer rounds it.
inline double sixthDigitUnit(double v) {
  if (v == 0.0) return 0.0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.5e", v);
  const char* e = std::strchr(buf, 'e');
  return std::pow(10.0, std::atoi(e + 1) - 5);
}

// Whether the reader recomputes the numbers of this element.
inline bool recomputes(const std::string& tag, const std::string& text, ReadModel read) {
  std::vector<std::string> texts;
  std::vector<double> values;
  return numbers(text, texts, values) && read(tag, values).recomputed;
}

// Whether `again` holds the values the reader keeps of `first`, as the writer writes them.
inline bool sameNumbers(const std::string& tag, const std::string& first, const std::string& again,
                        ReadModel read) {
  std::vector<std::string> firstTexts, againTexts;
  std::vector<double> firstValues, againValues;
  if (!numbers(first, firstTexts, firstValues) || !numbers(again, againTexts, againValues) ||
      firstValues.size() != againValues.size()) {
    return false;
  }
  const ReadValues kept = read(tag, firstValues);
  if (kept.values.size() != againValues.size()) return false;
  // The writer's cleaning of an array: below 1e-12 times the largest (at least 1e-12) becomes 0. The
  // values held are recomputed here, so a value within rounding of that limit may go either way.
  constexpr double kClean = 1e-12, kSlack = 1e-9;
  double largest = kClean;
  for (double v : kept.values) largest = std::max(largest, std::fabs(v));
  const double limit = firstValues.size() > 1 ? largest * kClean : 0.0;
  for (size_t i = 0; i < againValues.size(); ++i) {
    const double expected = kept.values[i];
    const bool mayBeCleaned = std::fabs(expected) < limit * (1 + kSlack);
    const bool mayBeKept = std::fabs(expected) >= limit * (1 - kSlack);
    if (againValues[i] == 0.0 && againTexts[i] == "0" && mayBeCleaned) continue;
    if (!mayBeKept) return false;
    if (!kept.recomputed) {
      if (againTexts[i] != firstTexts[i]) return false;
    } else if (std::fabs(againValues[i] - expected) > sixthDigitUnit(expected)) {
      return false;
    }
  }
  return true;
}

}  // namespace detail

/// Empty when `again` is `first` read with `read` and written again; otherwise the first line that
/// differs in a way the format does not allow. A recomputed element is checked even where its text
/// did not change.
inline std::string roundTripDifference(const std::string& first, const std::string& again, ReadModel read) {
  const std::vector<std::string> a = detail::lines(first), b = detail::lines(again);
  if (a.size() != b.size()) {
    return "line counts differ: " + std::to_string(a.size()) + " and " + std::to_string(b.size());
  }
  for (size_t i = 0; i < a.size(); ++i) {
    std::string openA, tagA, textA, openB, tagB, textB;
    if (!detail::splitElement(a[i], openA, tagA, textA)) {
      if (a[i] == b[i]) continue;
      return "line " + std::to_string(i + 1) + ": " + a[i] + " | " + b[i];
    }
    if (a[i] == b[i] && !detail::recomputes(tagA, textA, read)) continue;
    const bool allowed = detail::splitElement(b[i], openB, tagB, textB) && openA == openB &&
                         detail::sameNumbers(tagA, textA, textB, read);
    if (!allowed) return "line " + std::to_string(i + 1) + ": " + a[i] + " | " + b[i];
  }
  return std::string();
}

}  // namespace kalo_fuzz
