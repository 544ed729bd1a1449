// Pruning the records with every write, sync, rename, deletion and close of
// the installer's file layer failing in turn, once or from there on, and (on
// POSIX) killed at each of them. After any fault every applied installation
// is either undoable with every copy sound or marked pruned, the game is
// untouched, and a retry prunes everything.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "error.h"
#include "file_system.h"
#include "install_record.h"
#include "install_undo.h"
#include "interruption_support.h"
#include "record_store.h"

#ifndef _WIN32
#include <csignal>

#include "child_process_posix.h"
#endif

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

// Two applied installations, and a third undone whose copy of handling.cfg
// stayed behind (its folder could not be synced).
struct PruneScenario {
  PruneScenario() : pattern(FreshDemo()) {
    const DemoInstall& demo = *pattern;
    RecordingProgress progress;
    EXPECT_EQ(Install(demo, progress), "");
    EXPECT_EQ(Install(demo.game, OtherVehicleFields(demo, "landstal", "LANDSTAL", 1), "LANDSTAL",
                      progress),
              "");
    EXPECT_EQ(
        Install(demo.game, OtherVehicleFields(demo, "bravura", "BRAVURA", 2), "BRAVURA", progress),
        "");
    const std::string copy = ReadFileBytes(RecordFile(demo.game, 3, "handling.cfg"));
    EXPECT_EQ(UndoMessage(demo.game, 3).rfind("refused", 0), std::string::npos);
    WriteFileReplacing(RecordFile(demo.game, 3, "handling.cfg"), copy);
    game = StateOf(demo.game);
  }
  std::unique_ptr<DemoInstall> pattern;
  GameState game;
};

const PruneScenario& Scenario() {
  static const PruneScenario scenario;
  return scenario;
}

// "" when pruning went through; otherwise its message.
std::string RunPrune(const DemoInstall& demo) {
  try {
    const PruneOutcome outcome =
        PruneInstalls(demo.game, 0, [](const std::vector<unsigned>&) { return true; });
    return outcome.recoveryFailure;
  } catch (const Error& e) {
    return e.message();
  }
}

// Each record at a state it may be at: applied ones undoable with sound
// copies or marked pruned, the undone one undone; the game untouched.
void ExpectSoundRecords(const DemoInstall& demo) {
  for (const unsigned number : {1u, 2u, 3u}) {
    InstallRecord record;
    ASSERT_TRUE(ReadRecord(demo.game, number, record)) << number;
    if (number == 3) {
      EXPECT_EQ(record.state, RecordState::kUndone);
      continue;
    }
    EXPECT_EQ(record.state, RecordState::kComplete) << number;
    if (!record.pruned) {
      EXPECT_EQ(DamagedCopies(demo.game, record, AllCopies(record)), std::vector<std::string>{})
          << number;
    }
  }
  EXPECT_EQ(StateDifference(StateOf(demo.game), Scenario().game), "");
}

// A retry after a fault prunes everything there is.
void ExpectRetryPrunesAll(const DemoInstall& demo) {
  EXPECT_EQ(RunPrune(demo), "");
  for (const unsigned number : {1u, 2u, 3u}) {
    std::uint64_t manifest = 0;
    ASSERT_TRUE(FileSize(RecordFile(demo.game, number, kManifestFileName), manifest));
    EXPECT_EQ(RecordSize(demo.game, number), manifest) << number;
  }
  EXPECT_FALSE(HasTemporaryFiles(demo.game));
  EXPECT_EQ(StateDifference(StateOf(demo.game), Scenario().game), "");
}

class EveryFileOperationOfPruning : public ::testing::TestWithParam<bool> {};

TEST_P(EveryFileOperationOfPruning, LeavesEachRecordUndoableOrPrunedAndARetryFinishes) {
  const bool persist = GetParam();
  unsigned long n = 1;
  for (;; ++n) {
    DemoInstall demo(*Scenario().pattern);
    Arm(n, persist);
    const std::string message = RunPrune(demo);
    const bool failed = Disarm() > 0;
    SCOPED_TRACE("call " + std::to_string(n) + " failing: " + message);
    ExpectSoundRecords(demo);
    ExpectRetryPrunesAll(demo);
    if (!failed || HasFailure()) break;
  }
  EXPECT_GT(n, 5u) << "too few calls were failed";
}

INSTANTIATE_TEST_SUITE_P(Records, EveryFileOperationOfPruning, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "DeviceGone" : "OneCall");
                         });

#ifndef _WIN32
TEST(PruningKilled, AtEveryCallOfEitherFileLayer) {
  unsigned long n = 1;
  for (;; ++n) {
    DemoInstall demo(*Scenario().pattern);
    const int end = RunInChild([&] {
      ArmHook(n, KillSelf);
      return RunPrune(demo).empty() ? 0 : 3;
    });
    if (end == 0) break;
    SCOPED_TRACE("call " + std::to_string(n) + ", child ended with " + std::to_string(end));
    ASSERT_EQ(end, -SIGKILL);
    ExpectSoundRecords(demo);
    ExpectRetryPrunesAll(demo);
    if (HasFailure()) break;
  }
  EXPECT_GT(n, 5u) << "too few calls were reached";
}
#endif

}  // namespace
}  // namespace wrenfield
