#include <gtest/gtest.h>

#include <kalo_toolkit/text_encoding.hpp>

using namespace kalo_toolkit::util;

TEST(TextEncoding, ReplaceChar) {
  s_initUnicodeOnce();
  s_initUnicodeOnce();  // the second call is a no-op
  EXPECT_EQ(replace_char("a/b/c", '/', '_'), "a_b_c");
  EXPECT_EQ(replace_char("//", '/', '.'), "..");
  EXPECT_EQ(replace_char("abc", '/', '_'), "abc");
  EXPECT_EQ(replace_char("", '/', '_'), "");
  EXPECT_EQ(replace_char(nullptr, '/', '_'), "");
}

TEST(TextEncoding, AsciiIsUnchangedByUtf8Conversion) {
  EXPECT_EQ(to_utf8_String("Part-1 <x=2.5>"), "Part-1 <x=2.5>");
  EXPECT_EQ(to_utf8_String(""), "");
  EXPECT_EQ(to_utf8_String(std::string("a\0b", 3)), std::string("a\0b", 3));
}
