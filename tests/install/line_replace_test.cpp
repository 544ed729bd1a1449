#include "line_replace.h"

#include <gtest/gtest.h>

namespace wrenfield {
namespace {

TEST(JoinLinesCrLf, EndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinLinesCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinLinesCrLf({}), "");
  EXPECT_EQ(JoinLinesCrLf(SplitLines("x\ny\rz")), "x\r\ny\r\nz\r\n");
}

TEST(Keys, CommaKeyIsTheUntrimmedTextBeforeTheFirstComma) {
  EXPECT_EQ(CommaKey("landstal, 4,1, 123,1"), "landstal");
  EXPECT_EQ(CommaKey("landstal , 4,1"), "landstal ");
  EXPECT_EQ(CommaKey(" landstal,1"), " landstal");
  EXPECT_EQ(CommaKey("landstal 4 1"), "");
  EXPECT_EQ(CommaKey(",landstal"), "");
  EXPECT_EQ(CommaKey("   "), "");
}

TEST(Keys, IdKeyIsTheFirstThreeCharacters) {
  EXPECT_EQ(IdKey("400, landstal, landstal"), "400");
  EXPECT_EQ(IdKey("40"), "40");
  EXPECT_EQ(IdKey(" 400,"), " 40");
  EXPECT_EQ(IdKey(""), "");
}

TEST(BeginsWithName, MatchesOnlyAWholeName) {
  EXPECT_TRUE(BeginsWithName("monster, 32,36", "monster"));
  EXPECT_FALSE(BeginsWithName("monstera, 1,1", "monster"));
  EXPECT_FALSE(BeginsWithName("tugstair, 1,1", "tug"));
  EXPECT_FALSE(BeginsWithName("4001, mycar, mycar", "400"));
  EXPECT_TRUE(BeginsWithName("400,\tlandstal", "400"));
  EXPECT_FALSE(BeginsWithName("MTB_X 1.0", "MTB"));
  EXPECT_TRUE(BeginsWithName("MTB           100.0", "MTB"));
  EXPECT_TRUE(BeginsWithName("monster", "monster"));       // the key is the whole line
  EXPECT_FALSE(BeginsWithName("monster\xE0", "monster"));  // a Cyrillic letter goes on
  // The code page's other letters (i, yi, short u, je...) go on a name as well.
  for (const char* letter : {"\xB3", "\xAF", "\xA2", "\xBC", "\x8A", "\x9F", "\xB5"}) {
    EXPECT_FALSE(BeginsWithName(std::string("monster") + letter, "monster")) << letter;
    EXPECT_FALSE(BeginsWithName(std::string("car") + letter + "x", std::string("car") + letter))
        << letter;
  }
  EXPECT_TRUE(BeginsWithName("monster\xB9", "monster"));  // the number sign is no letter
}

TEST(BeginsWithName, KeyEndingInAnotherCharacterNeedsNothingMore) {
  EXPECT_TRUE(BeginsWithName("ROLLER\tX 1.0", "ROLLER\t"));
  EXPECT_TRUE(BeginsWithName("landstal ,4", "landstal "));
  EXPECT_TRUE(BeginsWithName("landstal x", "landstal "));
}

TEST(BeginsWithName, IsCaseSensitiveUntrimmedAndNeverMatchesTheEmptyKey) {
  EXPECT_FALSE(BeginsWithName("LANDSTAL, 1", "landstal"));
  EXPECT_FALSE(BeginsWithName(" landstal, 1", "landstal"));
  EXPECT_FALSE(BeginsWithName("#landstal, 1", "landstal"));
  EXPECT_FALSE(BeginsWithName("landstal, 1", ""));
  EXPECT_FALSE(BeginsWithName("", ""));
  EXPECT_FALSE(BeginsWithName("land", "landstal"));
}

TEST(ReplaceMatchingLines, ReplacesEveryMatchingLineAndCountsThem) {
  Lines lines = {"car", "monster, 1,1", "monstera, 1,1", "end", "car4", "monster, 2,2", "end"};
  EXPECT_EQ(ReplaceMatchingLines(lines, "monster", "monster, 9,9"), 2u);
  EXPECT_EQ(lines,
            (Lines{"car", "monster, 9,9", "monstera, 1,1", "end", "car4", "monster, 9,9", "end"}));
  EXPECT_EQ(ReplaceMatchingLines(lines, "", "x"), 0u);
  EXPECT_EQ(ReplaceMatchingLines(lines, "Monster", "x"), 0u);
}

}  // namespace
}  // namespace wrenfield
