// Failures of the disk must come back as 16, never as success, and must leave
// nothing lost: each change runs again and again with its first, second, third
// ... write failing (through the file layer's test seam), until it runs through.
#include <functional>

#include "archive_fixture.h"
#include "fault_seam.h"

namespace tvtest {
namespace {

namespace fault = torvane::fault;

class WriteFailureTest : public ArchiveTest {
 protected:
  std::string archive_ = dir_.Path("test.img");
  std::string file_ = dir_.Path("new.dff");
  void SetUp() override {
    ArchiveTest::SetUp();
    WriteAll(file_, Pattern(5000, 1));
  }
  void TearDown() override {
    fault::Clear();
    ArchiveTest::TearDown();
  }

  // For n = 1, 2, ...: writes the image, opens it, runs op with the n-th call of
  // the kinds in `ops` failing and closes; `check` sees op's status, whether the
  // seam failed a call, and the archive then. Stops once op runs through.
  void EveryFailure(const Bytes& image, unsigned ops, const std::function<int()>& op,
                    const std::function<void(int, bool, const Bytes&)>& check) {
    for (unsigned long n = 1;; ++n) {
      WriteAll(archive_, image);
      ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
      fault::FailNth(ops, n);
      const int status = op();
      const bool failed = fault::Clear() > 0;
      IMGClose();
      SCOPED_TRACE("call " + std::to_string(n) + " failing");
      check(status, failed, ReadAll(archive_));
      if (!failed || ::testing::Test::HasFailure()) return;
    }
  }
};

// The entries' records and data as they were, wherever a record now points.
void ExpectEntriesKept(const Bytes& before, const Bytes& after) {
  const std::vector<Record> records = DirectoryOf(before);
  ASSERT_EQ(CountOf(after), static_cast<std::int32_t>(records.size()));
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record now = RecordAt(after, i);
    EXPECT_EQ(now.name, records[i].name);
    EXPECT_EQ(now.size, records[i].size);
    EXPECT_TRUE(SameBytes(SectorsOf(after, now.offset, now.size),
                          SectorsOf(before, records[i].offset, records[i].size)))
        << records[i].name;
  }
}

TEST_F(WriteFailureTest, AddingOrReplacingWithAFailedWriteReturns16AndLosesNothing) {
  const Bytes image = BuildArchive({{1, 2, "car.dff"}, {3, 1, "car.txd"}});
  for (const char* name : {"new.dff", "car.txd"}) {
    EveryFailure(
        image, fault::kWrite, [&] { return IMGAddFile(file_.c_str(), name, 1); },
        [&](int status, bool failed, const Bytes& after) {
          EXPECT_EQ(status, failed ? TORVANE_IO_ERROR : TORVANE_OK);
          if (failed) ExpectEntriesKept(image, after);
        });
  }
}

TEST_F(WriteFailureTest, MakingRoomWithAFailedWriteKeepsTheMovedEntry) {
  std::vector<Record> records;
  for (int i = 0; i < 63; ++i) records.push_back({static_cast<std::uint32_t>(i + 1), 1, "e"});
  const Bytes image = BuildArchive(records);
  int failures = 0;
  EveryFailure(
      image, fault::kWrite, [&] { return IMGAddFile(file_.c_str(), "n", 1); },
      [&](int status, bool failed, const Bytes& after) {
        EXPECT_EQ(status, failed ? TORVANE_IO_ERROR : TORVANE_OK);
        if (failed) ExpectEntriesKept(image, after);
        failures += failed;
      });
  EXPECT_GE(failures, 5);  // data, moved data, moved offset, record, count
}

TEST_F(WriteFailureTest, DeletingWithAFailedWriteReturns16) {
  const Bytes image = BuildArchive({{1, 2, "car.dff"}, {3, 1, "car.txd"}});
  EveryFailure(
      image, fault::kWrite, [] { return IMGDelFile("car.dff"); },
      [&](int status, bool failed, const Bytes& after) {
        EXPECT_EQ(status, failed ? TORVANE_IO_ERROR : TORVANE_DELETED);
        if (failed) {
          EXPECT_EQ(CountOf(after), 2);
        }
      });
  EveryFailure(
      image, fault::kWrite, [] { return IMGDelFile("absent"); },
      [&](int status, bool failed, const Bytes& after) {
        EXPECT_FALSE(failed);
        EXPECT_EQ(status, TORVANE_DELETED);
        EXPECT_TRUE(SameBytes(after, image));
      });
}

TEST_F(WriteFailureTest, AfterADeletionFailsPartWayTheFileIsWhatCounts) {
  // The records are shifted up, then the count cannot be written: "r0" is gone
  // from the file, and the next change must not write over slot 0.
  Bytes image = Header(4, {{0, 0, "r0"}, {0, 0, "r1"}, {0, 0, "r2"}, {0, 0, "r3"}});
  image.resize(4096, '\0');
  WriteAll(archive_, image);
  const std::string empty = dir_.Write("empty", "");
  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  fault::FailNth(fault::kWrite, 2);
  EXPECT_EQ(IMGDelFile("r0"), TORVANE_IO_ERROR);
  EXPECT_EQ(IMGAddFile(empty.c_str(), "r0", 1), TORVANE_OK);
  IMGClose();
  const Bytes after = ReadAll(archive_);
  EXPECT_EQ(RecordAt(after, 0).name, "r1");
  EXPECT_EQ(RecordAt(after, 1).name, "r2");
  EXPECT_EQ(RecordAt(after, 2).name, "r3");
  EXPECT_EQ(RecordAt(after, 4).name, "r0");
}

TEST_F(WriteFailureTest, ExtractingWithAFailedWriteOrCloseReturns16) {
  const std::string out = dir_.Path("out.bin");
  const Bytes image = BuildArchive({{1, 2, "car.dff"}});
  for (const unsigned kind : {fault::kWrite, fault::kClose}) {
    EveryFailure(
        image, kind, [&] { return IMGExtractFile("car.dff", out.c_str()); },
        [&](int status, bool failed, const Bytes& after) {
          EXPECT_EQ(status, failed ? TORVANE_IO_ERROR : TORVANE_OK);
          EXPECT_TRUE(SameBytes(after, image));
        });
  }
  EXPECT_TRUE(SameBytes(ReadAll(out), SectorsOf(image, 1, 2)));
}

}  // namespace
}  // namespace tvtest
