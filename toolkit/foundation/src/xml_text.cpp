#include <cstdint>
#include <string>

#include <kalo_toolkit/xml_helpers.hpp>

// Byte strings inside the system are UTF-8. The conversion to and from the XML
// library's UTF-16 characters is done here rather than through the library's
// local-code-page transcoder: that one depends on the process locale (plain
// ASCII in the "C" locale) and would lose every non-ASCII name. Malformed
// input becomes U+FFFD instead of an exception, so a bad byte in a name can
// neither stop a write nor read outside the text.
namespace kalo_toolkit::util {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::basic_string<XMLCh> toXMLString(const std::string& text) {
  std::basic_string<XMLCh> out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned char b0 = *p;
    if (b0 < 0x80) {
      out += static_cast<XMLCh>(b0);
      ++p;
      continue;
    }
    // Sequence length and the allowed range of the second byte (which rules
    // out overlong forms, surrogates and values above U+10FFFF).
    int len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      len = 3;
      if (b0 == 0xE0) lo = 0xA0;
      if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      len = 4;
      if (b0 == 0xF0) lo = 0x90;
      if (b0 == 0xF4) hi = 0x8F;
    }
    if (len == 0) {
      out += kReplacement;
      ++p;
      continue;
    }
    uint32_t cp = b0 & (0xFF >> (len + 1));
    int used = 1;
    bool ok = true;
    for (; used < len; ++used) {
      if (p + used >= end) {
        ok = false;
        break;
      }
      const unsigned char b = p[used];
      if (used == 1 ? (b < lo || b > hi) : !isContinuation(b)) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (b & 0x3F);
    }
    p += used;  // a broken sequence is replaced as one unit (its maximal valid prefix)
    if (!ok) {
      out += kReplacement;
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<XMLCh>(0xD800 + (cp >> 10));
      out += static_cast<XMLCh>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<XMLCh>(cp);
    }
  }
  return out;
}

void appendBytes(std::string& out, const XMLCh* text, size_t length) {
  const XMLCh* end = text + length;
  for (const XMLCh* p = text; p < end; ++p) {
    const uint32_t u = *p;
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u >= 0xD800 && u <= 0xDBFF && p + 1 < end && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (static_cast<uint32_t>(p[1]) - 0xDC00));
      ++p;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, u);
    }
  }
}

std::string toBytes(const XMLCh* text) {
  std::string out;
  if (text == nullptr) return out;
  appendBytes(out, text, std::char_traits<XMLCh>::length(text));
  return out;
}

std::string quote(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  out += text;
  out += '"';
  return out;
}

std::string unquote(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
  return text;
}

}  // namespace kalo_toolkit::util
