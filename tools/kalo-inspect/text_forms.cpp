#include "text_forms.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>

#include <kalo_toolkit/number_text.hpp>

namespace kalo_inspect {

namespace {

void appendHexEscape(std::string& out, const char* prefix, unsigned value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%s%0*X", prefix, digits, value);
  out += buf;
}

// Length of the valid UTF-8 sequence starting at text[i], or 0.
size_t utf8Length(const std::string& text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char c = byte(i);
  size_t len;
  unsigned min;
  unsigned cp;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2, min = 0x80, cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3, min = 0x800, cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4, min = 0x10000, cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + len > text.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

}  // namespace

std::string quoteForText(const std::string& text) {
  std::string out = "\"";
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"') {
      out += "\\\"";
    } else if (c < 0x20 || c == 0x7F) {
      appendHexEscape(out, "\\x", c, 2);
    } else {
      out += ch;
    }
  }
  out += '"';
  return out;
}

std::string quoteForJson(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          appendHexEscape(out, "\\u", c, 4);
        } else if (size_t len = utf8Length(text, i)) {
          out.append(text, i, len);
          i += len;
          continue;
        } else {
          out += "\\uFFFD";
        }
    }
    ++i;
  }
  out += '"';
  return out;
}

std::string quoteForDot(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      // A backslash would start one of Graphviz's label escapes.
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c == 0x7F) {
      out += ' ';
    } else if (size_t len = utf8Length(text, i)) {
      out.append(text, i, len);
      i += len;
      continue;
    } else {
      out += "\xEF\xBF\xBD";  // U+FFFD: Graphviz reads UTF-8 only
    }
    ++i;
  }
  out += '"';
  return out;
}

std::string numberForText(double v) {
  std::string out;
  kalo_toolkit::util::to_string(out, v);
  return out;
}

std::string numberForJson(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[32];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace kalo_inspect
