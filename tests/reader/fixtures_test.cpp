// Read-mes of published mods and the game's own data files, read as a mod
// folder's read-me. Skipped when the shared fixtures are absent.
#include <gtest/gtest.h>

#include <string>

#include "file_system.h"
#include "gtest_support.h"
#include "messages.h"
#include "read_data.h"
#include "scratch_dir.h"
#include "stock_tables.h"

namespace wrenfield {
namespace {

using testing::FixtureAbsent;
using testing::FixturePath;
using testing::ScratchDir;

struct Scanned {
  TInstallFields fields;
  std::string replaced;
};

// Scans a folder holding just the fixture as its read-me; false when absent.
bool ScanFixture(const std::string& relative, Scanned& out) {
  if (FixtureAbsent(relative)) return false;
  ScratchDir folder("reader");
  folder.Write("readme.txt", ReadFileBytes(FixturePath(relative)));
  ReadData(folder.path(), out.fields, out.replaced);
  return true;
}

#define SCAN_OR_SKIP(relative, out) \
  if (!ScanFixture(relative, out)) GTEST_SKIP() << "shared fixture absent: " << relative

TEST(FixtureReadmes, CompleteModReadmeFillsAllFourLines) {
  Scanned s;
  SCAN_OR_SKIP("readmes/02_MesaPlus__Lines.txt", s);
  EXPECT_EQ(s.replaced, "MESA");
  EXPECT_EQ(s.fields.handling.rfind("MESA\t1300.0\t1900.0\t", 0), 0u);
  EXPECT_EQ(s.fields.handling.find(' '), std::string::npos);
  EXPECT_EQ(s.fields.vehicles.rfind("500,\tmesa,", 0), 0u);
  EXPECT_EQ(s.fields.carcols, "mesa, 75,84, 40,84, 40,110, 28,119, 25,119, 21,119, 13,119, 4,119");
  EXPECT_EQ(s.fields.carmods,
            "mesa, exh_b_l, exh_b_m, exh_b_t, lgt_b_rspt, lgt_b_sspt, nto_b_l, nto_b_s, nto_b_tw");
  EXPECT_EQ(s.fields.DFF, msg::ModelFileNotFound());
}

TEST(FixtureReadmes, FirstColourLineWinsEvenForAnotherVehicle) {
  Scanned s;
  SCAN_OR_SKIP("readmes/04_FarmingEquipmentDLC__Lines.txt", s);
  EXPECT_EQ(s.fields.vehicles.rfind("531, \ttractor,", 0), 0u);
  EXPECT_EQ(s.fields.carcols, "combine, 1,1");
  EXPECT_EQ(s.replaced, "TRACTOR");
}

TEST(FixtureReadmes, IdentifierEndsAsTheLastNameHit) {
  Scanned s;
  SCAN_OR_SKIP("readmes/08_RevampedVehicleProject__Data Lines__datalines.txt", s);
  EXPECT_EQ(s.fields.handling.rfind("ANDROM\t", 0), 0u);
  EXPECT_EQ(s.fields.carcols.rfind("androm, ", 0), 0u);
  EXPECT_EQ(s.fields.carmods.rfind("euros, nto_b_l", 0), 0u);
  EXPECT_EQ(s.replaced, "EUROS");
}

TEST(FixtureReadmes, HandlingOnlyReadmeOfAnIdentifierWithoutTwin) {
  Scanned s;
  SCAN_OR_SKIP("readmes/13_handling-pack__handling police_la.txt", s);
  EXPECT_EQ(s.fields.handling.rfind("POLICE_LA\t", 0), 0u);
  EXPECT_EQ(s.fields.vehicles, "");
  EXPECT_EQ(s.replaced, "POLICE_LA");
}

TEST(FixtureReadmes, EveryReadmeScansWithoutFailure) {
  const char* names[] = {"01_CometPlus__lineas comet.txt",
                         "03_PCJ600RemasteredHD__data.txt",
                         "05_FreewayPlus__Lines.txt",
                         "06_WayfarerPlus__Lines.txt",
                         "07_GTASAAR-Shamal__carcols.txt",
                         "08b_RevampedVehicleProject__Readme.txt",
                         "09_WaltersFreight-Freibox__line.txt",
                         "10_VEH-BR__moonbean.txt",
                         "15_pages__gta-action.ru_mod84234__readme.txt.EXCERPT",
                         "16_pages__unknown-url_tuning-parts-readme_CYRILLIC-STRIPPED.EXCERPT"};
  int scanned = 0;
  for (const char* name : names) {
    Scanned s;
    if (!ScanFixture(std::string("readmes/") + name, s)) continue;
    ++scanned;
    bool known = s.replaced.empty();
    for (const char* id : StockHandlingIds) known = known || s.replaced == id;
    EXPECT_TRUE(known) << name;
    for (const std::string* line :
         {&s.fields.handling, &s.fields.vehicles, &s.fields.carcols, &s.fields.carmods}) {
      EXPECT_EQ(line->find_first_of("\r\n"), std::string::npos) << name;
    }
  }
  if (scanned == 0) GTEST_SKIP() << "fixtures absent";
}

TEST(FixtureDataFiles, StockDataFilesAsReadmesGiveTheirOwnLines) {
  Scanned s;
  SCAN_OR_SKIP("data/vehicles.ide", s);
  EXPECT_EQ(s.fields.vehicles.rfind("400,", 0), 0u);
  EXPECT_NE(s.fields.vehicles.find("landstal"), std::string::npos);
  Scanned h;
  SCAN_OR_SKIP("data/handling.cfg", h);
  EXPECT_EQ(h.fields.handling.rfind("LANDSTAL\t", 0), 0u);
  Scanned c;
  SCAN_OR_SKIP("data/carcols.dat", c);
  // The first colour line of a stock vehicle in the file's own order.
  EXPECT_EQ(c.fields.carcols.rfind("admiral, 34,34", 0), 0u) << c.fields.carcols;
  // No part names: the carmods pass walks every line and its last name hit stays.
  EXPECT_EQ(c.fields.carmods, "");
  EXPECT_EQ(c.replaced, "SQUALO");
  Scanned m;
  SCAN_OR_SKIP("data/carmods.dat", m);
  EXPECT_NE(m.fields.carmods, "");
}

}  // namespace
}  // namespace wrenfield
