#pragma once

// A small streaming JSON writer: two-space indentation, keys in the order
// written, numbers in a fixed form so the same report gives the same bytes.

#include <string>
#include <vector>

namespace kalo_convert {

class JsonWriter {
 public:
  void beginObject();
  void endObject();
  void beginArray();
  void endArray();
  /// The key of the next value inside an object.
  void key(const std::string& name);
  void value(const std::string& text);
  void value(const char* text);
  void value(double number);
  void value(long long number);
  void value(bool flag);
  void null();
  /// An array of numbers on one line.
  void numbers(const double* values, size_t count);

  /// The document so far (complete once every object and array is closed).
  const std::string& text() const { return out; }

  /// text as a JSON string literal: quotes, escapes, invalid UTF-8 replaced by U+FFFD.
  static std::string quote(const std::string& text);
  /// Up to 12 significant digits; non-finite values become null.
  static std::string number(double value);

 private:
  void beforeValue();
  void newline();

  struct Level {
    bool isObject;
    bool empty;
  };
  std::string out;
  std::vector<Level> levels;
  bool afterKey = false;
};

}  // namespace kalo_convert
