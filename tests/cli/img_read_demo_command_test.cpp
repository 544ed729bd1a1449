// wrenfield-cli img, read and demo: what they print, their exit status, and
// what they leave on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "archive_image.h"
#include "commands.h"
#include "demo_game.h"
#include "gtest_support.h"
#include "journal.h"
#include "run_command.h"
#include "scratch_dir.h"
#include "torvane.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

CommandResult Img(const cli::Args& args) { return RunCommand(cli::RunImgCommand, args); }

class ImgCommandTest : public ::testing::Test {
 protected:
  ScratchDir dir_{"cli"};
  std::string archive_ = dir_.Path("gta3.img");
  testing::Bytes image_ = BuildArchive({{1, 2, "car.dff"}, {3, 1, "car.txd"}});
  void SetUp() override { WriteAll(archive_, image_); }
};

TEST_F(ImgCommandTest, ListShowsTheDirectoryAsTheLibraryReadsIt) {
  const CommandResult listed = Img({"list", archive_});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(listed.out.find(": 2 entries\n"), std::string::npos) << listed.out;
  EXPECT_NE(
      listed.out.find("     0  car.dff                           1         2          4096\n"),
      std::string::npos)
      << listed.out;
  // A directory the file ends in the middle of: the missing records read as
  // zero, as the library reads them, rather than being left out.
  testing::Bytes cut = Header(3, {{1, 1, "whole"}});
  cut.resize(2048, '\0');
  WriteAll(archive_, cut);
  const CommandResult short_list = Img({"list", archive_});
  EXPECT_EQ(short_list.status, 0) << short_list.err;
  EXPECT_NE(short_list.out.find(": 3 entries\n"), std::string::npos) << short_list.out;
}

TEST_F(ImgCommandTest, ListRefusesWhatTheLibraryRefusesWithItsStatusText) {
  WriteAll(archive_, "VER1 and more");
  const CommandResult wrong = Img({"list", archive_});
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.err.find(TorvaneStatusText(TORVANE_NOT_IMG)), std::string::npos) << wrong.err;
  EXPECT_NE(wrong.err.find("(code 4)"), std::string::npos);
  const CommandResult missing = Img({"list", dir_.Path("none.img")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("(code 2)"), std::string::npos);
  EXPECT_EQ(Img({"list"}).status, 2);
  EXPECT_EQ(Img({"tidy", archive_}).status, 2);
}

TEST_F(ImgCommandTest, AddNamesTheEntryAfterTheFileEvenWhenGivenBare) {
  const std::string content = Pattern(3000, 9);
  dir_.Write("wheel.dff", content);
  const std::string cwd = std::filesystem::current_path().string();
  std::filesystem::current_path(dir_.path());
  const CommandResult added = Img({"add", archive_, "wheel.dff"});
  std::filesystem::current_path(cwd);
  EXPECT_EQ(added.status, 0) << added.err;
  EXPECT_NE(added.out.find("as 'wheel.dff'"), std::string::npos) << added.out;
  const auto directory = DirectoryOf(ReadAll(archive_));
  ASSERT_EQ(directory.size(), 3u);
  EXPECT_EQ(directory[2].name, "wheel.dff");
  EXPECT_TRUE(SameBytes(SectorsOf(ReadAll(archive_), directory[2].offset, directory[2].size),
                        Padded(content)));
}

TEST_F(ImgCommandTest, AddWithANameOrWithoutReplacingFollowsTheLibrary) {
  const std::string file = dir_.Write("new.bin", "data");
  EXPECT_EQ(Img({"add", archive_, file, "--name", "car.dff", "--no-replace"}).status, 1);
  EXPECT_TRUE(SameBytes(ReadAll(archive_), image_));
  const CommandResult long_name = Img({"add", archive_, file, "--name", std::string(24, 'n')});
  EXPECT_EQ(long_name.status, 1);
  EXPECT_NE(long_name.err.find("(code 6)"), std::string::npos);
  EXPECT_EQ(Img({"add", archive_, file, "--name", "car.dff"}).status, 0);
  EXPECT_EQ(DirectoryOf(ReadAll(archive_)).size(), 2u);  // replaced in place
  EXPECT_EQ(Img({"add", archive_, file, "--bogus"}).status, 2);
}

TEST_F(ImgCommandTest, ExtractAndDeleteSayWhenTheEntryIsNotThere) {
  const std::string out = dir_.Path("out.bin");
  EXPECT_EQ(Img({"extract", archive_, "car.dff", out}).status, 0);
  EXPECT_TRUE(SameBytes(ReadAll(out), SectorsOf(image_, 1, 2)));
  const CommandResult absent = Img({"extract", archive_, "nope.dff", dir_.Path("x")});
  EXPECT_EQ(absent.status, 1);
  EXPECT_NE(absent.err.find("has no entry 'nope.dff'"), std::string::npos);
  EXPECT_FALSE(testing::Exists(dir_.Path("x")));
  EXPECT_EQ(Img({"del", archive_, "nope.dff"}).status, 1);
  EXPECT_TRUE(SameBytes(ReadAll(archive_), image_));
  EXPECT_EQ(Img({"del", archive_, "car.dff"}).status, 0);
  const auto directory = DirectoryOf(ReadAll(archive_));
  ASSERT_EQ(directory.size(), 1u);
  EXPECT_EQ(directory[0].name, "car.txd");
}

TEST_F(ImgCommandTest, CheckReportsWhatIsUnsoundAndChangesNothing) {
  const CommandResult sound = Img({"check", archive_});
  EXPECT_EQ(sound.status, 0) << sound.out;
  EXPECT_NE(sound.out.find(": 2 entries, 8192 bytes: sound\n"), std::string::npos) << sound.out;

  // "b" lies inside "a", "c" over the header, the second "a" past the end.
  testing::Bytes bad = BuildArchive({{1, 2, "a"}, {2, 1, "b"}, {0, 1, "c"}, {50, 1, "a"}});
  bad.resize(4 * 2048);
  WriteAll(archive_, bad);
  const std::string journal = archive_ + "-journal";
  WriteAll(journal, "cut off");
  const CommandResult unsound = Img({"check", archive_});
  EXPECT_EQ(unsound.status, 1);
  for (const char* line : {"-journal: an incomplete journal", "entry 3 'a': sectors 50 to 50 run",
                           "entry 2 'c': sector 0 lies inside", "entry 1 'b' overlaps entry 0 'a'",
                           "entry 3 bears the name 'a' of entry 0", ": 5 problems found\n"}) {
    EXPECT_NE(unsound.out.find(line), std::string::npos) << line << "\n" << unsound.out;
  }
  EXPECT_TRUE(SameBytes(ReadAll(archive_), bad));
  EXPECT_EQ(ReadAll(journal), "cut off");
  // Any other command opens the archive as the library does, which deletes it.
  EXPECT_EQ(Img({"list", archive_}).status, 0);
  EXPECT_FALSE(testing::Exists(journal));
  EXPECT_EQ(Img({"check", dir_.Path("none.img")}).status, 1);
  EXPECT_EQ(Img({"check"}).status, 2);
}

// The game looks entries up without regard to the case of ASCII letters and uses
// the first it meets: names equal but for that case are duplicates; Cyrillic
// letters of code page 1251 and other bytes are compared as they are.
TEST_F(ImgCommandTest, CheckTakesNamesEqualButForLetterCaseAsDuplicates) {
  testing::Bytes image = BuildArchive({{1, 1, "monster.dff"},
                                       {2, 1, "\xEC.txd"},  // м.txd
                                       {3, 1, "MONSTER.txd"},
                                       {4, 1, "Monster.DFF"},
                                       {5, 1, "\xCC.txd"},  // М.txd
                                       {6, 1, "monster.txd"}});
  WriteAll(archive_, image);
  const CommandResult checked = Img({"check", archive_});
  EXPECT_EQ(checked.status, 1);
  for (const char* line :
       {"entry 3 bears the name 'Monster.DFF' of entry 0 'monster.dff' but for letter case\n",
        "entry 5 bears the name 'monster.txd' of entry 2 'MONSTER.txd' but for letter case\n",
        ": 2 problems found\n"}) {
    EXPECT_NE(checked.out.find(line), std::string::npos) << line << "\n" << checked.out;
  }
  EXPECT_TRUE(SameBytes(ReadAll(archive_), image));
}

// What a journal written for another file holds: the new bytes it names are
// all 'X'.
class AllX final : public torvane::NewBytes {
 public:
  bool Fill(std::uint64_t, unsigned char* bytes, std::size_t n) override {
    std::fill(bytes, bytes + n, 'X');
    return true;
  }
};

TEST_F(ImgCommandTest, AJournalThatDoesNotMatchIsReportedSetAsideOnceAndNamed) {
  {
    torvane::File file;
    ASSERT_TRUE(file.Open(archive_.c_str(), torvane::File::Mode::kReadWriteExisting));
    torvane::Journal journal;
    journal.SetArchivePath(std::filesystem::canonical(archive_).string());
    torvane::Ranges ranges(image_.size());
    ranges.Add(2048, 100);
    AllX fill;
    ASSERT_TRUE(journal.Begin(file, image_.size(), image_.size(), ranges, fill));
  }
  const std::string journal = archive_ + "-journal";
  ASSERT_TRUE(testing::Exists(journal));
  testing::Bytes other = image_;
  other[2048] = 'o';  // neither the old byte nor the new one
  WriteAll(archive_, other);

  const CommandResult check = Img({"check", archive_});
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.out.find("-journal: the record of an interrupted change that does not match"),
            std::string::npos)
      << check.out;
  const CommandResult list = Img({"list", archive_});
  EXPECT_EQ(list.status, 0);
  EXPECT_NE(list.err.find("did not match the archive and was set aside as " + journal + ".stale"),
            std::string::npos)
      << list.err;
  EXPECT_TRUE(SameBytes(ReadAll(archive_), other));
  EXPECT_FALSE(testing::Exists(journal));
  const CommandResult again = Img({"list", archive_});
  EXPECT_EQ(again.err, "");  // said once
  const CommandResult later = Img({"check", archive_});
  EXPECT_EQ(later.status, 1);
  EXPECT_NE(later.out.find("-journal.stale: the record of an interrupted change that did not"),
            std::string::npos)
      << later.out;
}

TEST_F(ImgCommandTest, AChangeThatFailsPrintsNoSuccess) {
  dir_.MakeFolder("gta3.img-journal");  // no journal can be created
  const std::string file = dir_.Write("new.bin", "data");
  for (const cli::Args& args :
       {cli::Args{"add", archive_, file}, cli::Args{"del", archive_, "car.dff"}}) {
    const CommandResult failed = Img(args);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_NE(failed.err.find("(code 16)"), std::string::npos) << failed.err;
    // The journal is named, not the file to add, and what stands in its way.
    EXPECT_NE(failed.err.find("cannot write the journal " + archive_ +
                              "-journal: a folder or other non-file stands at its path"),
              std::string::npos)
        << failed.err;
  }
  EXPECT_TRUE(SameBytes(ReadAll(archive_), image_));
}

TEST(ReadCommand, PrintsTheFieldsTheReaderFillsAsJson) {
  ScratchDir dir("cli");
  const std::string mod = dir.MakeFolder("mod");
  WriteDemoMod(mod);
  const CommandResult read = RunCommand(cli::RunReadCommand, {mod});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_NE(read.out.find("\"ReplacedHandlingId\": \"MONSTER\""), std::string::npos) << read.out;
  EXPECT_NE(read.out.find("\"carcols\": \"" + DemoCarcolsLine() + "\""), std::string::npos);
  EXPECT_NE(read.out.find("monster.dff\""), std::string::npos);
  EXPECT_EQ(read.out.back(), '\n');
}

TEST(ReadCommand, StartsFromAFieldsFileAndReportsWhatItCannotRead) {
  ScratchDir dir("cli");
  const std::string fields = dir.Write("fields.json", R"({"carmods": "kept, nto_b_l"})");
  const std::string empty = dir.MakeFolder("empty");
  const CommandResult read = RunCommand(cli::RunReadCommand, {empty, "--fields", fields});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_NE(read.out.find("\"carmods\": \"kept, nto_b_l\""), std::string::npos) << read.out;
  EXPECT_EQ(RunCommand(cli::RunReadCommand, {empty, "--fields", dir.Write("bad.json", "{")}).status,
            1);
  dir.MakeFolder("locked/readme.txt");  // a read-me that cannot be read
  const CommandResult unreadable = RunCommand(cli::RunReadCommand, {dir.Path("locked")});
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_NE(unreadable.err.find("readme.txt"), std::string::npos) << unreadable.err;
  EXPECT_EQ(RunCommand(cli::RunReadCommand, {}).status, 2);
}

TEST(DemoCommand, WritesAGameAndAModThatInstallTogether) {
  ScratchDir dir("cli");
  const std::string game = dir.Path("game"), mod = dir.Path("mod");
  const CommandResult demo = RunCommand(cli::RunDemoCommand, {game, mod, "--entries", "30"});
  EXPECT_EQ(demo.status, 0) << demo.err;
  const auto directory = DirectoryOf(ReadAll(game + "/models/gta3.img"));
  ASSERT_EQ(directory.size(), 30u);
  EXPECT_EQ(directory[0].name, "landstal.dff");
  EXPECT_FALSE(ReadAll(game + "/data/handling.cfg").empty());
  const CommandResult installed = RunCommand(cli::RunInstallCommand, {game, "--mod", mod});
  EXPECT_EQ(installed.status, 0) << installed.err;
}

TEST(DemoCommand, RefusesBadOptionsAndUnwritableFolders) {
  ScratchDir dir("cli");
  for (const cli::Args& args :
       {cli::Args{dir.Path("g")}, cli::Args{"g", "m", "--entries", "x"},
        cli::Args{"g", "m", "--entries", "1000001"},
        cli::Args{"g", "m", "--archive-size", "2147483648"}, cli::Args{"g", "m", "extra"}}) {
    EXPECT_EQ(RunCommand(cli::RunDemoCommand, args).status, 2) << args.size();
  }
  const std::string blocked = dir.Write("game", "a file where the folder must go");
  const CommandResult failed = RunCommand(cli::RunDemoCommand, {blocked, dir.Path("mod")});
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("wrenfield-cli: "), std::string::npos) << failed.err;
}

TEST(DemoCommand, LeavesAFolderThatHoldsAnythingAloneUnlessForced) {
  ScratchDir dir("cli");
  const std::string game = dir.Path("game"), mod = dir.Path("mod");
  ASSERT_EQ(RunCommand(cli::RunDemoCommand, {game, mod, "--entries", "30"}).status, 0);
  WriteAll(game + "/data/handling.cfg", "edited by hand");
  const auto before = TreeSnapshot(dir.path());
  for (const cli::Args& args :
       {cli::Args{game, dir.Path("other")}, cli::Args{dir.Path("g2"), mod}}) {
    const CommandResult refused = RunCommand(cli::RunDemoCommand, args);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("exists and is not empty"), std::string::npos) << refused.err;
  }
  EXPECT_TRUE(TreeSnapshot(dir.path()) == before);

  // Not even forced over an archive another program holds.
  const std::string archive = game + "/models/gta3.img";
  ASSERT_EQ(IMGOpen(archive.c_str()), TORVANE_OK);
  const CommandResult held = RunCommand(cli::RunDemoCommand, {game, mod, "--force"});
  IMGClose();
  EXPECT_EQ(held.status, 1);
  EXPECT_NE(held.err.find("in use"), std::string::npos) << held.err;
  EXPECT_TRUE(TreeSnapshot(dir.path()) == before);

  EXPECT_EQ(RunCommand(cli::RunDemoCommand, {game, mod, "--entries", "30", "--force"}).status, 0);
  EXPECT_NE(ReadAll(game + "/data/handling.cfg"), "edited by hand");
}

}  // namespace
}  // namespace wrenfield
