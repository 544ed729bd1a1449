// The shared text rules: ASCII letter case, lines, and the error-box form.
#include "plain_text.h"

#include <gtest/gtest.h>

namespace wrenfield {
namespace {

TEST(AsciiCase, TouchesAsciiLettersOnly) {
  EXPECT_EQ(AsciiLowerCase("POLICE_LA"), "police_la");
  EXPECT_EQ(AsciiLowerCase("ZR350"), "zr350");
  EXPECT_EQ(AsciiLowerCase("\xC0\xDF@[`{"), "\xC0\xDF@[`{");
  EXPECT_EQ(AsciiUpperCase("police_la\xE0\xFF"), "POLICE_LA\xE0\xFF");
  EXPECT_TRUE(SameIgnoringAsciiCase("SALastDir", "salastdir"));
  EXPECT_FALSE(SameIgnoringAsciiCase("\xC0", "\xE0"));  // Cyrillic letters keep their case
}

TEST(SplitLines, BreaksAtCrLfLoneLfAndLoneCr) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\n\r\nb"), (Lines{"a", "", "b"}));  // LF then CR LF: one empty line
  EXPECT_EQ(SplitLines("a\r\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\n\nb\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("\r\n"), (Lines{""}));
  EXPECT_TRUE(SplitLines("").empty());
}

TEST(SplitLines, KeepsNulAndOtherBytesInTheirLine) {
  const std::string text("a\0b\r\n\xFF\tc", 8);
  const Lines lines = SplitLines(text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string("a\0b", 3));
  EXPECT_EQ(lines[1], "\xFF\tc");
}

TEST(SplitLines, KeepsEachLinesBreakForTheTextToBeRebuilt) {
  const std::string text = "[a]\r\nb=1\nc\rlast";
  std::string rebuilt;
  for (const LineWithBreak& line : SplitLinesWithBreaks(text)) {
    rebuilt += std::string(line.text) + std::string(line.lineBreak);
  }
  EXPECT_EQ(rebuilt, text);
  EXPECT_EQ(SplitLinesWithBreaks(text).back().lineBreak, "");
}

TEST(SplitTextLines, SplitsAtEveryKindOfLineBreakAndEndsAtNul) {
  EXPECT_EQ(SplitTextLines(""), Lines{});
  EXPECT_EQ(SplitTextLines("one"), Lines{"one"});
  EXPECT_EQ(SplitTextLines("one\n"), Lines{"one"});
  EXPECT_EQ(SplitTextLines("a\rb\nc\r\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitTextLines("a\n\rb"), (Lines{"a", "", "b"}));  // LF CR is two breaks
  EXPECT_EQ(SplitTextLines("\n\n"), (Lines{"", ""}));
  EXPECT_EQ(SplitTextLines("a\r\n\r\nb\r"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitTextLines(std::string("a\nb\0c\nd", 7)), (Lines{"a", "b"}));
  EXPECT_EQ(SplitTextLines(std::string("\0abc", 4)), Lines{});
  EXPECT_EQ(SplitTextLines(std::string("a\r\0\nb", 5)), Lines{"a"});
  EXPECT_EQ(SplitTextLines("tab\there \x01 kept"), Lines{"tab\there \x01 kept"});
}

TEST(ErrorBoxTextTest, AppendsDotOnlyAfterBytesSortingAfterDot) {
  EXPECT_EQ(ErrorBoxText("Failed!"), "Failed!");
  EXPECT_EQ(ErrorBoxText("in 'carcols.dat'"), "in 'carcols.dat'");
  EXPECT_EQ(ErrorBoxText("Already."), "Already.");
  EXPECT_EQ(ErrorBoxText("a, b,"), "a, b,");
  EXPECT_EQ(ErrorBoxText("Unable to write to C:\\x\\lastdir.ini"),
            "Unable to write to C:\\x\\lastdir.ini.");
  EXPECT_EQ(ErrorBoxText("code 5"), "code 5.");
  EXPECT_EQ(ErrorBoxText(""), "");
  // Cyrillic letters are bytes above 0x7F: compared as unsigned they sort after ".".
  EXPECT_EQ(ErrorBoxText("\xF4\xE0\xE9\xEB"), "\xF4\xE0\xE9\xEB.");
  EXPECT_EQ(ErrorBoxText("x\xFF"), "x\xFF.");
}

}  // namespace
}  // namespace wrenfield
