#include "sim_text.hpp"

#include <algorithm>
#include <charconv>

namespace kalo_toolkit {
namespace sim {

namespace {
constexpr size_t kMaxIndentDepth = 32;
}  // namespace

std::string number(double v) {
  if (v == 0.0) return "0";
  // Rounded to 15 significant digits first: that drops the noise of unit
  // conversions and rotations in the last bits (0.30000000000000004 is 0.3),
  // while every value a double holds to 15 digits reads back unchanged.
  char buffer[64];
  const auto rounded = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 15);
  double value = v;
  std::from_chars(buffer, rounded.ptr, value);
  if (value == 0.0) return "0";
  const auto shortest = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, shortest.ptr);
}

std::string numbers(const double* v, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    if (i) out += ' ';
    out += number(v[i]);
  }
  return out;
}

std::string escapeXml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

XmlText::XmlText() : out_("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") {}

// Indentation stops growing past a depth no reader looks at, so a long
// kinematic chain (bodies nested as deep as it is long) gives text linear in
// its length.
void XmlText::indent() { out_.append(std::min(open_.size(), kMaxIndentDepth) * 2, ' '); }

void XmlText::open(const std::string& tag, const Attributes& attributes, bool leaf) {
  indent();
  out_ += '<' + tag;
  for (const auto& a : attributes) out_ += ' ' + a.first + "=\"" + escapeXml(a.second) + '"';
  out_ += leaf ? "/>\n" : ">\n";
  if (!leaf) open_.push_back(tag);
}

void XmlText::textElement(const std::string& tag, const std::string& text, const Attributes& attributes) {
  indent();
  out_ += '<' + tag;
  for (const auto& a : attributes) out_ += ' ' + a.first + "=\"" + escapeXml(a.second) + '"';
  out_ += '>' + escapeXml(text) + "</" + tag + ">\n";
}

void XmlText::comment(const std::string& text) {
  indent();
  // "--" may not appear inside a comment.
  std::string safe = text;
  for (size_t i = safe.find("--"); i != std::string::npos; i = safe.find("--", i)) safe[i + 1] = '_';
  out_ += "<!-- " + safe + " -->\n";
}

void XmlText::close() {
  const std::string tag = open_.back();
  open_.pop_back();
  indent();
  out_ += "</" + tag + ">\n";
}

}  // namespace sim
}  // namespace kalo_toolkit
