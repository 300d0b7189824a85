#include "json_writer.hpp"

#include <cmath>
#include <cstdio>

namespace kalo_convert {

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0.
size_t utf8Length(const std::string& s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  size_t n = 0;
  unsigned min = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    min = 0x10000;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  unsigned code = c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

std::string JsonWriter::quote(const std::string& text) {
  std::string q = "\"";
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      switch (c) {
        case '"':
          q += "\\\"";
          break;
        case '\\':
          q += "\\\\";
          break;
        case '\n':
          q += "\\n";
          break;
        case '\r':
          q += "\\r";
          break;
        case '\t':
          q += "\\t";
          break;
        default:
          if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            q += buf;
          } else {
            q += static_cast<char>(c);
          }
      }
      ++i;
      continue;
    }
    const size_t n = utf8Length(text, i);
    if (n == 0) {
      q += "\\ufffd";
      ++i;
    } else {
      q.append(text, i, n);
      i += n;
    }
  }
  q += '"';
  return q;
}

std::string JsonWriter::number(double value) {
  if (!std::isfinite(value)) return "null";
  if (value == 0) return "0";  // no "-0"
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.12g", value);
  return buf;
}

void JsonWriter::newline() {
  out += '\n';
  out.append(2 * levels.size(), ' ');
}

void JsonWriter::beforeValue() {
  if (afterKey) {
    afterKey = false;
    return;
  }
  if (levels.empty()) return;
  if (!levels.back().empty) out += ',';
  levels.back().empty = false;
  newline();
}

void JsonWriter::key(const std::string& name) {
  if (!levels.back().empty) out += ',';
  levels.back().empty = false;
  newline();
  out += quote(name);
  out += ": ";
  afterKey = true;
}

void JsonWriter::beginObject() {
  beforeValue();
  out += '{';
  levels.push_back({true, true});
}

void JsonWriter::endObject() {
  const bool empty = levels.back().empty;
  levels.pop_back();
  if (!empty) newline();
  out += '}';
  if (levels.empty()) out += '\n';
}

void JsonWriter::beginArray() {
  beforeValue();
  out += '[';
  levels.push_back({false, true});
}

void JsonWriter::endArray() {
  const bool empty = levels.back().empty;
  levels.pop_back();
  if (!empty) newline();
  out += ']';
}

void JsonWriter::value(const std::string& text) {
  beforeValue();
  out += quote(text);
}

void JsonWriter::value(const char* text) { value(std::string(text)); }

void JsonWriter::value(double v) {
  beforeValue();
  out += number(v);
}

void JsonWriter::value(long long v) {
  beforeValue();
  out += std::to_string(v);
}

void JsonWriter::value(bool flag) {
  beforeValue();
  out += flag ? "true" : "false";
}

void JsonWriter::null() {
  beforeValue();
  out += "null";
}

void JsonWriter::numbers(const double* values, size_t count) {
  beforeValue();
  out += '[';
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) out += ", ";
    out += number(values[i]);
  }
  out += ']';
}

}  // namespace kalo_convert
