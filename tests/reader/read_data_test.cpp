#include "read_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "error_of.h"
#include "file_system.h"
#include "messages.h"
#include "scratch_dir.h"

namespace wrenfield {
namespace {

using testing::ScratchDir;

// A mod folder with a read-me made of the given lines (CR LF between them).
class ModFolder : public ScratchDir {
 public:
  explicit ModFolder(const std::vector<std::string>& lines = {}) {
    if (lines.empty()) return;
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    Write("readme.txt", text);
  }
};

struct Result {
  TInstallFields fields;
  std::string replaced;
};

Result Scan(const std::string& folder, Result start = {}) {
  ReadData(folder, start.fields, start.replaced);
  return start;
}

Result ScanLines(const std::vector<std::string>& lines) { return Scan(ModFolder(lines).path()); }

std::vector<std::string> Paths(const std::vector<TAdvItem>& adv) {
  std::vector<std::string> paths;
  for (const TAdvItem& item : adv) paths.push_back(item.path);
  return paths;
}

const char kLandstalIde[] =
    "400, landstal, landstal, car, LANDSTAL, LANDSTAL, null, normal, 10, 0, 0, -1, 0.768, 0.768, 0";

TEST(ReadDataVehicles, TakesTheLineWhoseIdIsTheNamedVehicle) {
  ModFolder folder({"", std::string("  \t") + kLandstalIde + "  "});
  folder.Write("landstal.dff", "m");
  folder.Write("landstal.txd", "t");
  const Result r = Scan(folder.path());
  EXPECT_EQ(r.fields.vehicles, std::string(kLandstalIde) + "  ");  // left-trimmed only
  EXPECT_EQ(r.replaced, "LANDSTAL");
  EXPECT_EQ(r.fields.DFF, folder.Path("landstal.dff"));
  EXPECT_EQ(r.fields.TXD, folder.Path("landstal.txd"));
  EXPECT_TRUE(r.fields.Adv.empty());
}

TEST(ReadDataVehicles, NameHitsWithoutTheRightIdOnlySetTheNames) {
  // Wrong id, id not a number, and an identifier without a twin: none is taken,
  // but the model and texture names come from the last line with a name hit.
  ModFolder folder({"401, first, firsttex, car, landstal", "4x0, second, secondtex, landstal",
                    "596, mymodel , mytex, police_la", "unrelated line"});
  folder.Write("MyModel.DFF", "m");
  folder.Write("mytex.txd", "t");
  const Result r = Scan(folder.path());
  EXPECT_EQ(r.fields.vehicles, "");
  EXPECT_EQ(r.fields.DFF, folder.Path("MyModel.DFF"));
  EXPECT_EQ(r.fields.TXD, folder.Path("mytex.txd"));
  EXPECT_EQ(r.replaced, "POLICE_LA");
}

TEST(ReadDataVehicles, FirstTakenLineWinsAndEndsTheNameHits) {
  const Result r = ScanLines({"431, bus, coach1, coachtex", "400, landstal, other, othertex",
                              "430, predator, boat, boattex"});
  EXPECT_EQ(r.fields.vehicles, "431, bus, coach1, coachtex");
  EXPECT_EQ(r.replaced, "BUS");
  // A shorter lower-case form inside a longer name still counts as a hit:
  // "tug" occurs in tugstair, whose own line cannot be taken for TUG.
  const Result tug = ScanLines({"608, tugstair, tugstair, tugstair"});
  EXPECT_EQ(tug.fields.vehicles, "");
  EXPECT_EQ(tug.replaced, "TUG");
}

TEST(ReadDataHandling, TakesTheLineThatBeginsWithTheIdentifier) {
  const Result r = ScanLines({"LANDSTAL  1700.0 5008.3 4.0 0.0", "LANDSTAL 1 2"});
  EXPECT_EQ(r.fields.handling, "LANDSTAL\t\t1700.0\t5008.3\t4.0\t0.0");
  EXPECT_EQ(r.replaced, "LANDSTAL");
  EXPECT_EQ(ScanLines({"BUS"}).fields.handling, "BUS");  // nothing after the name is no comma
}

TEST(ReadDataHandling, RejectsCommasLeadingBlanksAndOtherCase) {
  const Result r =
      ScanLines({"LANDSTAL,1700.0 5008.3", " LANDSTAL 1700.0", "Landstal 1700.0", "ROLLER 1000.0"});
  EXPECT_EQ(r.fields.handling, "");
  EXPECT_EQ(r.replaced, "LANDSTAL");  // the comma line was still a name hit
}

TEST(ReadDataHandling, TabEntriesNeedTheTabAndFindNoModel) {
  ModFolder folder({"ROLLER 1000.0 1354.2", "ROLLER\t     1000.0 1354.2"});
  folder.Write("roller.dff", "m");
  folder.Write("ROLLER.txd", "t");
  const Result r = Scan(folder.path());
  EXPECT_EQ(r.fields.handling, "ROLLER\t\t\t\t\t\t1000.0\t1354.2");
  EXPECT_EQ(r.replaced, "ROLLER\t");
  EXPECT_EQ(r.fields.DFF, msg::ModelFileNotFound());
  EXPECT_EQ(r.fields.TXD, msg::TextureFileNotFound());
  EXPECT_EQ(Paths(r.fields.Adv),
            (std::vector<std::string>{folder.Path("roller.dff"), folder.Path("ROLLER.txd")}));
}

TEST(ReadDataCarcols, TakesTheColourLineAndSendsPartLinesToCarmods) {
  const Result r = ScanLines({"landstal 4,1", "landstal, nto_b_l", "landstal, 4,1, 123,1"});
  EXPECT_EQ(r.fields.carcols, "landstal, 4,1, 123,1");
  EXPECT_EQ(r.fields.carmods, "landstal, nto_b_l");
  EXPECT_EQ(r.fields.handling, "");
}

TEST(ReadDataCarcols, TheLastPartLineBeforeTheColourLineStays) {
  const Result r = ScanLines({"landstal, nto_b_l", "bravura, exh_b_t", "  landstal, 4,1",
                              "landstal, 1,1", "buffalo, wheel_or1"});
  EXPECT_EQ(r.fields.carcols, "landstal, 1,1");  // leading blanks fail the begins-with test
  EXPECT_EQ(r.fields.carmods, "bravura, exh_b_t");
  EXPECT_EQ(r.replaced, "LANDSTAL");  // the carmods pass did not run
}

TEST(ReadDataCarmods, TakesTheFirstPartLineWhenTheColourPassFoundNone) {
  const Result r = ScanLines(
      {"LANDSTAL 1 2 3", "landstal, 4,1", "bravura, exh_b_t", "buffalo, nto_b_l", "banshee, 1,1"});
  EXPECT_EQ(r.fields.carcols, "landstal, 4,1");
  EXPECT_EQ(r.fields.carmods, "bravura, exh_b_t");
  EXPECT_EQ(r.fields.handling, "LANDSTAL\t1\t2\t3");
  // The last name hit of the last pass decides, not the handling line's vehicle.
  EXPECT_EQ(r.replaced, "BRAVURA");
  EXPECT_EQ(ScanLines({"landstal, 4,1", "bravura exh"}).fields.carmods, "");
}

TEST(ReadDataFolder, ModelFoundWhateverItsLetterCaseOnDisk) {
  ModFolder folder({"BUFFALO 1 2 3"});
  folder.Write("BuFfAlO.dFf", "m");
  folder.Write("other.DFF", "o");
  folder.Write("buffalo.txd", "t");
  folder.Write("extra.txd", "x");
  folder.MakeFolder("parts.dff");  // entries of every kind are listed
  const Result r = Scan(folder.path());
  EXPECT_EQ(r.fields.DFF, folder.Path("BuFfAlO.dFf"));
  EXPECT_EQ(r.fields.TXD, folder.Path("buffalo.txd"));
  ASSERT_EQ(r.fields.Adv.size(), 3u);
  std::vector<std::string> dffs = {r.fields.Adv[0].path, r.fields.Adv[1].path};
  std::sort(dffs.begin(), dffs.end());
  EXPECT_EQ(dffs, (std::vector<std::string>{folder.Path("other.DFF"), folder.Path("parts.dff")}));
  EXPECT_EQ(r.fields.Adv[2].path, folder.Path("extra.txd"));  // models first, then textures
  for (const TAdvItem& item : r.fields.Adv) EXPECT_TRUE(item.checked);
}

TEST(ReadDataFolder, SecondScanKeepsWhatItDoesNotFindAndGrowsAdv) {
  ModFolder first({kLandstalIde, "LANDSTAL 1 2", "landstal, 1,1", "landstal, nto_b_l"});
  first.Write("landstal.dff", "m");
  first.Write("spare.txd", "s");
  Result r = Scan(first.path());
  r.fields.Adv.push_back({"typed by hand", false});
  ModFolder second({"BUS 3 4"});
  second.Write("bus.dff", "m");
  second.Write("x.dff", "x");
  r = Scan(second.path(), r);
  EXPECT_EQ(r.fields.handling, "BUS\t3\t4");
  EXPECT_EQ(r.fields.vehicles, kLandstalIde);
  EXPECT_EQ(r.fields.carcols, "landstal, 1,1");
  EXPECT_EQ(r.fields.carmods, "landstal, nto_b_l");
  EXPECT_EQ(r.replaced, "BUS");
  EXPECT_EQ(r.fields.DFF, second.Path("bus.dff"));
  EXPECT_EQ(r.fields.TXD, msg::TextureFileNotFound());
  EXPECT_FALSE(r.fields.DFFNotFound);
  EXPECT_TRUE(r.fields.TXDNotFound);
  EXPECT_EQ(Paths(r.fields.Adv), (std::vector<std::string>{first.Path("spare.txd"), "typed by hand",
                                                           second.Path("x.dff")}));
  for (const TAdvItem& item : r.fields.Adv) EXPECT_TRUE(item.checked);

  // A third scan without any name hit keeps the identifier and looks for its model.
  ModFolder third;
  third.Write("notes.txt", "nothing to see");
  third.Write("BUS.DFF", "m");
  r = Scan(third.path(), r);
  EXPECT_EQ(r.replaced, "BUS");
  EXPECT_EQ(r.fields.DFF, third.Path("BUS.DFF"));
}

TEST(ReadDataFolder, OnlyTheFirstReadmeTheSearchReturnsIsRead) {
  ModFolder folder;
  folder.Write("a.txt", "LANDSTAL 1\r\n");
  folder.Write("b.TXT", "BUS 2\r\n");
  folder.Write("c.txt.bak", "BANSHEE 3\r\n");
  const std::vector<std::string> order = FindFiles(folder.Path("*.txt"));
  ASSERT_EQ(order.size(), 2u);
  const Result r = Scan(folder.path());
  EXPECT_EQ(r.fields.handling, order.front() == "a.txt" ? "LANDSTAL\t1" : "BUS\t2");
}

TEST(ReadDataFolder, MissingReadmeStillLooksForFiles) {
  ModFolder folder;
  folder.Write("sabre.dff", "m");
  folder.Write("SABRE.txd", "t");
  Result start;
  start.replaced = "SABRE";
  start.fields.handling = "kept";
  const Result r = Scan(folder.path(), start);
  EXPECT_EQ(r.fields.handling, "kept");
  EXPECT_EQ(r.fields.DFF, folder.Path("sabre.dff"));
  EXPECT_EQ(r.fields.TXD, folder.Path("SABRE.txd"));
  EXPECT_TRUE(r.fields.Adv.empty());
}

TEST(ReadDataFolder, UnreadableReadmeFailsAndChangesNothing) {
  ModFolder folder;
  folder.MakeFolder("readme.txt");
  folder.Write("bus.dff", "m");
  Result start;
  start.fields = {"h", "v", "cc", "cm", "dff", "txd", {{"p", false}}};
  start.replaced = "BUS";
  Result r = start;
  EXPECT_NE(testing::ErrorOf([&] {
              ReadData(folder.path(), r.fields, r.replaced);
            }).find(FullPath(folder.Path("readme.txt"))),
            std::string::npos);
  EXPECT_EQ(r.fields.handling, "h");
  EXPECT_EQ(r.fields.DFF, "dff");
  EXPECT_EQ(r.fields.TXD, "txd");
  EXPECT_FALSE(r.fields.Adv[0].checked);
  EXPECT_EQ(r.replaced, "BUS");
}

TEST(ReadDataFolder, EmptyOrMissingFolderFindsNothingButMarksAdv) {
  Result start;
  start.replaced = "BUS";
  start.fields.vehicles = "kept";
  start.fields.Adv = {{"a.dff", false}};
  for (const std::string& folder : {std::string(), std::string("/no/such/folder/anywhere")}) {
    const Result r = Scan(folder, start);
    EXPECT_EQ(r.fields.DFF, msg::ModelFileNotFound());
    EXPECT_EQ(r.fields.TXD, msg::TextureFileNotFound());
    EXPECT_EQ(r.fields.vehicles, "kept");
    EXPECT_EQ(r.replaced, "BUS");
    ASSERT_EQ(r.fields.Adv.size(), 1u);
    EXPECT_TRUE(r.fields.Adv[0].checked);
  }
}

TEST(ReadDataEncoding, Utf16AndUtf8ReadmesAreConvertedBeforeThePasses) {
  // "LANDSTAL Машина" in each encoding; its handling line must come out in code page 1251.
  const std::string expected = "LANDSTAL\t\xCC\xE0\xF8\xE8\xED\xE0";
  const std::string utf8 = "LANDSTAL \xD0\x9C\xD0\xB0\xD1\x88\xD0\xB8\xD0\xBD\xD0\xB0\r\n";
  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (const char16_t unit : std::u16string(u"LANDSTAL \u041C\u0430\u0448\u0438\u043D\u0430\r\n")) {
    le += static_cast<char>(unit & 0xFF), le += static_cast<char>(unit >> 8);
    be += static_cast<char>(unit >> 8), be += static_cast<char>(unit & 0xFF);
  }
  const std::string cp1251 = "LANDSTAL \xCC\xE0\xF8\xE8\xED\xE0\r\n";
  for (const std::string& bytes : {le, be, "\xEF\xBB\xBF" + utf8, utf8, cp1251}) {
    ModFolder folder;
    folder.Write("readme.txt", bytes);
    EXPECT_EQ(Scan(folder.path()).fields.handling, expected);
  }
}

}  // namespace
}  // namespace wrenfield
