// Conversions between code page 1251 and Unicode encodings.
#include "text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace wrenfield {
namespace {

std::string AllBytes() {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(Cp1251, EveryByteSurvivesTheRoundTripThroughUtf8) {
  const std::string bytes = AllBytes();
  std::string back;
  ASSERT_TRUE(Utf8ToCp1251(Cp1251ToUtf8(bytes), back));
  EXPECT_EQ(back, bytes);
  EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xC2\x98");
  EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF\xA8\xB8\x88\xB9"),
            "\xD0\x90\xD1\x8F\xD0\x81\xD1\x91\xE2\x82\xAC\xE2\x84\x96");
}

TEST(Cp1251, RefusesWhatTheCodePageCannotHold) {
  std::string out;
  EXPECT_FALSE(Utf8ToCp1251("\xE4\xB8\xAD", out));      // a CJK character
  EXPECT_FALSE(Utf8ToCp1251("\xC3\xA9", out));          // é is not in the code page
  EXPECT_FALSE(Utf8ToCp1251("\xF0\x9F\x98\x80", out));  // outside the BMP
  EXPECT_FALSE(Utf8ToCp1251("\xC0\xAF", out));          // overlong
  EXPECT_FALSE(Utf8ToCp1251("\xED\xA0\x80", out));      // a surrogate
  EXPECT_FALSE(Utf8ToCp1251("\xD0", out));              // cut short
  EXPECT_TRUE(Utf8ToCp1251Lossy("a\xE4\xB8\xAD\xD0\x96", out));
  EXPECT_EQ(out, "a?\xC6");
  EXPECT_FALSE(Utf8ToCp1251Lossy("\xFF", out));
}

TEST(Utf8, AppendsEveryLengthOfSequence) {
  std::string out;
  for (const char32_t codePoint : {U'A', U'\u0416', U'\u20AC', U'\U0001F600'}) {
    AppendUtf8(codePoint, out);
  }
  EXPECT_EQ(out, "A\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80");
  std::size_t pos = 0;
  char32_t decoded = 0;
  for (const char32_t expected : {U'A', U'\u0416', U'\u20AC', U'\U0001F600'}) {
    ASSERT_TRUE(DecodeUtf8(out, pos, decoded));
    EXPECT_EQ(decoded, expected);
  }
  EXPECT_EQ(pos, out.size());
}

}  // namespace
}  // namespace wrenfield
