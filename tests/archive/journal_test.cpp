// The rollback journal: what the next open does with a journal that a failed
// change left, with one that is incomplete or damaged, and with things that
// only look like one.
#include <filesystem>

#include "change_fixture.h"

namespace tvtest {
namespace {

using JournalTest = ChangeTest;

TEST_F(JournalTest, WhenEveryWriteFailsOnceTheJournalIsDurableTheNextOpenRollsBack) {
  for (const Change& change : changes_) {
    SCOPED_TRACE(change.what);
    int mixed = 0;
    for (unsigned long writes = 0;; ++writes) {
      SCOPED_TRACE(std::to_string(writes) + " writes made");
      bool fired = false;
      const int status = RunFailingWritesAfter(change, writes, &fired);
      if (!fired) {
        EXPECT_EQ(status, change.done);
        IMGClose();
        break;
      }
      EXPECT_EQ(status, TORVANE_IO_ERROR);
      // The rollback failed too: nothing may build on the archive now.
      EXPECT_EQ(IMGDelFile("car.dff"), TORVANE_NOT_OPEN);
      EXPECT_EQ(IMGExtractFile("car.dff", dir_.Path("out").c_str()), TORVANE_NOT_OPEN);
      IMGClose();
      EXPECT_TRUE(Exists(journal_));
      mixed += ReadAll(archive_) != change.before;
      EXPECT_TRUE(SameBytes(Reopened(), change.before));
      if (HasFailure()) break;
    }
    EXPECT_GT(mixed, 0);
  }
}

// A rollback cut off by a failure is left whole for the next open: writing
// the same bytes again is harmless.
TEST_F(JournalTest, ARollbackThatFailsIsLeftForTheNextOpen) {
  const Change& change = changes_[0];
  const auto [mixed, journal] = LeaveJournal(change, 1);
  int kept = 0;
  for (unsigned long n = 1;; ++n) {
    SCOPED_TRACE("call " + std::to_string(n) + " failing");
    WriteAll(archive_, mixed);
    WriteAll(journal_, journal);
    fault::FailNth(kEveryCall, n);
    const int status = IMGOpen(archive_.c_str());
    const bool fired = fault::Clear() > 0;
    IMGClose();
    if (status == TORVANE_OK) {
      // Rolled back and voided; a void journal that could not be deleted is
      // harmless and stays.
      if (Exists(journal_)) {
        EXPECT_EQ(ReadAll(journal_).substr(0, 8), Bytes(8, '\0'));
      }
      EXPECT_TRUE(SameBytes(ReadAll(archive_), change.before));
      if (!fired) break;
      continue;
    }
    // Failed while rolling back (the journal stays), or reading the
    // directory after it (the journal is done with).
    EXPECT_EQ(status, TORVANE_IO_ERROR);
    kept += Exists(journal_);
    EXPECT_TRUE(SameBytes(Reopened(), change.before));
    if (HasFailure()) break;
  }
  EXPECT_GT(kept, 0);
}

// Only a complete journal is rolled back: one cut short or changed anywhere
// was cut off while it was written (before the archive was touched), or void.
TEST_F(JournalTest, AnIncompleteOrDamagedJournalIsDeletedAndTheArchiveLeftAlone) {
  const Change& change = changes_[0];
  const auto [mixed, journal] = LeaveJournal(change, 1);
  ASSERT_NE(mixed, change.before);
  const std::size_t size = journal.size();
  ASSERT_GT(size, 40u * 2048);
  std::vector<Bytes> damaged;
  for (const std::size_t cut : {std::size_t{0}, std::size_t{7}, std::size_t{24}, std::size_t{40},
                                size / 2, size - 8, size - 1}) {
    damaged.push_back(journal.substr(0, cut));
  }
  for (const std::size_t at :
       {std::size_t{0}, std::size_t{8}, std::size_t{12}, std::size_t{16}, std::size_t{24},
        std::size_t{32}, std::size_t{40}, size / 2, size - 1}) {
    Bytes changed = journal;
    changed[at] = static_cast<char>(changed[at] ^ 0x04);
    damaged.push_back(changed);
  }
  damaged.push_back(Bytes(8, '\0') + journal.substr(8));  // void
  damaged.push_back(journal + Bytes(8, '\0'));
  for (std::size_t i = 0; i < damaged.size(); ++i) {
    SCOPED_TRACE("damaged journal " + std::to_string(i));
    WriteAll(archive_, mixed);
    WriteAll(journal_, damaged[i]);
    EXPECT_TRUE(SameBytes(Reopened(), mixed));
  }
  WriteAll(journal_, journal);  // whole again, it is rolled back
  EXPECT_TRUE(SameBytes(Reopened(), change.before));
}

// Held first, journal second: an archive another program holds is not opened
// and its journal not touched; nor is a journal beside a file that is no
// archive. Nothing Torvane writes takes the journal's name.
TEST_F(JournalTest, AJournalIsTouchedOnlyBesideAnArchiveTorvaneHolds) {
  const Change& change = changes_[0];
  const auto [mixed, journal] = LeaveJournal(change, 1);
  WriteAll(archive_, mixed);
  WriteAll(journal_, journal);
  {
    OtherOpener other(archive_);
    ASSERT_TRUE(other.IsHeld());
    EXPECT_EQ(IMGOpen(archive_.c_str()), TORVANE_CANNOT_OPEN);
    IMGClose();
  }
  EXPECT_EQ(ReadAll(journal_), journal);
  EXPECT_EQ(ReadAll(archive_), mixed);

  const std::string text = dir_.Write("notes.txt", Pattern(100, 5));
  WriteAll(text + "-journal", journal);
  EXPECT_EQ(IMGOpen(text.c_str()), TORVANE_NOT_IMG);
  IMGClose();
  EXPECT_EQ(ReadAll(text + "-journal"), journal);

  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  EXPECT_EQ(IMGExtractFile("car.dff", journal_.c_str()), TORVANE_CANNOT_OPEN);
  IMGClose();
  EXPECT_FALSE(Exists(journal_));
  EXPECT_TRUE(SameBytes(ReadAll(archive_), change.before));
}

TEST_F(JournalTest, WhereNoJournalCanBeCreatedEveryChangeFailsBeforeWriting) {
  const Change& change = changes_[0];
  WriteAll(archive_, change.before);
  MakeDir(journal_);
  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  for (const Change& each : changes_) {
    if (each.before == change.before) {
      EXPECT_EQ(each.call(), TORVANE_IO_ERROR) << each.what;
    }
  }
  EXPECT_EQ(IMGDelFile("car.dff"), TORVANE_IO_ERROR);
  const std::string out = dir_.Path("out.bin");
  EXPECT_EQ(IMGExtractFile("car.txd", out.c_str()), TORVANE_OK);
  EXPECT_TRUE(SameBytes(ReadAll(out), SectorsOf(change.before, 41, 1)));
  IMGClose();
  EXPECT_TRUE(SameBytes(ReadAll(archive_), change.before));
  EXPECT_TRUE(std::filesystem::is_directory(journal_));
}

}  // namespace
}  // namespace tvtest
