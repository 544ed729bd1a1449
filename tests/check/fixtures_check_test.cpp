// The mod check against the game's own data files and published read-mes:
// every stock vehicle's lines, paired with sound model and texture files, give
// no finding, and the read-mes' lines no error. Skipped without the fixtures.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "demo_game.h"
#include "file_system.h"
#include "gtest_support.h"
#include "mod_check.h"
#include "plain_text.h"
#include "read_data.h"
#include "rw_stream.h"
#include "scratch_dir.h"
#include "stock_tables.h"

namespace wrenfield {
namespace {

using testing::FixtureAbsent;
using testing::FixturePath;
using testing::ScratchDir;

// The lines of a stock data file that begin with a name (not comments, section
// words or the special handling lines), keyed by their first field in lower case.
std::map<std::string, std::string> LinesByFirstField(const std::string& file, bool commas) {
  std::map<std::string, std::string> lines;
  for (const std::string& line : SplitLines(ReadFileBytes(FixturePath("data/" + file)))) {
    const auto fields = SplitDataFields(line, commas);
    if (fields.size() < 2 || std::string(";#%!$^").find(line[0]) != std::string::npos) continue;
    lines.emplace(AsciiLowerCase(fields[0]), line);
  }
  return lines;
}

class FixtureCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file :
         {"data/vehicles.ide", "data/handling.cfg", "data/carcols.dat", "data/carmods.dat"}) {
      if (FixtureAbsent(file)) GTEST_SKIP() << "shared fixture absent: " << file;
    }
    WriteDemoGame(game, {});
  }

  // Sound files named as the vehicles.ide line names them.
  void WriteModFiles(const std::string& model, const std::string& textures, TInstallFields& f) {
    f.DFF = dir.Write(model + ".dff", rw_stream::Clump(2000));
    f.TXD = dir.Write(textures + ".txd", rw_stream::TextureDictionary(2, 2000));
    f.DFFNotFound = f.TXDNotFound = false;
  }

  ScratchDir dir{"fixturecheck"};
  std::string game = dir.Path("game");
};

TEST_F(FixtureCheck, EveryStockVehiclesLinesPassClean) {
  const auto ide = LinesByFirstField("vehicles.ide", true);
  const auto handling = LinesByFirstField("handling.cfg", false);
  const auto carcols = LinesByFirstField("carcols.dat", true);
  const auto carmods = LinesByFirstField("carmods.dat", true);
  std::size_t checked = 0;
  for (std::size_t i = 0; i < kStockModelNameCount; ++i) {
    const std::string id = std::to_string(kFirstVehicleId + static_cast<int>(i));
    ASSERT_EQ(ide.count(id), 1u) << id;
    TInstallFields f;
    f.vehicles = ide.at(id);
    const auto fields = SplitDataFields(f.vehicles, true);
    EXPECT_EQ(fields.size(), StockIdeFieldCount(kFirstVehicleId + static_cast<int>(i))) << id;
    f.handling = handling.at(AsciiLowerCase(fields[4]));
    const std::string model = AsciiLowerCase(fields[1]);
    if (carcols.count(model) != 0) f.carcols = carcols.at(model);
    if (carmods.count(model) != 0) f.carmods = carmods.at(model);
    WriteModFiles(fields[1], fields[2], f);
    for (const Finding& finding : CheckMod(game, f)) {
      ADD_FAILURE() << id << ": " << finding.code << " " << finding.message;
    }
    ++checked;
  }
  EXPECT_EQ(checked, kStockModelNameCount);
}

TEST_F(FixtureCheck, EveryStockHandlingLineHasTheFieldCountTheCheckWants) {
  const auto handling = LinesByFirstField("handling.cfg", false);
  EXPECT_EQ(handling.size(), kStockHandlingIdCount);
  for (const auto& [id, line] : handling) {
    EXPECT_EQ(SplitDataFields(line, false).size(), kStockHandlingFieldCount) << id;
  }
}

// A pack's read-me lists lines of many vehicles; the reader takes the first of
// each file, here ANDROM's handling line beside JOURNEY's vehicles.ide line,
// which no single vehicle could use.
const char kPackReadme[] = "08_RevampedVehicleProject__Data Lines__datalines.txt";

TEST_F(FixtureCheck, PublishedReadmesPairedWithSoundFilesGiveNoError) {
  std::size_t read = 0;
  for (const std::string& name : FindFiles(FixturePath("readmes") + testing::kSeparator + "*")) {
    if (name == "SOURCES.txt" || name.front() == '.') continue;
    ScratchDir folder("readme");
    folder.Write("readme.txt", ReadFileBytes(FixturePath("readmes/" + name)));
    TInstallFields f;
    std::string replaced;
    ReadData(folder.path(), f, replaced);
    const auto ide = SplitDataFields(f.vehicles, true);
    if (ide.size() < 3) continue;  // no vehicles.ide line: nothing to pair the files with
    WriteModFiles(ide[1], ide[2], f);
    ++read;
    for (const Finding& finding : CheckMod(game, f)) {
      if (name == kPackReadme && finding.code == "handling-id") continue;
      if (finding.severity == Severity::kError)
        ADD_FAILURE() << name << ": " << finding.code << " " << finding.message;
    }
  }
  EXPECT_GE(read, 5u);
}

}  // namespace
}  // namespace wrenfield
