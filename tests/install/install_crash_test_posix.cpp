// An installation and an undo killed at each write, sync, rename, truncation,
// deletion and close of either file layer, in a forked child: the recovery
// (the next installation, undo, history or start of the window) leaves the
// data files and the archive's entries, taken together, as before the
// installation or as after it, says once what it did, and a retry succeeds.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "archive_image.h"
#include "archive_layout.h"
#include "child_process_posix.h"
#include "error.h"
#include "file_system.h"
#include "install_undo.h"
#include "interruption_support.h"
#include "torvane.h"

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

// A directory of 62 records ends just before the first data sector; z.dff
// begins there and runs far past the archive's end. An `img add` of a large
// file, killed once its data is written (past where z.dff ends) and before
// the count is, leaves a journal and a longer file in which z.dff looks whole.
// The installation's two additions push the directory into z.dff's sector:
// only the archive rolled back shows that the second would have to move an
// entry it cannot read, and the installation refuses before changing anything.
TEST(InstallAfterKilledArchiveChange, ChecksTheArchiveAsTheJournalLeavesIt) {
  const auto fresh = FreshDemo();
  DemoInstall& demo = *fresh;
  std::vector<Record> records;
  for (int i = 0; i < 61; ++i) records.push_back({0, 0, "e" + std::to_string(i) + ".dff"});
  records.push_back({1, 100, "z.dff"});
  Bytes image = BuildArchive(records);
  image.resize(img::kSectorSize);
  const std::string large = demo.dir.Write("large.dff", Pattern(300 * img::kSectorSize, 3));
  const std::string archive = demo.archive();
  const std::string journal = archive + "-journal";
  bool interrupted = false;
  for (unsigned long n = 1; !interrupted; ++n) {
    WriteAll(archive, image);
    const int end = RunInChild([&] {
      ArmHook(n, KillSelf);  // only the library writes here
      if (IMGOpen(archive.c_str()) != TORVANE_OK) return 1;
      return IMGAddFile(large.c_str(), "large.dff", 1) == TORVANE_OK ? 0 : 1;
    });
    ASSERT_EQ(end, -SIGKILL) << "the change ran to its end before the state looked for";
    const Bytes left = ReadAll(archive);
    interrupted = Exists(journal) && CountOf(left) == 62 && left.size() > 101 * img::kSectorSize;
  }
  WriteAll(JoinPath(demo.mod, "newcar.dff"), "part");
  demo.fields.DFF = JoinPath(demo.mod, "newcar.dff");
  RecordingProgress progress;
  EXPECT_EQ(Install(demo, progress), DamagedEntryMessage(archive, "z.dff"));
  EXPECT_TRUE(ReadAll(archive) == image);  // rolled back, and nothing written since
  EXPECT_FALSE(Exists(journal));
}

}  // namespace
}  // namespace wrenfield
