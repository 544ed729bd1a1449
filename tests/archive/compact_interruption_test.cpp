// Compaction interrupted anywhere: by a read, write, sync, truncation, deletion
// or close failing once or from then on, or (on POSIX) by a crash. Once the
// archive is opened again every entry is whole with its name, size and place in
// the directory, whatever part of the compaction reached the disk; compacting
// again then ends in the archive an untroubled compaction makes.
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "change_fixture.h"

namespace tvtest {
namespace {

class CompactInterruptionTest : public ChangeTest {
 protected:
  void SetUp() override {
    ChangeTest::SetUp();
    outcome_ = Outcome(compaction_);
  }

  // The archive as the next open leaves it holds every entry whole; compacting
  // it again gives the untroubled outcome.
  void ExpectWholeThenFinished() {
    const Bytes reopened = Reopened();
    EXPECT_TRUE(SameEntries(compaction_.before, reopened));
    ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
    EXPECT_EQ(IMGCompact(nullptr, nullptr), TORVANE_OK);
    IMGClose();
    EXPECT_TRUE(SameBytes(ReadAll(archive_), outcome_));
  }

  Change compaction_{"compaction", HoleyArchive(), [] { return IMGCompact(nullptr, nullptr); },
                     TORVANE_OK};
  Bytes outcome_;
};

TEST_F(CompactInterruptionTest, AFailureAnywhereLeavesEveryEntryWholeAndTheLibraryGoesOn) {
  unsigned long n = 1;
  for (;; ++n) {
    SCOPED_TRACE("call " + std::to_string(n) + " failing");
    bool fired = false;
    const int status = Run(
        compaction_, [n] { fault::FailNth(kEveryCall, n); }, &fired);
    if (status == TORVANE_OK) {
      IMGClose();
      EXPECT_TRUE(SameBytes(ReadAll(archive_), outcome_));
    } else {
      EXPECT_EQ(status, TORVANE_IO_ERROR);
      // Rolled back at once: the library compacts on from there without
      // reopening, and a damaged entry would show in the outcome.
      EXPECT_EQ(IMGCompact(nullptr, nullptr), TORVANE_OK);
      IMGClose();
      EXPECT_TRUE(SameBytes(ReadAll(archive_), outcome_));
    }
    if (!fired || HasFailure()) break;
  }
  EXPECT_GE(n, 30u);  // three steps of journal, copies, records and commit, and the cut
}

TEST_F(CompactInterruptionTest, AfterPersistentFailuresTheNextOpenFindsEveryEntryWhole) {
  int refused = 0;
  for (unsigned long n = 1;; ++n) {
    SCOPED_TRACE("calls from " + std::to_string(n) + " on failing");
    bool fired = false;
    const int status = Run(
        compaction_, [n] { fault::FailNth(kEveryCall, n, true); }, &fired);
    if (status != TORVANE_OK) {
      EXPECT_EQ(status, TORVANE_IO_ERROR);
      // A rollback that failed too leaves the journal and a library that refuses.
      refused += IMGCompact(nullptr, nullptr) == TORVANE_NOT_OPEN;
    }
    IMGClose();
    ExpectWholeThenFinished();
    if (!fired || HasFailure()) break;
  }
  EXPECT_GT(refused, 0);
}

#ifndef _WIN32
void KillThisProcess() { ::kill(::getpid(), SIGKILL); }

// Compacts `before` in a child killed just before its nth call of the kinds
// in ops; whether it was killed.
bool KilledAt(const std::string& archive, const Bytes& before, unsigned ops, unsigned long n) {
  WriteAll(archive, before);
  const pid_t child = ::fork();
  if (child == 0) {
    if (IMGOpen(archive.c_str()) != TORVANE_OK) ::_exit(100);
    fault::HookNth(ops, n, KillThisProcess);
    ::_exit(IMGCompact(nullptr, nullptr));
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return true;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == TORVANE_OK);
  return false;
}

TEST_F(CompactInterruptionTest, AKilledCompactionLeavesEveryEntryWhole) {
  int partly_done = 0;
  for (unsigned long n = 1;; ++n) {
    SCOPED_TRACE("killed at call " + std::to_string(n));
    if (!KilledAt(archive_, compaction_.before, kEveryCall, n)) {
      EXPECT_TRUE(SameBytes(Reopened(), outcome_));
      break;
    }
    const Bytes left = ReadAll(archive_);
    partly_done += left != compaction_.before && left != outcome_;
    ExpectWholeThenFinished();
    if (HasFailure()) break;
  }
  EXPECT_GT(partly_done, 0);  // killed between two steps
}

// An entry moved one sector down over itself, larger than the copy buffer:
// killed between any two writes, its journal still fits the archive (every
// block of it old or new) and rolls it back whole.
TEST_F(CompactInterruptionTest, AKilledMoveOfALargeEntryOverItselfLeavesItWhole) {
  const Bytes before = BuildArchive({{2, 1200, "big.dff"}});
  WriteAll(archive_, before);
  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  ASSERT_EQ(IMGCompact(nullptr, nullptr), TORVANE_OK);
  IMGClose();
  const Bytes outcome = ReadAll(archive_);
  for (unsigned long n = 1;; ++n) {
    SCOPED_TRACE("killed at write " + std::to_string(n));
    if (!KilledAt(archive_, before, fault::kWrite, n)) break;
    EXPECT_TRUE(SameEntries(before, Reopened()));
    EXPECT_FALSE(Exists(journal_ + ".stale"));
    if (HasFailure()) break;
  }
  EXPECT_TRUE(SameBytes(Reopened(), outcome));
}
#endif

}  // namespace
}  // namespace tvtest
