#pragma once

// Text forms shared by the three writers: numbers to 15 significant digits
// in their shortest form and a small indenting XML writer that writes attributes in the order
// given, so that output is byte-identical for the same tree.

#include <string>
#include <utility>
#include <vector>

#include "rigid_math.hpp"

namespace kalo_toolkit {
namespace sim {

/// The value rounded to 15 significant digits, in the shortest text that reads back as
/// that rounded double; "-0" is written as "0".
std::string number(double v);
/// Numbers separated by single spaces.
std::string numbers(const double* v, size_t n);
inline std::string numbers(const Vec3& v) { return numbers(v.data(), 3); }

class XmlText {
 public:
  using Attributes = std::vector<std::pair<std::string, std::string>>;

  XmlText();
  /// Opens an element; `leaf` closes it at once ("<a b=\"c\"/>").
  void open(const std::string& tag, const Attributes& attributes = {}, bool leaf = false);
  void leaf(const std::string& tag, const Attributes& attributes = {}) { open(tag, attributes, true); }
  /// An element holding only text: "<tag>text</tag>".
  void textElement(const std::string& tag, const std::string& text, const Attributes& attributes = {});
  void comment(const std::string& text);
  void close();
  const std::string& str() const { return out_; }

 private:
  void indent();
  std::string out_;
  std::vector<std::string> open_;
};

std::string escapeXml(const std::string& text);

}  // namespace sim
}  // namespace kalo_toolkit
