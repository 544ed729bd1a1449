// An installation and an undo killed at each write, sync, rename, truncation,
// deletion and close of either file layer, in a forked child: the recovery
// (the next installation, undo, history or start of the window) leaves the
// data files and the archive's entries, taken together, as before the
// installation or as after it, says once what it did, and a retry succeeds.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "child_process_posix.h"
#include "error.h"
#include "install_undo.h"
#include "interruption_support.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

enum class Work { kInstall, kUndo };

constexpr int kFinished = 0, kFailed = 3;

// Runs the work in a child that dies at the layer's nth call; kFinished when
// no call was reached, or minus the signal that ended it.
int KilledAt(const DemoInstall& demo, Work work, unsigned long nth) {
  return RunInChild([&] {
    ArmHook(nth, KillSelf);
    if (work == Work::kInstall) {
      RecordingProgress progress;
      return Install(demo, progress).empty() ? kFinished : kFailed;
    }
    try {
      UndoInstall(demo.game, 0, false);
    } catch (const Error&) {
      return kFailed;
    }
    return kFinished;
  });
}

void ExpectKillsRecovered(Work work) {
  const GameState& goal = work == Work::kInstall ? StateAfterInstall() : StateBeforeInstall();
  unsigned long n = 1;
  for (;; ++n) {
    const auto fresh = FreshDemo();
    const DemoInstall& demo = *fresh;
    if (work == Work::kUndo) {
      RecordingProgress progress;
      ASSERT_EQ(Install(demo, progress), "");
    }
    const int end = KilledAt(demo, work, n);
    if (end == kFinished) break;
    SCOPED_TRACE("call " + std::to_string(n) + ", child ended with " + std::to_string(end));
    ASSERT_EQ(end, -SIGKILL);

    // The next installation, undo or history starts with this.
    std::vector<std::string> recovered;
    EXPECT_TRUE(RecoverInterruptedInstalls(demo.game, recovered));
    EXPECT_LE(recovered.size(), 1u);
    const GameState state = StateOf(demo.game);
    EXPECT_EQ(NeitherBeforeNorAfter(state), "");
    EXPECT_FALSE(HasTemporaryFiles(demo.game));
    std::vector<std::string> again;  // told once only
    EXPECT_TRUE(RecoverInterruptedInstalls(demo.game, again));
    EXPECT_TRUE(again.empty());

    if (!StateDifference(state, goal).empty()) {
      RecordingProgress progress;
      if (work == Work::kInstall) {
        EXPECT_EQ(Install(demo, progress), "");
      } else {
        EXPECT_NO_THROW(UndoInstall(demo.game, 0, false));
      }
      EXPECT_EQ(StateDifference(StateOf(demo.game), goal), "");
    }
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(n, 22u) << "too few calls were reached";
}

TEST(InstallKilled, AtEveryCallOfEitherFileLayer) { ExpectKillsRecovered(Work::kInstall); }

TEST(UndoKilled, AtEveryCallOfEitherFileLayer) { ExpectKillsRecovered(Work::kUndo); }

}  // namespace
}  // namespace wrenfield
