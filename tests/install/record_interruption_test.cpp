// The recovery of an interrupted installation whose handling.cfg the player
// has added a line to since, and a forced undo that has to undo a later
// installation first, each with every write, sync, rename, truncation,
// deletion and close failing in turn in either file layer, once or from there
// on, and (on POSIX) killed at each of them. After any fault every data file
// and entry is at a state the records know, the player's line is intact, the
// failure is never reported as damage, and a clean recovery and a retry reach
// the goal.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "error.h"
#include "install_record.h"
#include "install_undo.h"
#include "interruption_support.h"
#include "messages.h"
#include "readable_text.h"

#ifndef _WIN32
#include <csignal>

#include "child_process_posix.h"
#endif

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

enum class Work { kRecoverChanged, kForcedUndo };

constexpr char kPlayerLine[] = "PLAYER 1.0 2.0 3.0\r\n";

// A game to start from, copied for every run, with the states its data files
// and entries may be at on the way, and the goal.
struct Scenario {
  std::unique_ptr<DemoInstall> pattern;
  std::vector<GameState> known;
  GameState goal;
};

// The demo installation, interrupted after its last change; then the player
// added a line to handling.cfg. The goal keeps that line.
Scenario RecoverChangedScenario() {
  Scenario scenario{FreshDemo(), {}, StateBeforeInstall()};
  const DemoInstall& demo = *scenario.pattern;
  RecordingProgress progress;
  EXPECT_EQ(Install(demo, progress), "");
  MarkInterrupted(demo.game, 1);
  WriteAll(demo.data("handling.cfg"), ReadAll(demo.data("handling.cfg")) + kPlayerLine);
  scenario.goal.dataFiles["handling.cfg"] += kPlayerLine;
  scenario.known = {StateOf(demo.game), scenario.goal};
  return scenario;
}

// The demo installation, then the same vehicle again; the goal is the game
// before both.
Scenario ForcedUndoScenario() {
  Scenario scenario{FreshDemo(), {StateBeforeInstall()}, StateBeforeInstall()};
  const DemoInstall& demo = *scenario.pattern;
  const TInstallFields again = OtherVehicleFields(demo, "monster", "MONSTER", 1);
  RecordingProgress progress;
  EXPECT_EQ(Install(demo, progress), "");
  scenario.known.push_back(StateOf(demo.game));
  EXPECT_EQ(Install(demo.game, again, "MONSTER", progress), "");
  scenario.known.push_back(StateOf(demo.game));
  return scenario;
}

const Scenario& ScenarioOf(Work work) {
  static const Scenario recoverChanged = RecoverChangedScenario();
  static const Scenario forcedUndo = ForcedUndoScenario();
  return work == Work::kRecoverChanged ? recoverChanged : forcedUndo;
}

// The work; "" when it went through, otherwise its message.
std::string RunWork(Work work, const DemoInstall& demo) {
  if (work == Work::kForcedUndo) {
    const std::string message = UndoMessage(demo.game, 1, true);
    return message.rfind("refused: ", 0) == 0 ? message : "";
  }
  try {
    std::vector<std::string> messages;
    RecoverInterruptedInstalls(demo.game, messages);
  } catch (const Error& e) {
    return e.message();
  }
  return "";
}

std::vector<const GameState*> KnownStates(const Scenario& scenario) {
  std::vector<const GameState*> known;
  for (const GameState& state : scenario.known) known.push_back(&state);
  return known;
}

// After a fault: every item at a known state; after a clean recovery too,
// and a retry (when the work is still to do) reaches the goal.
void ExpectRecoveredToGoal(Work work, const DemoInstall& demo) {
  const Scenario& scenario = ScenarioOf(work);
  EXPECT_EQ(ItemsNotAtAnyOf(StateOf(demo.game), KnownStates(scenario)), "");
  std::vector<std::string> recovered;
  EXPECT_NO_THROW(RecoverInterruptedInstalls(demo.game, recovered));
  EXPECT_EQ(ItemsNotAtAnyOf(StateOf(demo.game), KnownStates(scenario)), "");
  EXPECT_FALSE(HasTemporaryFiles(demo.game));
  InstallRecord first;
  if (work == Work::kForcedUndo && ReadRecord(demo.game, 1, first) &&
      first.state == RecordState::kComplete) {
    EXPECT_EQ(RunWork(work, demo), "");
  }
  EXPECT_EQ(StateDifference(StateOf(demo.game), scenario.goal), "");
}

struct Interruption {
  Work work;
  bool persist;
};

std::string Label(const ::testing::TestParamInfo<Interruption>& info) {
  return std::string(info.param.work == Work::kRecoverChanged ? "RecoveryMeetingAChange"
                                                              : "ForcedUndoOfTwo") +
         (info.param.persist ? "DeviceGone" : "OneCall");
}

class EveryFileOperationOfRecords : public ::testing::TestWithParam<Interruption> {};

TEST_P(EveryFileOperationOfRecords, LeavesEveryItemAtARecordedStateAndTheGoalIsReached) {
  const Interruption& c = GetParam();
  unsigned long n = 1;
  for (;; ++n) {
    DemoInstall demo(*ScenarioOf(c.work).pattern);
    Arm(n, c.persist);
    const std::string message = RunWork(c.work, demo);
    const bool failed = Disarm() > 0;
    SCOPED_TRACE("call " + std::to_string(n) + " failing: " + message);
    EXPECT_EQ(Readable(message).find("повреждён: данные записи"), std::string::npos);
    if (!failed) {
      EXPECT_EQ(message, "");
      EXPECT_EQ(StateDifference(StateOf(demo.game), ScenarioOf(c.work).goal), "");
      break;
    }
    ExpectRecoveredToGoal(c.work, demo);
    if (HasFailure()) break;
  }
  EXPECT_GT(n, 12u) << "too few calls were failed";
}

INSTANTIATE_TEST_SUITE_P(Records, EveryFileOperationOfRecords,
                         ::testing::Values(Interruption{Work::kRecoverChanged, false},
                                           Interruption{Work::kRecoverChanged, true},
                                           Interruption{Work::kForcedUndo, false},
                                           Interruption{Work::kForcedUndo, true}),
                         Label);

#ifndef _WIN32
void ExpectKillsRecovered(Work work) {
  unsigned long n = 1;
  for (;; ++n) {
    DemoInstall demo(*ScenarioOf(work).pattern);
    const int end = RunInChild([&] {
      ArmHook(n, KillSelf);
      return RunWork(work, demo).empty() ? 0 : 3;
    });
    if (end == 0) break;
    SCOPED_TRACE("call " + std::to_string(n) + ", child ended with " + std::to_string(end));
    ASSERT_EQ(end, -SIGKILL);
    ExpectRecoveredToGoal(work, demo);
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(n, 12u) << "too few calls were reached";
}

TEST(RecoveryMeetingAChangeKilled, AtEveryCallOfEitherFileLayer) {
  ExpectKillsRecovered(Work::kRecoverChanged);
}

TEST(ForcedUndoOfTwoKilled, AtEveryCallOfEitherFileLayer) {
  ExpectKillsRecovered(Work::kForcedUndo);
}
#endif

}  // namespace
}  // namespace wrenfield
