// Every change of the archive is atomic and durable: a failure at any read,
// write, sync, truncation, deletion or close, or (on POSIX) a crash there,
// leaves the archive byte for byte as it was or as the change makes it, never
// in between. A reported success means the new archive; a reported failure the
// old one, at once and without reopening when the call could roll back itself.
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "change_fixture.h"

namespace tvtest {
namespace {

using AtomicChangeTest = ChangeTest;

TEST_F(AtomicChangeTest, AFailureAnywhereLeavesTheOldArchiveAndSuccessTheNew) {
  for (const Change& change : changes_) {
    SCOPED_TRACE(change.what);
    const Bytes after = Outcome(change);
    unsigned long n = 1;
    for (;; ++n) {
      SCOPED_TRACE("call " + std::to_string(n) + " failing");
      bool fired = false;
      const int status = Run(
          change, [n] { fault::FailNth(kEveryCall, n); }, &fired);
      IMGClose();
      if (status != change.done) {
        EXPECT_EQ(status, TORVANE_IO_ERROR);
      }
      const Bytes& expected = status == change.done ? after : change.before;
      EXPECT_TRUE(SameBytes(ReadAll(archive_), expected));  // before any reopen
      EXPECT_TRUE(SameBytes(Reopened(), expected));
      if (!fired || HasFailure()) break;
    }
    EXPECT_GE(n, 12u);  // reads, journal, data, records, syncs, commit
  }
}

// When the rollback fails too, the journal stays and the library refuses every
// entry operation: the next open rolls back. A library that could roll back
// goes on from the old directory.
TEST_F(AtomicChangeTest, AfterPersistentFailuresTheNextOpenFindsTheOldArchiveOrTheNew) {
  for (const Change& change : changes_) {
    SCOPED_TRACE(change.what);
    const Bytes after = Outcome(change);
    int refused = 0;
    for (unsigned long n = 1;; ++n) {
      SCOPED_TRACE("calls from " + std::to_string(n) + " on failing");
      bool fired = false;
      const int status = Run(
          change, [n] { fault::FailNth(kEveryCall, n, true); }, &fired);
      if (status == change.done) {
        IMGClose();
        EXPECT_TRUE(SameBytes(Reopened(), after));
        if (!fired) break;
        continue;
      }
      EXPECT_EQ(status, TORVANE_IO_ERROR);
      const int again = change.call();
      IMGClose();
      const Bytes reopened = Reopened();
      if (again == change.done) {
        EXPECT_TRUE(SameBytes(reopened, after));
      } else {
        EXPECT_EQ(again, TORVANE_NOT_OPEN);
        EXPECT_TRUE(reopened == change.before || reopened == after);
        ++refused;
      }
      if (HasFailure()) break;
    }
    EXPECT_GT(refused, 0);
  }
}

TEST_F(AtomicChangeTest, AFailedExtractionLeavesNoOutputAndTheArchiveAlone) {
  const Bytes image = changes_[0].before;
  const std::string out = dir_.Path("out.bin");
  for (unsigned long n = 1;; ++n) {
    SCOPED_TRACE("call " + std::to_string(n) + " failing");
    WriteAll(out, "older");
    WriteAll(archive_, image);
    ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
    fault::FailNth(kEveryCall, n);
    const int status = IMGExtractFile("car.dff", out.c_str());
    const bool fired = fault::Clear() > 0;
    IMGClose();
    EXPECT_TRUE(SameBytes(ReadAll(archive_), image));
    if (status == TORVANE_OK) {
      EXPECT_TRUE(SameBytes(ReadAll(out), SectorsOf(image, 1, 40)));
    } else {
      EXPECT_EQ(status, TORVANE_IO_ERROR);
      EXPECT_FALSE(Exists(out));
    }
    if (!fired || HasFailure()) break;
  }
}

#ifndef _WIN32
void KillThisProcess() { ::kill(::getpid(), SIGKILL); }

constexpr int kKilled = -1;

// Runs the change in a child that is killed just before its nth call of the
// seam's kinds; the call's status, or kKilled.
int RunInChildKilledAt(const std::string& archive, const Change& change, unsigned long n) {
  WriteAll(archive, change.before);
  const pid_t child = ::fork();
  if (child == 0) {
    if (IMGOpen(archive.c_str()) != TORVANE_OK) ::_exit(100);
    fault::HookNth(kEveryCall, n, KillThisProcess);
    ::_exit(change.call());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return kKilled;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

TEST_F(AtomicChangeTest, AKilledChangeLeavesTheOldArchiveOrTheNew) {
  for (const Change& change : changes_) {
    SCOPED_TRACE(change.what);
    const Bytes after = Outcome(change);
    int old_kept = 0, new_kept = 0;
    for (unsigned long n = 1;; ++n) {
      SCOPED_TRACE("killed at call " + std::to_string(n));
      const int status = RunInChildKilledAt(archive_, change, n);
      const Bytes reopened = Reopened();
      if (status != kKilled) {
        EXPECT_EQ(status, change.done);
        EXPECT_TRUE(SameBytes(reopened, after));
        break;
      }
      old_kept += reopened == change.before;
      new_kept += reopened == after;
      EXPECT_TRUE(reopened == change.before || reopened == after);
      if (HasFailure()) break;
    }
    EXPECT_GT(old_kept, 0);
    EXPECT_GT(new_kept, 0);  // killed after the commit point
  }
}
#endif

}  // namespace
}  // namespace tvtest
