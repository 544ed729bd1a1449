// What undo and recovery leave alone: the player's own changes since the
// installation, a record whose copies are damaged or missing, the later
// installations a forced undo has to take back first, and whatever the sweep
// of leftovers did not write itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "error.h"
#include "file_system.h"
#include "install_record.h"
#include "install_test_support.h"
#include "install_undo.h"
#include "messages.h"
#include "plain_text.h"
#include "readable_text.h"
#include "sha256.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

constexpr char kPlayerLine[] = "PLAYER 1.0 2.0 3.0\r\n";

std::string Recovery(const std::string& game, std::vector<std::string>& messages) {
  try {
    EXPECT_TRUE(RecoverInterruptedInstalls(game, messages));
  } catch (const Error& e) {
    return e.message();
  }
  return "";
}

RecordState StateOfRecord(const std::string& game, unsigned number) {
  InstallRecord record;
  EXPECT_TRUE(ReadRecord(game, number, record));
  return record.state;
}

TEST(RecoveryOfAnInterruptedInstall, KeepsTheLinesAndEntriesThePlayerChangedSince) {
  DemoInstall demo;
  GameState expected = StateOf(demo.game);
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  MarkInterrupted(demo.game, 1);
  WriteAll(demo.data("handling.cfg"), ReadAll(demo.data("handling.cfg")) + kPlayerLine);
  PutEntry(demo.archive(), "Monster.dff", "the player's own");  // not the record's name
  expected.dataFiles["handling.cfg"] += kPlayerLine;
  expected.entries["Monster.dff"] = AsEntry("the player's own");

  std::vector<std::string> messages;
  EXPECT_EQ(Recovery(demo.game, messages), "");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(Readable(messages[0]).find("была прервана; её изменения отменены"), std::string::npos);
  EXPECT_EQ(StateDifference(StateOf(demo.game), expected), "");
  EXPECT_EQ(StateOfRecord(demo.game, 1), RecordState::kRolledBack);
}

TEST(RecoveryOfAnInterruptedInstall, StopsAtAnEntryChangedSinceAndForcedUndoIsTheWayOut) {
  DemoInstall demo;
  const GameState before = StateOf(demo.game);
  WriteAll(JoinPath(demo.mod, "newpart.dff"), "new part");
  demo.fields.Adv = {{JoinPath(demo.mod, "newpart.dff"), true}};
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  MarkInterrupted(demo.game, 1);
  PutEntry(demo.archive(), "newpart.dff", "the player's part");
  const GameState changed = StateOf(demo.game);

  std::vector<std::string> messages;
  const std::string stopped = Recovery(demo.game, messages);
  EXPECT_EQ(Readable(stopped).rfind("Не удаётся отменить прерванную установку №1 ", 0), 0u)
      << Readable(stopped);
  EXPECT_NE(Readable(stopped).find("'newpart.dff' в IMG-архиве"), std::string::npos);
  EXPECT_NE(stopped.find("undo 1 --force"), std::string::npos) << stopped;
  EXPECT_EQ(StateDifference(StateOf(demo.game), changed), "");  // nothing changed
  EXPECT_EQ(StateOfRecord(demo.game, 1), RecordState::kInProgress);
  EXPECT_EQ(HistoryLines(demo.game).size(), 2u);  // the list is never locked

  const std::string forced = UndoMessage(demo.game, 1, true);
  EXPECT_EQ(Readable(forced).rfind("Установка №1 (", 0), 0u) << Readable(forced);
  EXPECT_EQ(StateDifference(StateOf(demo.game), before), "");
  EXPECT_EQ(StateOfRecord(demo.game, 1), RecordState::kRolledBack);
}

// Recovery cannot put back what a damaged copy holds: it stops, naming the
// copy; the forced undo puts back the rest, says what it left, and the game
// folder is free again.
TEST(RecoveryOfAnInterruptedInstall, WithDamagedCopiesIsLeftByAForcedUndo) {
  DemoInstall demo;
  GameState expected = StateOf(demo.game);
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  const GameState after = StateOf(demo.game);
  MarkInterrupted(demo.game, 1);
  WriteAll(RecordFile(demo.game, 1, "handling.cfg"), "");
  RemoveFile(RecordFile(demo.game, 1, "entry-1.bin"));

  std::vector<std::string> messages;
  const std::string stopped = Recovery(demo.game, messages);
  EXPECT_NE(Readable(stopped).find("Копия '"), std::string::npos) << Readable(stopped);
  EXPECT_EQ(StateDifference(StateOf(demo.game), after), "");
  EXPECT_EQ(Install(demo, progress), stopped);  // stops an installation too, naming it

  const std::string forced = UndoMessage(demo.game, 1, true);
  EXPECT_NE(Readable(forced).find("; без целых копий в записи оставлены как есть: handling.cfg, "
                                  "'monster.dff' в IMG-архиве."),
            std::string::npos)
      << Readable(forced);
  expected.dataFiles["handling.cfg"] = after.dataFiles.at("handling.cfg");
  expected.entries["monster.dff"] = after.entries.at("monster.dff");
  EXPECT_EQ(StateDifference(StateOf(demo.game), expected), "");
  EXPECT_EQ(StateOfRecord(demo.game, 1), RecordState::kRolledBack);
  EXPECT_FALSE(NeedsRecovery(demo.game));
}

// The copies are looked at before anything is put back: one emptied,
// overwritten or removed is named, nothing changes, the record stays complete
// and nothing is locked; once it is whole again the undo goes through.
TEST(UndoWithDamagedCopies, NamesTheCopyAndChangesNothing) {
  DemoInstall demo;
  const GameState before = StateOf(demo.game);
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  const GameState after = StateOf(demo.game);
  const std::string handlingCopy = RecordFile(demo.game, 1, "handling.cfg");
  const std::string entryCopy = RecordFile(demo.game, 1, "entry-1.bin");
  const std::string handlingBytes = ReadAll(handlingCopy), entryBytes = ReadAll(entryCopy);

  const auto expectRefusedNaming = [&](const std::string& copy) {
    EXPECT_EQ(Readable(UndoMessage(demo.game, 1)),
              "refused: Копия '" + FullPath(copy) +
                  "' в записи об установке повреждена или отсутствует; ничего не изменено");
    EXPECT_EQ(StateDifference(StateOf(demo.game), after), "");
    EXPECT_EQ(StateOfRecord(demo.game, 1), RecordState::kComplete);
    EXPECT_FALSE(NeedsRecovery(demo.game));
  };
  WriteAll(handlingCopy, "");
  expectRefusedNaming(handlingCopy);
  WriteAll(handlingCopy, handlingBytes);
  WriteAll(entryCopy, std::string(100, '\0'));
  expectRefusedNaming(entryCopy);
  RemoveFile(entryCopy);
  expectRefusedNaming(entryCopy);
  // A forced undo uses the copies all the same.
  EXPECT_EQ(Readable(UndoMessage(demo.game, 1, true)).rfind("refused: Копия '", 0), 0u);

  WriteAll(entryCopy, entryBytes);
  EXPECT_EQ(Readable(UndoMessage(demo.game, 1)).rfind("Установка №", 0), 0u);
  EXPECT_EQ(StateDifference(StateOf(demo.game), before), "");
}

struct Installation {
  TInstallFields fields;
  std::string handlingId;
};

// True when an undone installation still has one of its lines or entries in
// the game: the line it wrote at a line it replaced, or the bytes it wrote.
std::string UndoneLeftovers(const DemoInstall& demo) {
  for (const InstallSummary& install : ListInstalls(demo.game)) {
    InstallRecord record;
    if (!ReadRecord(demo.game, install.number, record) || record.state != RecordState::kUndone) {
      continue;
    }
    for (const RecordedDataFile& file : record.dataFiles) {
      const Lines lines = SplitLines(ReadAll(demo.data(DataFileName(file.file))));
      for (const std::size_t index : file.lines) {
        if (index < lines.size() && lines[index] == file.newLine) {
          return "installation " + std::to_string(record.number) + " left its line in " +
                 DataFileName(file.file);
        }
      }
    }
    for (const RecordedEntry& entry : record.entries) {
      const std::string bytes = ExtractEntry(demo.archive(), entry.name);
      if (bytes != "<none>" && Sha256Hex(bytes) == entry.newHash) {
        return "installation " + std::to_string(record.number) + " left entry " + entry.name;
      }
    }
  }
  return "";
}

// Three installations: the demo's vehicle, the same vehicle again, another one.
class ForcedUndo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pattern_ = new DemoInstall;
    before_ = new GameState(StateOf(pattern_->game));
    const std::vector<Installation> all = {
        {pattern_->fields, "MONSTER"},
        {OtherVehicleFields(*pattern_, "monster", "MONSTER", 1), "MONSTER"},
        {OtherVehicleFields(*pattern_, "landstal", "LANDSTAL", 2), "LANDSTAL"}};
    for (const Installation& installation : all) {
      RecordingProgress progress;
      ASSERT_EQ(Install(pattern_->game, installation.fields, installation.handlingId, progress),
                "");
    }
  }
  static void TearDownTestSuite() {
    delete pattern_;
    delete before_;
  }
  static DemoInstall* pattern_;
  static GameState* before_;
};
DemoInstall* ForcedUndo::pattern_ = nullptr;
GameState* ForcedUndo::before_ = nullptr;

TEST_F(ForcedUndo, OfAnEarlierInstallationUndoesTheLaterOnesThatChangedTheSameFirst) {
  DemoInstall demo(*pattern_);
  const GameState installed = StateOf(demo.game);
  const std::string refused = Readable(UndoMessage(demo.game, 1));
  EXPECT_EQ(refused.rfind("refused: Установку №1 нельзя отменить: после неё изменились "
                          "carcols.dat, handling.cfg, vehicles.ide, carmods.dat, 'monster.dff' "
                          "в IMG-архиве",
                          0),
            0u)
      << refused;
  EXPECT_NE(refused.find("; их изменили более поздние установки №2"), std::string::npos) << refused;
  EXPECT_EQ(refused.find("3"), std::string::npos) << refused;  // another vehicle: not in the way
  EXPECT_EQ(StateDifference(StateOf(demo.game), installed), "");

  const std::string forced = Readable(UndoMessage(demo.game, 1, true));
  const std::string second = "Установка №2 (MONSTER ";
  const std::string first = "Установка №1 (MONSTER ";
  EXPECT_EQ(forced.rfind(second, 0), 0u) << forced;
  EXPECT_NE(forced.find("\n" + first), std::string::npos) << forced;
  EXPECT_EQ(StateOfRecord(demo.game, 2), RecordState::kUndone);
  EXPECT_EQ(StateOfRecord(demo.game, 3), RecordState::kComplete);
  EXPECT_EQ(Readable(UndoMessage(demo.game, 2, true)), "refused: Установка №2 уже отменена");
  EXPECT_EQ(UndoneLeftovers(demo), "");
  EXPECT_EQ(Readable(UndoMessage(demo.game, 3)).rfind("Установка №", 0), 0u);
  EXPECT_EQ(StateDifference(StateOf(demo.game), *before_), "");
}

TEST_F(ForcedUndo, InAnyOrderLeavesNoLineOrEntryOfAnUndoneInstallation) {
  std::vector<unsigned> order = {1, 2, 3};
  do {
    SCOPED_TRACE("forced undos in the order " + std::to_string(order[0]) +
                 std::to_string(order[1]) + std::to_string(order[2]));
    DemoInstall demo(*pattern_);
    for (const unsigned number : order) {
      UndoMessage(demo.game, number, true);
      EXPECT_EQ(StateOfRecord(demo.game, number), RecordState::kUndone);
      EXPECT_EQ(UndoneLeftovers(demo), "");
    }
    EXPECT_EQ(StateDifference(StateOf(demo.game), *before_), "");
  } while (std::next_permutation(order.begin(), order.end()) && !HasFailure());
}

TEST(InstallWithoutDataLines, NeedsNoDataFolder) {
  DemoInstall demo;
  std::filesystem::remove_all(JoinPath(demo.game, "data"));
  demo.fields.handling = demo.fields.vehicles = demo.fields.carcols = demo.fields.carmods = "";
  const std::string stock = ExtractEntry(demo.archive(), "monster.dff");
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  EXPECT_EQ(ExtractEntry(demo.archive(), "monster.dff"), AsEntry(ReadAll(demo.fields.DFF)));
  EXPECT_EQ(Readable(UndoMessage(demo.game, 1)).rfind("Установка №", 0), 0u);
  EXPECT_EQ(ExtractEntry(demo.archive(), "monster.dff"), stock);
  EXPECT_FALSE(Exists(JoinPath(demo.game, "data")));
}

#ifndef _WIN32
// A folder where the temporary file of handling.cfg's replacement must go:
// the undo is refused before the archive or any other file is changed.
TEST(UndoWithADataFileThatCannotBeReplaced, NamesItAndChangesNothing) {
  DemoInstall demo;
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  const GameState after = StateOf(demo.game);
  const std::string blocker =
      demo.data("handling.cfg") + ".wrenfield-" + std::to_string(::getpid()) + ".tmp";
  MakeDir(blocker);
  const std::string refused = UndoMessage(demo.game, 1);
  EXPECT_NE(refused.find(FullPath(demo.data("handling.cfg"))), std::string::npos) << refused;
  EXPECT_EQ(StateDifference(StateOf(demo.game), after), "");
  EXPECT_EQ(StateOfRecord(demo.game, 1), RecordState::kComplete);
  std::filesystem::remove(blocker);
  EXPECT_EQ(Readable(UndoMessage(demo.game, 1)).rfind("Установка №", 0), 0u);
}

// A link among the records leads to the player's own folder: the sweep
// neither enters it nor removes it, though it looks like a record without a
// manifest; the next record is numbered past it.
TEST(SweepOfLeftovers, NeverFollowsALinkNorRemovesWhatItDidNotWrite) {
  DemoInstall demo;
  const std::string own = demo.dir.MakeFolder("players-folder");
  WriteAll(JoinPath(own, "carcols.dat"), "mine");
  WriteAll(JoinPath(own, "entry-1.bin"), "mine");
  WriteAll(JoinPath(own, "x.wrenfield-1.tmp"), "mine");
  MakeDir(JoinPath(demo.game, "Wrenfield"));
  MakeDir(RecordsFolder(demo.game));
  ASSERT_EQ(::symlink(own.c_str(), RecordFolder(demo.game, 7).c_str()), 0);
  MakeDir(RecordFolder(demo.game, 3));  // a real record folder without a manifest
  WriteAll(RecordFile(demo.game, 3, "notes.txt"), "the player's, put there");
  WriteAll(RecordFile(demo.game, 3, "entry-1.bin"), "ours, half written");
  ASSERT_EQ(::symlink(own.c_str(), demo.data("y.wrenfield-2.tmp").c_str()), 0);
  const auto players = TreeSnapshot(own);

  std::vector<std::string> messages;
  EXPECT_EQ(Recovery(demo.game, messages), "");
  EXPECT_TRUE(TreeSnapshot(own) == players);
  EXPECT_TRUE(Exists(demo.data("y.wrenfield-2.tmp")));
  EXPECT_TRUE(Exists(RecordFile(demo.game, 3, "notes.txt")));
  EXPECT_FALSE(Exists(RecordFile(demo.game, 3, "entry-1.bin")));
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  EXPECT_TRUE(Exists(RecordFile(demo.game, 8, kManifestFileName)));
  EXPECT_TRUE(TreeSnapshot(own) == players);
}
#endif

}  // namespace
}  // namespace wrenfield
