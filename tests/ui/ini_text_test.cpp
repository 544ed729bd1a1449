// Reading and changing one key of an INI text without disturbing the rest.
#include "ini_text.h"

#include <gtest/gtest.h>

namespace wrenfield {
namespace {

TEST(IniTextTest, ReadsTheKeyOfItsSectionOnly) {
  const std::string text =
      "Value=top\r\n[Other]\r\nValue=other\r\n[ salastdir ]\r\n; Value=comment\r\n"
      "  VALUE =  C:\\Games\\GTA SA  \r\n[SALastDir]\r\nValue=second\r\n";
  EXPECT_EQ(IniValue(text, "SALastDir", "Value", "-"), "C:\\Games\\GTA SA");
  EXPECT_EQ(IniValue(text, "Other", "value", "-"), "other");
  EXPECT_EQ(IniValue(text, "Missing", "Value", "-"), "-");
  EXPECT_EQ(IniValue(text, "Other", "Missing", "-"), "-");
  EXPECT_EQ(IniValue("", "SALastDir", "Value", ""), "");
  EXPECT_EQ(IniValue("[SALastDir]\nValue=\"C:\\A B\"", "SALastDir", "Value", ""), "C:\\A B");
  EXPECT_EQ(IniValue("[SALastDir]\nValue=a=b", "SALastDir", "Value", ""), "a=b");
  EXPECT_EQ(IniValue("[SALastDir]\nValue=", "SALastDir", "Value", "-"), "");
}

TEST(IniTextTest, ReplacesAddsOrAppendsKeepingEveryOtherLine) {
  EXPECT_EQ(WithIniValue("", "SALastDir", "Value", "C:\\G"), "[SALastDir]\r\nValue=C:\\G\r\n");
  EXPECT_EQ(WithIniValue("[A]\nx=1", "SALastDir", "Value", ""), "[A]\nx=1\n[SALastDir]\nValue=\n");
  EXPECT_EQ(WithIniValue("[SALastDir]\r\nvalue=old\r\nOther=1\r\n", "SALastDir", "Value", "new"),
            "[SALastDir]\r\nValue=new\r\nOther=1\r\n");
  // A missing key goes at the end of its section, before the blank lines and the next section.
  EXPECT_EQ(WithIniValue("[SALastDir]\r\nOther=1\r\n\r\n[B]\r\ny=2\r\n", "SALastDir", "Value", "v"),
            "[SALastDir]\r\nOther=1\r\nValue=v\r\n\r\n[B]\r\ny=2\r\n");
  EXPECT_EQ(WithIniValue("[SALastDir]", "SALastDir", "Value", "v"), "[SALastDir]\r\nValue=v\r\n");
  const std::string text = "[SALastDir]\nValue=a\n[SALastDir]\nValue=b\n";
  EXPECT_EQ(WithIniValue(text, "SALastDir", "Value", "c"),
            "[SALastDir]\nValue=c\n[SALastDir]\nValue=b\n");
}

TEST(IniTextTest, WrittenValuesReadBack) {
  std::string text = "; settings\n";
  for (const std::string value :
       {"", "C:\\Games\\GTA San Andreas", "\xCF\xE0\xEF\xEA\xE0", "x;y"}) {
    text = WithIniValue(text, "SALastDir", "Value", value);
    EXPECT_EQ(IniValue(text, "SALastDir", "Value", "-"), value);
  }
  EXPECT_EQ(text.rfind("; settings\n", 0), 0u);
}

}  // namespace
}  // namespace wrenfield
