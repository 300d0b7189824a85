#pragma once

#include <string>

// Text forms shared by the two reports of kalo-inspect.
namespace kalo_inspect {

/// The text in double quotes for a human reader: quotes and control bytes are
/// escaped, backslashes (the path separator of flattened names) are kept.
std::string quoteForText(const std::string& text);

/// A JSON string literal. Bytes that are not valid UTF-8 become U+FFFD, so the
/// output stays valid JSON whatever the model's names hold.
std::string quoteForJson(const std::string& text);

/// A Graphviz DOT quoted string: quotes and backslashes escaped, line breaks
/// as Graphviz's "\n", other control bytes as spaces, bytes that are not valid UTF-8 as U+FFFD.
std::string quoteForDot(const std::string& text);

/// Six significant digits, as in the multibody file.
std::string numberForText(double v);

/// Shortest text that reads back to the same double; null when not finite.
std::string numberForJson(double v);

}  // namespace kalo_inspect
