// wrenfield-cli history and undo after an installation from an archive: they
// name the archive and the folder picked in it, not the unpacked copy that is
// gone, and print paths with names in UTF-8 as the system spells them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands.h"
#include "demo_game.h"
#include "file_system.h"
#include "run_command.h"
#include "unpack_test_support.h"

namespace wrenfield {
namespace {

using testing::CommandResult;
using testing::RunCommand;
using testing::TemporaryRoot;
using testing::ZipEntry;

constexpr std::uint16_t kUtf8Names = 0x800;

TEST(CliHistory, NamesTheArchiveAndTheFolderPickedInItInUtf8) {
  TemporaryRoot temporary;
  const std::string game = JoinPath(temporary.path(), "игра");
  WriteDemoGame(game);
  const std::string mods = JoinPath(temporary.path(), "моды");
  const std::string loose = JoinPath(mods, "loose");
  CreateFolder(mods);
  WriteDemoMod(loose, {5000, 3000});
  std::vector<ZipEntry> entries;
  for (const char* name : {"monster.dff", "monster.txd", "readme.txt"}) {
    ZipEntry entry;
    entry.name = std::string("Монстр/") + name;
    entry.data = ReadFileBytes(JoinPath(loose, name));
    entry.flags = kUtf8Names;
    entries.push_back(entry);
  }
  const std::string zip = JoinPath(mods, "монстр.zip");
  WriteFileReplacing(zip, testing::ZipOf(entries));

  const CommandResult installed = RunCommand(cli::RunInstallCommand, {game, "--mod", zip});
  ASSERT_EQ(installed.status, 0) << installed.err;
  const std::string chosen = FullPath(zip) + kPathSeparator + "Монстр";
  const CommandResult history = RunCommand(cli::RunHistoryCommand, {game});
  EXPECT_EQ(history.status, 0) << history.err;
  EXPECT_NE(history.out.find("  MONSTER  " + chosen + "  "), std::string::npos) << history.out;
  const CommandResult undone = RunCommand(cli::RunUndoCommand, {game});
  EXPECT_EQ(undone.status, 0) << undone.err;
  EXPECT_NE(undone.out.find("'" + chosen + "'"), std::string::npos) << undone.out;
}

}  // namespace
}  // namespace wrenfield
