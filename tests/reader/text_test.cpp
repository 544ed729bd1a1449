// Read-me encoding detection and the comma-field extractor.
#include <gtest/gtest.h>

#include <string>

#include "extract_field.h"
#include "readme_text.h"

namespace wrenfield {
namespace {

TEST(ReadmeEncoding, ConvertsMarkedAndMultiByteTextOnly) {
  EXPECT_EQ(ReadmeToCp1251(std::string("\xFF\xFE"
                                       "A\0\x16\x04",
                                       6)),
            "A\xC6");
  EXPECT_EQ(ReadmeToCp1251(std::string("\xFE\xFF\0A\x04\x16", 6)), "A\xC6");
  // A surrogate pair is one character outside the code page; a lone one and an
  // odd last byte become "?" as well.
  EXPECT_EQ(ReadmeToCp1251(std::string("\xFF\xFE\x3D\xD8\x00\xDE"
                                       "B\0",
                                       8)),
            "?B");
  EXPECT_EQ(ReadmeToCp1251(std::string("\xFF\xFE\x00\xDC"
                                       "C",
                                       5)),
            "??");
  EXPECT_EQ(ReadmeToCp1251(std::string("\xFF\xFE", 2)), "");
  EXPECT_EQ(ReadmeToCp1251("\xEF\xBB\xBF"
                           "abc"),
            "abc");
  EXPECT_EQ(ReadmeToCp1251("\xEF\xBB\xBF\xC0\xC1"), "\xC0\xC1");  // marked but not UTF-8
  EXPECT_EQ(ReadmeToCp1251("x \xD0\x96 \xE2\x82\xAC \xE4\xB8\xAD"), "x \xC6 \x88 ?");
  // Code page 1251 text: Cyrillic bytes seldom form valid UTF-8, and plain ASCII is left as is.
  EXPECT_EQ(ReadmeToCp1251("\xCC\xE0\xF8\xE8\xED\xE0"), "\xCC\xE0\xF8\xE8\xED\xE0");
  EXPECT_EQ(ReadmeToCp1251("plain ascii\r\n"), "plain ascii\r\n");
  EXPECT_EQ(ReadmeToCp1251(""), "");
}

TEST(ExtractField, SplitsAtEverySeparator) {
  EXPECT_EQ(ExtractField("400, landstal, tex", ',', 1), "400");
  EXPECT_EQ(ExtractField("400, landstal, tex", ',', 2), " landstal");
  EXPECT_EQ(ExtractField("400, landstal, tex", ',', 3), " tex");
  EXPECT_EQ(ExtractField("400, landstal, tex", ',', 4), "");
  EXPECT_EQ(ExtractField("a,,c", ',', 2), "");
  EXPECT_EQ(ExtractField("a,,c", ',', 3), "c");
  EXPECT_EQ(ExtractField("a,", ',', 2), "");
  EXPECT_EQ(ExtractField("a,", ',', 3), "");
  EXPECT_EQ(ExtractField(",b", ',', 1), "");
  EXPECT_EQ(ExtractField("abc", ',', 1), "abc");
  EXPECT_EQ(ExtractField("abc", ',', 2), "");
  EXPECT_EQ(ExtractField("", ',', 1), "");
  EXPECT_EQ(ExtractField("", ',', 2), "");
  EXPECT_EQ(ExtractField("a;b", ';', 2), "b");
}

TEST(ExtractField, LongTextsSplitLikeShortOnes) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "field" + std::to_string(i) + ",";
  EXPECT_EQ(ExtractField(text, ',', 1), "field0");
  EXPECT_EQ(ExtractField(text, ',', 1500), "field1499");
  EXPECT_EQ(ExtractField(text, ',', 2001), "");  // the empty field after the last comma
  EXPECT_EQ(ExtractField(text, ',', 2002), "");
  const std::string longField(1000, 'x');
  EXPECT_EQ(ExtractField("a," + longField + ",b", ',', 2), longField);
}

}  // namespace
}  // namespace wrenfield
