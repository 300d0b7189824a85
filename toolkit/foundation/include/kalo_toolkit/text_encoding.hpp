#pragma once

#include <string>

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit::util {

/// Starts the Unicode library once per process (before the first XML file operation).
KALO_TOOLKIT_API void s_initUnicodeOnce();
/// The text converted from the platform's default code page to UTF-8.
KALO_TOOLKIT_API std::string to_utf8_String(const std::string& text);
/// A copy of text with every `from` replaced by `to`, as Unicode characters.
KALO_TOOLKIT_API std::string replace_char(const char* text, char from, char to);

}  // namespace kalo_toolkit::util
