// IMGCompact: the holes closed with every entry's bytes, name and place in the
// directory kept; progress and a stop request; archives it refuses; and an
// archive grown by many installs and undos brought back to a fresh one's length.
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
  const std::vector<std::uint32_t> offsets = {41, 200, 1, 43, 44};
  for (std::size_t i = 0; i < offsets.size(); ++i) EXPECT_EQ(RecordAt(after, i).offset, offsets[i]);
  EXPECT_EQ(Slice(after, 0, 2048), Slice(before, 0, 2048).replace(8, 5 * 32, Slice(after, 8, 160)));

  ASSERT_FALSE(progress.calls.empty());
  const unsigned long long total = 46 * kSector;
  for (std::size_t i = 0; i < progress.calls.size(); ++i) {
    EXPECT_EQ(progress.calls[i].total, total);
    if (i > 0) EXPECT_GE(progress.calls[i].moved, progress.calls[i - 1].moved);
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
  for (const auto& [image, refusal] :
       {std::pair{BuildArchive({{5, 1, "a"}, {0, 1, "header"}}, 8 * kSector), TORVANE_BAD_ARCHIVE},
        std::pair{past_end, TORVANE_IO_ERROR}}) {
    Start(image);
    EXPECT_EQ(IMGCompact(nullptr, nullptr), refusal);
    EXPECT_TRUE(SameBytes(Finish(), image));
  }
}

// Each install replaces two entries with larger files (to the end) and adds
// one; each undo puts the stock files back and deletes the added one, as the
// installer's records do.
TEST_F(CompactTest, AfterFiftyInstallsAndUndosItIsAsLongAsAFreshArchive) {
  std::vector<Record> records;
  for (std::uint32_t i = 0; i < 12; ++i)
    records.push_back({1 + 3 * i, 3, "stock" + std::to_string(i)});
  records[4].name = "car.dff";
  records[7].name = "car.txd";
  const Bytes fresh = BuildArchive(records);
  const std::string stock_dff = dir_.Write("stock.dff", SectorsOf(fresh, 13, 3));
  const std::string stock_txd = dir_.Write("stock.txd", SectorsOf(fresh, 22, 3));
  Start(fresh);
  for (unsigned cycle = 0; cycle < 50; ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    const std::string dff = dir_.Write("car.dff", Pattern((4 + cycle % 3) * kSector - 5, cycle));
    const std::string txd = dir_.Write("car.txd", Pattern(7000 + cycle, 100 + cycle));
    const std::string extra = dir_.Write("extra.dff", Pattern(3000, 200 + cycle));
    ASSERT_EQ(IMGAddFile(dff.c_str(), nullptr, 1), TORVANE_OK);
    ASSERT_EQ(IMGAddFile(txd.c_str(), nullptr, 1), TORVANE_OK);
    ASSERT_EQ(IMGAddFile(extra.c_str(), nullptr, 1), TORVANE_OK);
    ASSERT_EQ(IMGAddFile(stock_dff.c_str(), "car.dff", 1), TORVANE_OK);
    ASSERT_EQ(IMGAddFile(stock_txd.c_str(), "car.txd", 1), TORVANE_OK);
    ASSERT_EQ(IMGDelFile("extra.dff"), TORVANE_DELETED);
  }
  const Bytes grown = Finish();
  ASSERT_GT(grown.size(), 10 * fresh.size());
  Start(grown);
  EXPECT_EQ(IMGCompact(nullptr, nullptr), TORVANE_OK);
  const Bytes compacted = Finish();
  EXPECT_EQ(compacted.size(), fresh.size());
  EXPECT_TRUE(SameEntries(fresh, compacted));
}

}  // namespace
}  // namespace tvtest
