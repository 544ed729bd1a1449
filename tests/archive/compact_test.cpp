// IMGCompact: the holes closed with every entry's bytes, name and place in the
// directory kept; progress and a stop request; archives it refuses. (Many
// installs and undos, then compaction: tests/install/install_compact_test.cpp.)
#include <vector>

#include "archive_fixture.h"

namespace tvtest {
namespace {

struct Call {
  unsigned long long moved, total;
};

// Records every progress call; asks to stop from call `stop_at` on (0: never).
struct Progress {
  std::vector<Call> calls;
  std::size_t stop_at = 0;

  static int TORVANE_CALL Record(unsigned long long moved, unsigned long long total,
                                 void* context) {
    auto* self = static_cast<Progress*>(context);
    self->calls.push_back({moved, total});
    return self->stop_at != 0 && self->calls.size() >= self->stop_at ? 1 : 0;
  }
};

using CompactTest = OpenArchiveTest;

TEST_F(CompactTest, ClosesEveryHoleKeepingEachEntryAndTheDirectoryOrder) {
  const Bytes before = Start(HoleyArchive());
  Progress progress;
  EXPECT_EQ(IMGCompact(&Progress::Record, &progress), TORVANE_OK);
  const Bytes after = Finish();
  EXPECT_EQ(after.size(), kHoleyCompactedSectors * kSector);
  EXPECT_TRUE(SameEntries(before, after));
  // Packed after the directory's sector in the order of the data; the empty
  // entry, which occupies nothing, keeps its offset.
  const std::vector<std::uint32_t> offsets = {45, 200, 5, 1, 2};
  for (std::size_t i = 0; i < offsets.size(); ++i) EXPECT_EQ(RecordAt(after, i).offset, offsets[i]);
  EXPECT_EQ(Slice(after, 0, 2048), Slice(before, 0, 2048).replace(8, 5 * 32, Slice(after, 8, 160)));

  ASSERT_FALSE(progress.calls.empty());
  const unsigned long long total = 46 * kSector;
  for (std::size_t i = 0; i < progress.calls.size(); ++i) {
    EXPECT_EQ(progress.calls[i].total, total);
    if (i > 0) {
      EXPECT_GE(progress.calls[i].moved, progress.calls[i - 1].moved);
    }
  }
  EXPECT_EQ(progress.calls.back().moved, total);

  // Nothing is left to do: the archive stays byte for byte, and the one
  // progress call says so.
  Start(after);
  Progress again;
  EXPECT_EQ(IMGCompact(&Progress::Record, &again), TORVANE_OK);
  EXPECT_TRUE(SameBytes(Finish(), after));
  ASSERT_EQ(again.calls.size(), 1u);
  EXPECT_EQ(again.calls[0].moved, 0u);
  EXPECT_EQ(again.calls[0].total, 0u);
}

// Moved one sector down, the entry overwrites all but one sector of itself,
// through several rounds of the copy buffer.
TEST_F(CompactTest, AnEntryLargerThanTheHoleBeforeItAndTheBufferMovesWhole) {
  const Bytes before = Start(BuildArchive({{2, 1200, "big.dff"}}));
  EXPECT_EQ(IMGCompact(nullptr, nullptr), TORVANE_OK);
  const Bytes after = Finish();
  EXPECT_EQ(after.size(), 1201 * kSector);
  EXPECT_EQ(RecordAt(after, 0).offset, 1u);
  EXPECT_TRUE(SameEntries(before, after));
}

TEST_F(CompactTest, AStopRequestEndsItAfterAStepAndCompactingAgainFinishes) {
  const Bytes before = Start(HoleyArchive());
  EXPECT_EQ(IMGCompact(nullptr, nullptr), TORVANE_OK);
  const Bytes outcome = Finish();

  Start(before);
  Progress stop;
  stop.stop_at = 1;
  EXPECT_EQ(IMGCompact(&Progress::Record, &stop), TORVANE_STOPPED);
  ASSERT_EQ(stop.calls.size(), 1u);  // asked once, after the first step
  EXPECT_LT(stop.calls[0].moved, stop.calls[0].total);
  const Bytes stopped = Finish();
  EXPECT_TRUE(SameEntries(before, stopped));
  EXPECT_EQ(stopped.size(), before.size());
  EXPECT_FALSE(SameBytes(stopped, before));

  Start(stopped);
  EXPECT_EQ(IMGCompact(nullptr, nullptr), TORVANE_OK);
  EXPECT_TRUE(SameBytes(Finish(), outcome));
}

TEST_F(CompactTest, RefusesWhatItCannotMoveWithoutTouchingTheArchive) {
  EXPECT_EQ(IMGCompact(nullptr, nullptr), TORVANE_NOT_OPEN);
  // Data inside the directory, and data past the archive's end.
  Bytes past_end = BuildArchive({{5, 1, "a"}, {7, 4, "long"}});
  past_end.resize(9 * kSector);
  // Both at once: the directory is named, whichever record comes first.
  Bytes both = BuildArchive({{7, 4, "long"}, {0, 1, "header"}});
  both.resize(9 * kSector);
  for (const auto& [image, refusal] :
       {std::pair{BuildArchive({{5, 1, "a"}, {0, 1, "header"}}, 8 * kSector), TORVANE_BAD_ARCHIVE},
        std::pair{past_end, TORVANE_IO_ERROR}, std::pair{both, TORVANE_BAD_ARCHIVE}}) {
    Start(image);
    EXPECT_EQ(IMGCompact(nullptr, nullptr), refusal);
    EXPECT_TRUE(SameBytes(Finish(), image));
  }
}

}  // namespace
}  // namespace tvtest
