// Every write, sync, rename, truncation, deletion and close of an installation
// and of an undo fails in turn, in Wrenfield's file layer and in Torvane's,
// either once or (as when the device is gone) from there on, through the
// layers' seams (the same on every platform). Afterwards, and at the latest
// after the recovery, the data files and the archive's entries are, taken
// together, as before the installation or as after it; a retry succeeds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "error_of.h"
#include "install_undo.h"
#include "interruption_support.h"
#include "messages.h"
#include "readable_text.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

enum class Work { kInstall, kUndo };

struct Interruption {
  Work work;
  bool persist;
};

std::string Undo(const std::string& game) {
  return ErrorOf([&] { UndoInstall(game, 0, false); });
}

std::string Label(const ::testing::TestParamInfo<Interruption>& info) {
  return std::string(info.param.work == Work::kInstall ? "Install" : "Undo") +
         (info.param.persist ? "DeviceGone" : "OneCall");
}

class EveryFileOperation : public ::testing::TestWithParam<Interruption> {
 protected:
  // The work with the nth call failing; its message, and whether the seam failed any call.
  std::string RunFailing(const DemoInstall& demo, unsigned long nth, bool& failed) {
    const Interruption& c = GetParam();
    Arm(nth, c.persist);
    RecordingProgress progress;
    const std::string message =
        c.work == Work::kInstall ? Install(demo, progress) : Undo(demo.game);
    failed = Disarm() > 0;
    return message;
  }

  // The state the work leads to, and the one it starts from.
  const GameState& Goal() const {
    return GetParam().work == Work::kInstall ? StateAfterInstall() : StateBeforeInstall();
  }
  const GameState& Start() const {
    return GetParam().work == Work::kInstall ? StateBeforeInstall() : StateAfterInstall();
  }

  // After the recovery the game is at the start or at the goal; a retry reaches the goal.
  void ExpectRecoveryAndRetry(const DemoInstall& demo) {
    std::vector<std::string> recovered;
    EXPECT_TRUE(RecoverInterruptedInstalls(demo.game, recovered));
    const GameState state = StateOf(demo.game);
    EXPECT_EQ(NeitherBeforeNorAfter(state), "");
    EXPECT_EQ(BackupsNotStockCopies(demo), "");
    EXPECT_FALSE(HasTemporaryFiles(demo.game));
    if (StateDifference(state, Goal()).empty()) return;
    RecordingProgress progress;
    EXPECT_EQ(GetParam().work == Work::kInstall ? Install(demo, progress) : Undo(demo.game), "");
    EXPECT_EQ(StateDifference(StateOf(demo.game), Goal()), "");
  }
};

TEST_P(EveryFileOperation, FailingLeavesTheGameAsBeforeOrAfterAndARetrySucceeds) {
  const Interruption& c = GetParam();
  unsigned long n = 1;
  for (;; ++n) {
    const auto fresh = FreshDemo();
    const DemoInstall& demo = *fresh;
    if (c.work == Work::kUndo) {
      RecordingProgress progress;
      ASSERT_EQ(Install(demo, progress), "");
    }
    bool failed = false;
    const std::string message = RunFailing(demo, n, failed);
    SCOPED_TRACE("call " + std::to_string(n) + " failing: " + message);
    // A failed write or sync is said as such, never as damage of the archive.
    EXPECT_EQ(Readable(message).find("повреждён: данные записи"), std::string::npos);
    if (!failed || message.empty()) {  // past the last call, or a failed close that loses nothing
      EXPECT_EQ(message, "");
      EXPECT_EQ(StateDifference(StateOf(demo.game), Goal()), "");
      if (!failed) break;
      continue;
    }
    // A failure the installation can write after is rolled back at once.
    if (c.work == Work::kInstall && !c.persist) {
      EXPECT_EQ(StateDifference(StateOf(demo.game), Start()), "");
    }
    ExpectRecoveryAndRetry(demo);
    if (HasFailure()) break;
  }
  EXPECT_GT(n, 22u) << "too few calls were failed";
}

INSTANTIATE_TEST_SUITE_P(Interruptions, EveryFileOperation,
                         ::testing::Values(Interruption{Work::kInstall, false},
                                           Interruption{Work::kInstall, true},
                                           Interruption{Work::kUndo, false},
                                           Interruption{Work::kUndo, true}),
                         Label);

}  // namespace
}  // namespace wrenfield
