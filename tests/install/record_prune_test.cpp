// Pruning the install records: what goes, what stays, and what an undo says
// of an installation whose copies went.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_system.h"
#include "install_record.h"
#include "install_test_support.h"
#include "install_undo.h"
#include "readable_text.h"
#include "record_store.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

// Three installations of different vehicles, none undone.
struct ThreeInstalls {
  ThreeInstalls() {
    RecordingProgress progress;
    EXPECT_EQ(Install(demo, progress), "");
    EXPECT_EQ(Install(demo.game, OtherVehicleFields(demo, "landstal", "LANDSTAL", 1), "LANDSTAL",
                      progress),
              "");
    EXPECT_EQ(
        Install(demo.game, OtherVehicleFields(demo, "bravura", "BRAVURA", 2), "BRAVURA", progress),
        "");
  }
  DemoInstall demo;
};

InstallRecord RecordOf(const std::string& game, unsigned number) {
  InstallRecord record;
  EXPECT_TRUE(ReadRecord(game, number, record)) << number;
  return record;
}

std::uint64_t ManifestSize(const std::string& game, unsigned number) {
  std::uint64_t size = 0;
  EXPECT_TRUE(FileSize(RecordFile(game, number, kManifestFileName), size));
  return size;
}

PruneOutcome Prune(const std::string& game, int keep, std::vector<unsigned>* asked = nullptr,
                   bool answer = true) {
  return PruneInstalls(game, keep, [asked, answer](const std::vector<unsigned>& applied) {
    if (asked != nullptr) *asked = applied;
    return answer;
  });
}

TEST(PruneRecords, WithoutKeepOnlyCopiesLeftByUndoneInstallsGo) {
  ThreeInstalls three;
  const std::string& game = three.demo.game;
  // An undo whose folder could not be synced keeps its copies; put one back.
  const std::string copy = ReadFileBytes(RecordFile(game, 3, "handling.cfg"));
  ASSERT_EQ(UndoMessage(game, 3).rfind("refused", 0), std::string::npos);
  WriteFileReplacing(RecordFile(game, 3, "handling.cfg"), copy);
  const std::uint64_t appliedSize = RecordSize(game, 1) + RecordSize(game, 2);

  std::vector<unsigned> asked = {99};
  const PruneOutcome outcome = Prune(game, -1, &asked);
  EXPECT_TRUE(outcome.pruned);
  EXPECT_EQ(asked, std::vector<unsigned>{99});  // nothing applied loses its copies: not asked
  EXPECT_EQ(outcome.freed, copy.size());
  EXPECT_EQ(RecordSize(game, 3), ManifestSize(game, 3));
  EXPECT_EQ(RecordOf(game, 3).state, RecordState::kUndone);
  EXPECT_EQ(RecordSize(game, 1) + RecordSize(game, 2), appliedSize);
  EXPECT_EQ(Prune(game, -1).freed, 0u);  // a second run finds nothing
}

TEST(PruneRecords, KeepLeavesTheNewestAppliedUndoableAndRefusesUndoOfTheRest) {
  ThreeInstalls three;
  const std::string& game = three.demo.game;
  const std::uint64_t before = RecordsSize(game);
  std::vector<unsigned> asked;
  EXPECT_FALSE(Prune(game, 1, &asked, false).pruned);  // not confirmed: nothing goes
  EXPECT_EQ(asked, (std::vector<unsigned>{1, 2}));
  EXPECT_EQ(RecordsSize(game), before);
  EXPECT_EQ(Readable(PruneWarning(asked)),
            "После удаления копий нельзя будет отменить установки №1, 2");

  const PruneOutcome outcome = Prune(game, 1);
  EXPECT_TRUE(outcome.pruned);
  EXPECT_EQ(outcome.freed, before - RecordsSize(game));
  for (const unsigned number : {1u, 2u}) {
    const InstallRecord record = RecordOf(game, number);
    EXPECT_TRUE(record.pruned);
    EXPECT_EQ(record.state, RecordState::kComplete);
    EXPECT_EQ(RecordSize(game, number), ManifestSize(game, number));
    EXPECT_EQ(Readable(UndoMessage(game, number)),
              "refused: Установку №" + std::to_string(number) +
                  " нельзя отменить: копии, нужные для отмены, удалены");
  }
  // The list keeps every line, the pruned ones marked.
  const std::vector<std::string> lines = HistoryLines(game);
  ASSERT_EQ(lines.size(), 4u);
  const std::string pruned = "  установлена, копии удалены: отменить нельзя  ";
  EXPECT_NE(Readable(lines[0]).find(pruned), std::string::npos);
  EXPECT_NE(Readable(lines[1]).find(pruned), std::string::npos);
  EXPECT_EQ(Readable(lines[2]).find(pruned), std::string::npos);
  EXPECT_EQ(DamagedCopies(game, RecordOf(game, 3), AllCopies(RecordOf(game, 3))),
            std::vector<std::string>{});
  EXPECT_EQ(UndoMessage(game, 3).rfind("refused", 0), std::string::npos);
  InstallSummary latest;
  EXPECT_FALSE(FindUndoable(game, latest));  // the applied ones left cannot be undone
  // Keeping none prunes nothing more: the third is undone now.
  EXPECT_EQ(Prune(game, 0).freed, 0u);
}

// An installation or undo interrupted, whose recovery stops at something
// changed since: pruning passes its record by, copies and all, and the way
// out (a forced undo) still has them.
class PruneBesideUnfinished : public ::testing::TestWithParam<RecordState> {};

TEST_P(PruneBesideUnfinished, NeverRemovesWhatTheRecoveryStillNeeds) {
  ThreeInstalls three;
  const std::string& game = three.demo.game;
  InstallRecord second = RecordOf(game, 2);
  second.state = GetParam();
  WriteManifest(game, second);
  PutEntry(three.demo.archive(), second.entries.front().name, "changed by another tool");
  const std::uint64_t secondSize = RecordSize(game, 2);

  std::vector<unsigned> asked;
  const PruneOutcome outcome = Prune(game, 0, &asked);
  EXPECT_NE(outcome.recoveryFailure, "");
  EXPECT_EQ(asked, (std::vector<unsigned>{1, 3}));
  EXPECT_EQ(RecordSize(game, 2), secondSize);
  EXPECT_EQ(RecordOf(game, 2).state, GetParam());
  EXPECT_FALSE(RecordOf(game, 2).pruned);
  EXPECT_EQ(DamagedCopies(game, second, AllCopies(second)), std::vector<std::string>{});
  EXPECT_EQ(UndoMessage(game, 2, true).rfind("refused", 0), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(InstallOrUndo, PruneBesideUnfinished,
                         ::testing::Values(RecordState::kInProgress, RecordState::kUndoing));

TEST(PruneRecords, AManifestMarkedPrunedReadsBackAndOnlyOnAComplete) {
  InstallRecord record;
  record.number = 4;
  record.state = RecordState::kComplete;
  record.pruned = true;
  InstallRecord back;
  ASSERT_TRUE(ParseManifest(FormatManifest(record), back));
  EXPECT_TRUE(back.pruned);
  record.state = RecordState::kUndoing;
  EXPECT_FALSE(ParseManifest(FormatManifest(record), back));
}

}  // namespace
}  // namespace wrenfield
