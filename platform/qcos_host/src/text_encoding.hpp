#pragma once

#include <string>

namespace qcos::detail {

// The local multibyte encoding is UTF-8 when the process's locale says so and
// Latin-1 otherwise. Bytes that are not valid UTF-8 travel as the lone
// surrogates U+DC80..U+DCFF, so that every byte string survives a round trip.
std::u16string localToUtf16(const std::string& text);
std::string utf16ToLocal(const std::u16string& text);

}  // namespace qcos::detail
