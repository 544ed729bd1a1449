#include "stock_tables.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gtest_support.h"
#include "plain_text.h"

namespace wrenfield {
namespace {

template <typename Table>
void ExpectEntriesWellFormed(const Table& table, std::size_t minLength, std::size_t maxLength,
                             bool upper) {
  std::set<std::string> seen;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const std::string entry = table[i];
    EXPECT_TRUE(seen.insert(entry).second) << "twice: " << entry;
    EXPECT_GE(entry.size(), minLength) << i;
    EXPECT_LE(entry.size(), maxLength) << i;
    for (const char c : entry) {
      const bool letter = upper ? (c >= 'A' && c <= 'Z') : (c >= 'a' && c <= 'z');
      EXPECT_TRUE(letter || (c >= '0' && c <= '9') || c == '_' || (upper && c == '\t'))
          << "index " << i << " '" << entry << "'";
    }
  }
}

TEST(StockTables, SizesCharactersAndNoDuplicates) {
  ASSERT_EQ(StockHandlingIds.size(), 210u);
  ASSERT_EQ(StockModelNames.size(), 212u);
  ASSERT_EQ(UpgradePartNames.size(), 194u);
  ExpectEntriesWellFormed(StockHandlingIds, 3, 9, true);
  ExpectEntriesWellFormed(StockModelNames, 3, 8, false);
  ExpectEntriesWellFormed(UpgradePartNames, 6, 14, false);
  for (const char* model : StockModelNames) {
    EXPECT_EQ(std::string(model).find('_'), std::string::npos) << model;
  }
}

TEST(StockTables, OrderIsKeptAtBothEndsAndAtKnownIndices) {
  EXPECT_STREQ(StockHandlingIds[0], "LANDSTAL");
  EXPECT_STREQ(StockHandlingIds[28], "BUS");
  EXPECT_STREQ(StockHandlingIds[147], "POLICE_LA");
  EXPECT_STREQ(StockHandlingIds[209], "RCRAIDER");
  EXPECT_STREQ(StockModelNames[0], "landstal");
  EXPECT_STREQ(StockModelNames[31], "bus");
  EXPECT_STREQ(StockModelNames[196], "copcarla");
  EXPECT_STREQ(StockModelNames[211], "utiltr1");
  EXPECT_STREQ(UpgradePartNames[0], "spl_b_mar_m");
  EXPECT_STREQ(UpgradePartNames[86], "stereo");
  EXPECT_STREQ(UpgradePartNames[193], "rbmp_lr_t2");
}

TEST(StockTables, OnlyRollerAndDodoEndInATab) {
  std::vector<std::size_t> withTab;
  for (std::size_t i = 0; i < StockHandlingIds.size(); ++i) {
    if (std::string(StockHandlingIds[i]).find('\t') != std::string::npos) withTab.push_back(i);
  }
  EXPECT_EQ(withTab, (std::vector<std::size_t>{161, 197}));
  EXPECT_EQ(std::string(StockHandlingIds[161]), "ROLLER\t");
  EXPECT_EQ(std::string(StockHandlingIds[197]), "DODO\t");
  EXPECT_EQ(AsciiLowerCase("DODO\t"), "dodo\t");
  EXPECT_EQ(VehicleIdOf("DODO\t"), -1);  // dodo (593) exists, but the tab keeps them apart
}

TEST(StockTables, ExactlyTheListedEntriesHaveNoTwin) {
  std::vector<std::size_t> idsWithoutTwin;
  std::set<int> pairedVehicleIds;
  for (std::size_t i = 0; i < StockHandlingIds.size(); ++i) {
    const int id = VehicleIdOf(StockHandlingIds[i]);
    if (id < 0) {
      idsWithoutTwin.push_back(i);
    } else {
      EXPECT_EQ(AsciiLowerCase(StockHandlingIds[i]), StockModelNames[id - 400]);
      pairedVehicleIds.insert(id);
    }
  }
  EXPECT_EQ(pairedVehicleIds.size(), 180u);
  EXPECT_EQ(idsWithoutTwin,
            (std::vector<std::size_t>{44,  49,  76,  80,  104, 114, 115, 127, 130, 141,
                                      147, 148, 149, 150, 157, 159, 160, 161, 163, 164,
                                      167, 170, 172, 173, 178, 181, 184, 186, 197, 201}));
  std::vector<int> modelsWithoutTwin;
  for (int id = 400; id <= 611; ++id) {
    if (pairedVehicleIds.count(id) == 0) modelsWithoutTwin.push_back(id);
  }
  EXPECT_EQ(modelsWithoutTwin,
            (std::vector<int>{448, 457, 460, 461, 462, 468, 471, 472, 488, 493, 502,
                              503, 505, 510, 514, 523, 544, 556, 557, 570, 573, 590,
                              593, 596, 597, 598, 599, 604, 605, 608, 610, 611}));
  EXPECT_EQ(VehicleIdOf("BUS"), 431);
  EXPECT_EQ(VehicleIdOf("POLICE_LA"), -1);
  EXPECT_EQ(VehicleIdOf("bus"), 431);  // the lower-case form of a lower-case text is itself
}

TEST(StockTables, PrefixRelationsTheReaderReliesOn) {
  // No handling identifier begins another: a line's start matches at most one.
  for (const char* a : StockHandlingIds) {
    for (const char* b : StockHandlingIds) {
      if (a != b) {
        EXPECT_NE(std::string(b).rfind(a, 0), 0u) << a << " begins " << b;
      }
    }
  }
  // Lower-case forms that begin a longer model name without being equal to it.
  std::set<std::string> shortForms;
  for (const char* a : StockHandlingIds) {
    const std::string lower = AsciiLowerCase(a);
    for (const char* model : StockModelNames) {
      if (lower != model && std::string(model).rfind(lower, 0) == 0) shortForms.insert(lower);
    }
  }
  EXPECT_EQ(shortForms, (std::set<std::string>{"dune", "monster", "mtb", "streak", "tug"}));
  // Thirteen part names occur inside longer ones (exh_b_t in exh_b_ts...).
  int inside = 0;
  for (const char* a : UpgradePartNames) {
    for (const char* b : UpgradePartNames) {
      if (a != b && std::string(b).find(a) != std::string::npos) {
        ++inside;
        break;
      }
    }
  }
  EXPECT_EQ(inside, 13);
}

// The game's own data files agree with the tables.
std::vector<std::string> FixtureLines(const std::string& name) {
  std::ifstream in(testing::FixturePath("data/" + name), std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TEST(FixtureStockTables, EveryHandlingIdBeginsALineOfTheStockHandlingFile) {
  SKIP_WITHOUT_FIXTURE("data/handling.cfg");
  const auto lines = FixtureLines("handling.cfg");
  for (const char* id : StockHandlingIds) {
    bool found = false;
    for (const std::string& line : lines) found = found || line.rfind(id, 0) == 0;
    EXPECT_TRUE(found) << id;
  }
}

TEST(FixtureStockTables, ModelNamesAreTheStockVehiclesInIdOrder) {
  SKIP_WITHOUT_FIXTURE("data/vehicles.ide");
  const auto lines = FixtureLines("vehicles.ide");
  const std::regex vehicle(R"(^(\d{3})[,\s]+([a-z0-9]+)[,\s])");
  std::set<int> seen;
  for (const std::string& line : lines) {
    std::smatch match;
    if (!std::regex_search(line, match, vehicle)) continue;
    const int id = std::stoi(match[1]);
    if (id < 400 || id > 611) continue;
    seen.insert(id);
    EXPECT_EQ(match[2].str(), StockModelNames[id - 400]) << line;
  }
  EXPECT_EQ(seen.size(), 212u);
}

}  // namespace
}  // namespace wrenfield
