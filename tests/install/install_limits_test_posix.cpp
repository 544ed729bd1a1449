// Archive writes that fail for real: the installation runs in a forked child
// whose file size limit stops Torvane's writes part-way, as a full disk would.
// (Wrenfield's own file layer has a test seam: install_write_failure_test.)
#include <gtest/gtest.h>

#include <string>

#include "child_process_posix.h"
#include "data_files.h"
#include "demo_game.h"
#include "file_system.h"
#include "install_record.h"
#include "install_test_support.h"
#include "install_undo.h"
#include "line_replace.h"
#include "messages.h"
#include "readable_text.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

struct ChildResult {
  std::string events;
  std::string message;
};

// Installs in a child process limited to files of at most limit bytes.
ChildResult InstallWithFileSizeLimit(const DemoInstall& demo, std::uint64_t limit) {
  const std::string out = testing::InChildWithFileSizeLimit(limit, [&] {
    RecordingProgress progress;
    const std::string message = Install(demo, progress);
    return progress.events + '\n' + message;
  });
  const auto newline = out.find('\n');
  if (newline == std::string::npos) return {"", out};
  return {out.substr(0, newline), out.substr(newline + 1)};
}

// The archive may not grow: a file that does not fit its entry's allotment
// has to go to the archive's end, and that write fails. Everything is put back.
TEST(InstallWithWriteFailures, ModelThatCannotBeWrittenIsRolledBack) {
  DemoInstall demo;
  const GameState before = StateOf(demo.game);
  WriteAll(demo.fields.DFF, DemoBytes(64 * 1024, 1));
  const ChildResult result = InstallWithFileSizeLimit(demo, ReadAll(demo.archive()).size());
  EXPECT_EQ(result.message, msg::ModelReplaceFailed());
  EXPECT_EQ(result.events, "OE");
  EXPECT_EQ(StateDifference(StateOf(demo.game), before), "");
  EXPECT_TRUE(
      SameBytes(ReadAll(demo.data("vehicles_Backup.ide")), before.dataFiles.at("vehicles.ide")));
  EXPECT_EQ(ListInstalls(demo.game).at(0).state, RecordState::kRolledBack);
}

TEST(InstallWithWriteFailures, TextureThatCannotBeWrittenIsRolledBackWithTheModel) {
  DemoInstall demo;
  const GameState before = StateOf(demo.game);
  WriteAll(demo.fields.TXD, DemoBytes(64 * 1024, 2));
  const ChildResult result = InstallWithFileSizeLimit(demo, ReadAll(demo.archive()).size());
  EXPECT_EQ(result.message, msg::TextureReplaceFailed());
  EXPECT_EQ(result.events, "OE");
  EXPECT_EQ(StateDifference(StateOf(demo.game), before), "");
}

// With the disk full the old bytes of a replaced entry that has shrunk cannot
// go back either: that is said plainly, and the record stays for the next
// installation, which puts the game back first and says so, once.
TEST(InstallWithWriteFailures, RollbackThatCannotWriteEitherIsSaidAndFinishedLater) {
  DemoInstall demo;
  const GameState before = StateOf(demo.game);
  const std::string big = JoinPath(demo.mod, "wheels.dff");
  WriteAll(demo.fields.TXD, "small");  // the texture's entry shrinks to one sector
  WriteAll(big, DemoBytes(64 * 1024, 3));
  demo.fields.Adv = {{big, true}};
  const ChildResult result = InstallWithFileSizeLimit(demo, ReadAll(demo.archive()).size());
  // The rollback's reason ends in "!": the notice after it adds no ".".
  EXPECT_EQ(Readable(result.message),
            "Ошибка записи в IMG-архив!\nВернуть файлы игры в прежнее состояние не удалось: "
            "Ошибка записи в IMG-архив! Запись об установке сохранена: её изменения будут "
            "отменены при следующей установке или отмене.");
  EXPECT_EQ(ListInstalls(demo.game).at(0).state, RecordState::kInProgress);

  RecordingProgress retry;
  ASSERT_EQ(Install(demo, retry), "");
  EXPECT_EQ(retry.events, "ORIE");
  ASSERT_EQ(retry.recovered.size(), 1u);
  EXPECT_EQ(Readable(retry.recovered[0]).rfind("Установка №1 (MONSTER ", 0), 0u);
  EXPECT_EQ(ListInstalls(demo.game).at(0).state, RecordState::kRolledBack);
  UndoInstall(demo.game, 2, false);
  EXPECT_EQ(StateDifference(StateOf(demo.game), before), "");
}

// The record's copy of a big stock entry cannot be written: that is said with
// the copy's path and the system's reason, not as damage of the archive, and
// nothing has changed.
TEST(InstallWithWriteFailures, CopyOfAnEntryThatCannotBeWrittenIsNamedWithTheReason) {
  DemoInstall demo;
  PutEntry(demo.archive(), "monster.dff", DemoBytes(100 * 1024, 4));
  const GameState before = StateOf(demo.game);
  constexpr std::uint64_t kLimit = 60 * 1024;
  for (const auto& [name, bytes] : before.dataFiles) ASSERT_LT(bytes.size(), kLimit) << name;
  const ChildResult result = InstallWithFileSizeLimit(demo, kLimit);
  const std::string named = "Не удаётся скопировать запись 'monster.dff' из IMG-архива в файл '" +
                            FullPath(RecordFile(demo.game, 1, "entry-1.bin")) + "': ";
  EXPECT_EQ(Readable(result.message).rfind(named, 0), 0u) << Readable(result.message);
  EXPECT_GT(Readable(result.message).size(), named.size());  // the reason
  EXPECT_EQ(result.events, "OE");
  EXPECT_EQ(StateDifference(StateOf(demo.game), before), "");
  EXPECT_TRUE(ListInstalls(demo.game).empty());
}

}  // namespace
}  // namespace wrenfield
