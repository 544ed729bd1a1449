// wrenfield-cli read and install on archives: the printed paths outlive the read
// for a later install, a choice is asked for with the candidates listed, and an
// archive installs exactly as the same mod unpacked by hand.
#include <gtest/gtest.h>

#include "commands.h"
#include "demo_game.h"
#include "fields_json.h"
#include "file_system.h"
#include "gtest_support.h"
#include "run_command.h"
#include "text_encoding.h"
#include "unpack_test_support.h"

namespace wrenfield {
namespace {

using testing::CommandResult;
using testing::GameTreeOf;
using testing::RunCommand;
using testing::Sample;
using testing::SampleMod;
using testing::SampleTree;
using testing::TemporaryRoot;
using testing::TreeOf;

// A fresh demo game inside the test's temporary folder.
std::string DemoGame(const TemporaryRoot& temporary, const std::string& name) {
  const std::string game = JoinPath(temporary.path(), name);
  WriteDemoGame(game);
  return game;
}

TEST(FixtureCliArchives, ReadThenInstallTheFieldsItPrinted) {
  SKIP_WITHOUT_FIXTURE("readmes/01_CometPlus__lineas comet.txt");
  TemporaryRoot temporary;
  const std::string game = DemoGame(temporary, "game");
  const CommandResult read = RunCommand(cli::RunReadCommand, {Sample("nested.zip")});
  ASSERT_EQ(read.status, 0) << read.err;
  std::string replaced;
  const TInstallFields fields = cli::ParseFieldsJson(read.out, replaced);
  EXPECT_EQ(replaced, "COMET");
  EXPECT_TRUE(FileExists(fields.DFF)) << fields.DFF;
  EXPECT_TRUE(FileExists(fields.TXD)) << fields.TXD;
  const std::string fieldsFile = JoinPath(temporary.path(), "fields.json");
  WriteFileReplacing(fieldsFile, read.out);
  // The samples' model and texture are placeholders the mod check refuses.
  const CommandResult install = RunCommand(cli::RunInstallCommand, {game, fieldsFile, "--force"});
  EXPECT_EQ(install.status, 0) << install.err;
}

TEST(FixtureCliArchives, SeveralCandidatesAreListedForPick) {
  SKIP_WITHOUT_FIXTURE("readmes/02_MesaPlus__Lines.txt");
  TemporaryRoot temporary;
  const CommandResult refused = RunCommand(cli::RunReadCommand, {Sample("variants.7z")});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  const std::string list =
      ":\n  Mesa Plus+/Mesa (вариант 1)\n  Mesa Plus+/Mesa (вариант 2)\n(--pick FOLDER)\n";
  ASSERT_GT(refused.err.size(), list.size());
  EXPECT_EQ(refused.err.substr(refused.err.size() - list.size()), list);
  EXPECT_EQ(temporary.EntryCount(), 0u);

  const CommandResult picked = RunCommand(
      cli::RunReadCommand, {Sample("variants.7z"), "--pick", "Mesa Plus+/Mesa (вариант 2)"});
  EXPECT_EQ(picked.status, 0) << picked.err;
  EXPECT_NE(picked.out.find("(вариант 2)/mesa.dff"), std::string::npos) << picked.out;
  const CommandResult unknown =
      RunCommand(cli::RunReadCommand, {Sample("variants.7z"), "--pick", "Mesa Plus+"});
  EXPECT_EQ(unknown.status, 1);
}

TEST(FixtureCliArchives, InstallFromAnArchiveAsFromTheFolderUnpackedByHand) {
  SKIP_WITHOUT_FIXTURE("readmes/02_MesaPlus__Lines.txt");
  TemporaryRoot temporary;
  for (const SampleMod& mod : {SampleMod{"nested.zip", "", "nested/Comet Plus+/Modelo"},
                               SampleMod{"beside.7z", "", "beside_by_hand/Model"},
                               SampleMod{"variants.7z", "Mesa Plus+/Mesa (вариант 1)",
                                         "variants/Mesa Plus+/Mesa (вариант 1)"}}) {
    const std::string fromArchive = DemoGame(temporary, "from-archive");
    const std::string byHand = DemoGame(temporary, "by-hand");
    // The samples' model and texture are placeholders the mod check refuses.
    cli::Args args = {fromArchive, "--mod", Sample(mod.archive), "--force"};
    if (*mod.pick != '\0') args.insert(args.end(), {"--pick", mod.pick});
    const CommandResult archived = RunCommand(cli::RunInstallCommand, args);
    EXPECT_EQ(archived.status, 0) << archived.err;
    const CommandResult manual = RunCommand(
        cli::RunInstallCommand, {byHand, "--mod", SampleTree(mod.handFolder), "--force"});
    EXPECT_EQ(manual.status, 0) << manual.err;
    EXPECT_EQ(archived.out, manual.out);
    EXPECT_TRUE(GameTreeOf(fromArchive) == GameTreeOf(byHand)) << mod.archive;
    // The unpacked copy went with the command: only the two games are left.
    EXPECT_EQ(TreeOf(temporary.path()).size(), 2 * TreeOf(byHand).size() + 2) << mod.archive;
  }
}

// A zip of a Russian tool: names in code page 866 with the UTF-8 flag clear, and
// folder entries marked only by their trailing "/", before their files.
TEST(FixtureCliArchives, Cp866ZipWithFolderEntriesInstallsAsUnpackedByHand) {
  SKIP_WITHOUT_FIXTURE("readmes/02_MesaPlus__Lines.txt");
  TemporaryRoot temporary;
  const std::string byHandFolder =
      SampleTree(testing::SamplePathText("variants/Mesa Plus+/Mesa (вариант 1)"));
  const std::string top = testing::Cp866("Мой мод/");
  const std::string inner = top + testing::Cp866("Меса (вариант 1)/");
  std::vector<testing::ZipEntry> entries = {{top, ""}, {inner, ""}};
  for (const auto& [name, bytes] : TreeOf(byHandFolder)) entries.push_back({inner + name, bytes});
  const std::string archive = testing::ScratchFile("russian.zip", testing::ZipOf(entries));

  const std::string fromArchive = DemoGame(temporary, "from-archive");
  const std::string byHand = DemoGame(temporary, "by-hand");
  // The samples' model and texture are placeholders the mod check refuses.
  const CommandResult archived =
      RunCommand(cli::RunInstallCommand, {fromArchive, "--mod", archive, "--force"});
  EXPECT_EQ(archived.status, 0) << archived.err;
  const CommandResult manual = RunCommand(cli::RunInstallCommand, {byHand, "--mod", byHandFolder, "--force"});
  EXPECT_EQ(manual.status, 0) << manual.err;
  EXPECT_EQ(archived.out, manual.out);
  EXPECT_TRUE(GameTreeOf(fromArchive) == GameTreeOf(byHand));
}

TEST(CliArchives, RefusedArchiveLeavesTheGameAndTheTemporaryFolderAlone) {
  TemporaryRoot temporary;
  const std::string game = DemoGame(temporary, "game");
  const testing::Tree before = TreeOf(temporary.path());
  for (const std::string& archive :
       {testing::ScratchFile("evil.zip",
                             testing::ZipOf({{"car.dff", "m"}, {"../../car.txd", "t"}})),
        Sample("password.7z"), testing::LibarchiveSample("rar5_symlink.rar")}) {
    const CommandResult result = RunCommand(cli::RunInstallCommand, {game, "--mod", archive});
    EXPECT_EQ(result.status, 1) << archive;
    EXPECT_EQ(result.out, "") << archive;
    EXPECT_NE(result.err, "") << archive;
    EXPECT_TRUE(TreeOf(temporary.path()) == before) << archive;
  }
}

}  // namespace
}  // namespace wrenfield
