#include <kalo_toolkit/text_encoding.hpp>

#include <climits>
#include <cstring>
#include <mutex>

#include <unicode/uclean.h>
#include <unicode/unistr.h>

namespace kalo_toolkit::util {

namespace {

// ICU lengths are 32-bit; longer text could not be handed over whole.
bool fitsIcu(size_t n) { return n <= static_cast<size_t>(INT32_MAX); }
}  // namespace

void s_initUnicodeOnce() {
  static std::once_flag started;
  std::call_once(started, [] {
    UErrorCode status = U_ZERO_ERROR;
    u_init(&status);  // its status is of no use: conversions report their own failures
  });
}

std::string to_utf8_String(const std::string& text) {
  if (!fitsIcu(text.size())) return std::string();
  const icu::UnicodeString unicode(text.data(), static_cast<int32_t>(text.size()));
  std::string out;
  unicode.toUTF8String(out);
  return out;
}

std::string replace_char(const char* text, char from, char to) {
  if (text == nullptr) return std::string();
  const size_t length = std::strlen(text);
  if (!fitsIcu(length)) return std::string();
  icu::UnicodeString unicode(text, static_cast<int32_t>(length));
  unicode.findAndReplace(icu::UnicodeString(&from, 1), icu::UnicodeString(&to, 1));
  // Back to the default code page: ask for the length first, then convert.
  const int32_t needed = unicode.extract(0, unicode.length(), nullptr, 0u, nullptr);
  std::string out(static_cast<size_t>(needed) + 1, '\0');
  const int32_t written =
      unicode.extract(0, unicode.length(), &out[0], static_cast<uint32_t>(out.size()), nullptr);
  out.resize(static_cast<size_t>(written < needed ? written : needed));
  return out;
}

}  // namespace kalo_toolkit::util
