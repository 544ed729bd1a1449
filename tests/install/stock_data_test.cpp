// End to end on the game's real stock data files: a mod read from a real
// read-me changes exactly the stock vehicle's lines and nothing else.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "demo_game.h"
#include "file_system.h"
#include "gtest_support.h"
#include "install_test_support.h"
#include "line_replace.h"
#include "messages.h"
#include "read_data.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

const char* const kDataFiles[] = {"carcols.dat", "handling.cfg", "vehicles.ide", "carmods.dat"};

std::string FixturePath(const std::string& folder, const std::string& name) {
  return testing::FixturePath(folder + "/" + name);
}

// A demo game whose four data files are the real stock ones.
class FixtureStockDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kDataFiles) {
      SKIP_WITHOUT_FIXTURE(std::string("data/") + name);
      stock_[name] = ReadAll(FixturePath("data", name));
      WriteAll(demo_.data(name), stock_[name]);
    }
  }

  // Reads the mod folder holding the read-me as the window would, then picks
  // the model and texture files when the reader did not find them.
  void ReadMod(const std::string& readme, const std::string& model) {
    const std::string text = ReadAll(FixturePath("readmes", readme));
    ASSERT_FALSE(text.empty()) << readme;
    WriteAll(JoinPath(demo_.mod, "readme.txt"), text);
    WriteAll(JoinPath(demo_.mod, model + ".dff"), DemoBytes(4000, 11));
    WriteAll(JoinPath(demo_.mod, model + ".txd"), DemoBytes(6000, 12));
    demo_.fields = {};
    demo_.replacedHandlingId.clear();
    ReadData(demo_.mod, demo_.fields, demo_.replacedHandlingId);
    if (!FileExists(demo_.fields.DFF)) demo_.fields.DFF = JoinPath(demo_.mod, model + ".dff");
    if (!FileExists(demo_.fields.TXD)) demo_.fields.TXD = JoinPath(demo_.mod, model + ".txd");
  }

  const std::string& Field(const std::string& file) const {
    if (file == "carcols.dat") return demo_.fields.carcols;
    if (file == "handling.cfg") return demo_.fields.handling;
    if (file == "vehicles.ide") return demo_.fields.vehicles;
    return demo_.fields.carmods;
  }

  // Each data file holds its stock lines, CR LF ended, except the listed
  // line numbers (counted from 1), which hold the file's field; a file with
  // no listed line is byte for byte the stock file.
  void ExpectChangedLines(const std::map<std::string, std::set<std::size_t>>& changed) {
    for (const char* name : kDataFiles) {
      const std::string after = ReadAll(demo_.data(name));
      EXPECT_TRUE(SameBytes(ReadAll(demo_.data(BackupName(name).c_str())), stock_[name])) << name;
      const auto it = changed.find(name);
      if (it == changed.end()) {
        EXPECT_TRUE(SameBytes(after, stock_[name])) << name;
        continue;
      }
      Lines expected = SplitLines(stock_[name]);
      for (const std::size_t number : it->second) {
        ASSERT_LE(number, expected.size());
        expected[number - 1] = Field(name);
      }
      EXPECT_TRUE(SameBytes(after, JoinLinesCrLf(expected))) << name;
    }
  }

  static std::string BackupName(const std::string& name) {
    const auto dot = name.find('.');
    return name.substr(0, dot) + "_Backup" + name.substr(dot);
  }

  DemoInstall demo_;
  std::map<std::string, std::string> stock_;
};

TEST_F(FixtureStockDataTest, ModWithThreeLinesChangesExactlyThoseLines) {
  ReadMod("01_CometPlus__lineas comet.txt", "comet");
  ASSERT_EQ(demo_.replacedHandlingId, "COMET");
  RecordingProgress progress;
  ASSERT_EQ(Install(demo_, progress), "");
  ExpectChangedLines({{"carcols.dat", {201}}, {"handling.cfg", {154}}, {"vehicles.ide", {93}}});
}

TEST_F(FixtureStockDataTest, ModWithFourLinesChangesExactlyThoseLines) {
  ReadMod("02_MesaPlus__Lines.txt", "mesa");
  RecordingProgress progress;
  ASSERT_EQ(Install(demo_, progress), "");
  ExpectChangedLines({{"carcols.dat", {259}},
                      {"handling.cfg", {168}},
                      {"vehicles.ide", {113}},
                      {"carmods.dat", {67}}});
  EXPECT_TRUE(SameBytes(testing::ExtractEntry(demo_.archive(), "mesa.dff").substr(0, 4000),
                        DemoBytes(4000, 11)));
}

TEST_F(FixtureStockDataTest, ModWithOnlyAColourLineChangesOnlyThatLine) {
  ReadMod("10_VEH-BR__moonbean.txt", "moonbeam");
  RecordingProgress progress;
  ASSERT_EQ(Install(demo_, progress), "");
  ExpectChangedLines({{"carcols.dat", {263}}});
}

TEST_F(FixtureStockDataTest, ModWhoseUpgradeLineHasNoStockLineChangesNothing) {
  // The stock carmods.dat has no freeway line: the installation stops before
  // the first backup, so the three lines that could be replaced are not.
  ReadMod("05_FreewayPlus__Lines.txt", "freeway");
  ASSERT_FALSE(demo_.fields.carmods.empty());
  RecordingProgress progress;
  EXPECT_EQ(Install(demo_, progress), msg::DataLineNotReplaced("carmods.dat"));
  for (const char* name : kDataFiles) {
    EXPECT_TRUE(SameBytes(ReadAll(demo_.data(name)), stock_[name])) << name;
    EXPECT_FALSE(testing::Exists(demo_.data(BackupName(name).c_str()))) << name;
  }
}

TEST_F(FixtureStockDataTest, ShortModelNamesLeaveTheLongerNamesTheyBegin) {
  // monster begins monstera and monsterb, tug begins tugstair.
  demo_.fields = {};
  demo_.fields.carcols = "monster, 1,1";
  demo_.fields.DFF = JoinPath(demo_.mod, "monster.dff");
  demo_.fields.TXD = JoinPath(demo_.mod, "monster.txd");
  RecordingProgress progress;
  ASSERT_EQ(Install(demo_, progress), "");
  ExpectChangedLines({{"carcols.dat", {260}}});

  demo_.fields.carcols = "tug, 2,2";
  ASSERT_EQ(Install(demo_, progress), "");
  EXPECT_NE(ReadAll(demo_.data("carcols.dat")).find("\r\ntugstair, 1,1\r\n"), std::string::npos);
  EXPECT_NE(ReadAll(demo_.data("carcols.dat")).find("\r\ntug, 2,2\r\n"), std::string::npos);
}

}  // namespace
}  // namespace wrenfield
