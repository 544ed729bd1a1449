#include "fields_json.h"

#include <gtest/gtest.h>

#include <string>

namespace wrenfield::cli {
namespace {

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(FieldsJson, EveryFieldSurvivesFormatThenParse) {
  TInstallFields fields;
  fields.handling = AllBytes();
  fields.vehicles = "400, landstal";
  fields.carcols = "\"quoted\" \\ back";
  fields.carmods = "";
  fields.DFF = "C:\\mods\\\xCC\xE0\xF8\xE8\xED\xE0.dff";
  fields.TXD = "tab\there";
  fields.Adv = {{"a.dff", true}, {"\x98.txd", false}};
  const std::string json = FormatFieldsJson(fields, "ROLLER\t");
  std::string replaced;
  const TInstallFields back = ParseFieldsJson(json, replaced);
  EXPECT_EQ(back.handling, fields.handling);
  EXPECT_EQ(back.vehicles, fields.vehicles);
  EXPECT_EQ(back.carcols, fields.carcols);
  EXPECT_EQ(back.DFF, fields.DFF);
  EXPECT_EQ(back.TXD, fields.TXD);
  ASSERT_EQ(back.Adv.size(), 2u);
  EXPECT_EQ(back.Adv[1].path, "\x98.txd");
  EXPECT_TRUE(back.Adv[0].checked);
  EXPECT_FALSE(back.Adv[1].checked);
  EXPECT_EQ(replaced, "ROLLER\t");
  // Readable output: Cyrillic as UTF-8, control characters escaped.
  EXPECT_NE(json.find("\xD0\x9C\xD0\xB0\xD1\x88"), std::string::npos);
  EXPECT_NE(json.find("\\u0098"), std::string::npos);
  EXPECT_NE(json.find("\"ReplacedHandlingId\": \"ROLLER\\t\""), std::string::npos);
}

TEST(FieldsJson, MissingKeysAreEmptyAndEscapesAreDecoded) {
  std::string replaced = "old";
  const TInstallFields f = ParseFieldsJson(
      R"( { "vehicles" : "a\u0416\u00bb\/\n", "Adv": [{"path": "x"}, {"checked": true, "path": "y", "size": 3}],
            "unknown": {"deep": [1, -2.5e3, null, false, {"k": "v"}]} } )",
      replaced);
  EXPECT_EQ(f.vehicles, "a\xC6\xBB/\n");
  EXPECT_EQ(f.handling, "");
  EXPECT_EQ(f.DFF, "");
  EXPECT_EQ(replaced, "");
  ASSERT_EQ(f.Adv.size(), 2u);
  EXPECT_FALSE(f.Adv[0].checked);
  EXPECT_TRUE(f.Adv[1].checked);
  EXPECT_EQ(f.Adv[1].path, "y");
}

TEST(FieldsJson, RefusesTextTheCodePageCannotHoldAndBrokenJson) {
  const char* refused[] = {
      R"({"DFF": "\u4e2d"})",         // a CJK character
      "{\"DFF\": \"\xE4\xB8\xAD\"}",  // the same, raw
      R"({"DFF": "\ud83d\ude00"})",   // outside the BMP
      R"({"DFF": "\ud83d"})",         // lone surrogate
      "{\"DFF\": \"\xFF\"}",          // not UTF-8
      R"({"DFF": 5})",                // wrong type
      R"({"Adv": [{"path": "a", "checked": "yes"}]})",
      R"({"Adv": {"path": "a"}})",
      R"({"DFF": "a")",  // unterminated
      R"({"DFF": "a"} extra)",
      "{\"DFF\": \"a\nb\"}",  // raw control character
      R"({"DFF": "\x"})",
      "",
      "[]",
  };
  for (const char* json : refused) {
    std::string replaced;
    EXPECT_THROW(ParseFieldsJson(json, replaced), FieldsJsonError) << json;
  }
  std::string deep = "{\"x\": ";
  for (int i = 0; i < 100000; ++i) deep += "[";
  std::string replaced;
  EXPECT_THROW(ParseFieldsJson(deep, replaced), FieldsJsonError);
}

}  // namespace
}  // namespace wrenfield::cli
