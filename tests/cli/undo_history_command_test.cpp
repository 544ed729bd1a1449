// wrenfield-cli undo and history: what they print (UTF-8), their exit status,
// and the recovery they start with.
#include <gtest/gtest.h>

#include <string>

#include "commands.h"
#include "file_system.h"
#include "install_record.h"
#include "install_test_support.h"
#include "run_command.h"
#include "text_encoding.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

TEST(UndoCommand, UndoesTheLatestThenSaysNothingIsLeft) {
  DemoInstall demo;
  const GameState before = StateOf(demo.game);
  ASSERT_EQ(RunCommand(cli::RunInstallCommand, {demo.game, "--mod", demo.mod}).status, 0);
  const CommandResult undone = RunCommand(cli::RunUndoCommand, {demo.game});
  EXPECT_EQ(undone.status, 0) << undone.err;
  EXPECT_EQ(undone.out, "Установка №1 (MONSTER из папки '" + FullPath(demo.mod) + "') отменена.\n");
  EXPECT_EQ(StateDifference(StateOf(demo.game), before), "");
  const CommandResult none = RunCommand(cli::RunUndoCommand, {demo.game});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err, "В этой папке игры нет установок, которые можно отменить.\n");
  for (const cli::Args& args : {cli::Args{}, cli::Args{demo.game, "0"}, cli::Args{demo.game, "x"},
                                cli::Args{demo.game, "1", "2"}, cli::Args{demo.game, "--all"}}) {
    EXPECT_EQ(RunCommand(cli::RunUndoCommand, args).status, 2) << args.size();
  }
}

TEST(UndoCommand, RefusesWhatChangedSinceUnlessForced) {
  DemoInstall demo;
  const GameState before = StateOf(demo.game);
  const TInstallFields second = OtherVehicleFields(demo, "monster", "MONSTER", 1);
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  ASSERT_EQ(Install(demo.game, second, "MONSTER", progress), "");
  const CommandResult refused = RunCommand(cli::RunUndoCommand, {demo.game, "1"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("Установку №1 нельзя отменить: после неё изменились carcols.dat"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(RunCommand(cli::RunUndoCommand, {demo.game, "1", "--force"}).status, 0);
  EXPECT_EQ(StateDifference(StateOf(demo.game), before), "");
}

TEST(HistoryCommand, ListsTheInstallsAfterPuttingRightAnInterruptedOneOnce) {
  DemoInstall demo;
  const GameState before = StateOf(demo.game);
  const CommandResult empty = RunCommand(cli::RunHistoryCommand, {demo.game});
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.out, "Записи об установках занимают на диске 0 байт\n");

  // Killed just before the installation was marked complete.
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  InstallRecord record;
  ASSERT_TRUE(ReadRecord(demo.game, 1, record));
  record.state = RecordState::kInProgress;
  WriteManifest(demo.game, record);

  const CommandResult listed = RunCommand(cli::RunHistoryCommand, {demo.game});
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.err, "Установка №1 (MONSTER из папки '" + FullPath(demo.mod) +
                            "') была прервана; её изменения отменены.\n");
  EXPECT_EQ(
      listed.out.rfind("1  " + record.date + "  MONSTER  " + FullPath(demo.mod) + "  " +
                           "не удалась, изменения отменены\nЗаписи об установках занимают на диске",
                       0),
      0u)
      << listed.out;
  EXPECT_EQ(StateDifference(StateOf(demo.game), before), "");
  EXPECT_EQ(RunCommand(cli::RunHistoryCommand, {demo.game}).err, "");  // said once
  EXPECT_EQ(RunCommand(cli::RunHistoryCommand, {}).status, 2);
}

}  // namespace
}  // namespace wrenfield
