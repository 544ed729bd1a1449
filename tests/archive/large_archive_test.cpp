// Archives of 2 GiB and more: positions are 64-bit up to the format's own limit.
// The archives are sparse, so they take almost no disk space.
#include "archive_fixture.h"

namespace tvtest {
namespace {

class LargeArchive : public ArchiveTest {
 protected:
  std::string archive_ = dir_.Path("large.img");
  Bytes DirectoryOnDisk(std::size_t slots) { return ReadAt(archive_, 0, 8 + 32 * slots); }
  Bytes Extract(const char* name) {
    const std::string out = dir_.Path("out.bin");
    EXPECT_EQ(IMGExtractFile(name, out.c_str()), TORVANE_OK);
    return ReadAll(out);
  }
  std::string File(const std::string& name, const Bytes& content) {
    WriteAll(dir_.Path(name), content);
    return dir_.Path(name);
  }
};

class LargeArchiveTest : public LargeArchive,
                         public ::testing::WithParamInterface<std::uint64_t> {};
class SectorLimitTest : public LargeArchive {};

TEST_P(LargeArchiveTest, EntriesFarIntoTheFileWork) {
  const std::uint64_t far = GetParam() / kSector;  // first sector of "far"
  const Bytes low = Pattern(2048, 1);
  const Bytes far_data = Pattern(2 * 2048, 2);
  WriteAll(archive_, Header(2, {{1, 1, "low"}, {static_cast<std::uint32_t>(far), 2, "far"}}));
  WriteAt(archive_, 2048, low);
  WriteAt(archive_, far * kSector, far_data);
  const std::uint64_t length = (far + 2) * kSector;
  ASSERT_EQ(FileSize(archive_), length);

  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  EXPECT_EQ(Extract("far"), far_data);
  // New entry: appended past the far end.
  const Bytes added = Pattern(3000, 3);
  EXPECT_EQ(IMGAddFile(File("new", added).c_str(), nullptr, 1), TORVANE_OK);
  EXPECT_EQ(Extract("new"), Padded(added));
  // Replacement in place, far into the file.
  const Bytes smaller = Pattern(2048, 4);
  EXPECT_EQ(IMGAddFile(File("s", smaller).c_str(), "far", 1), TORVANE_OK);
  EXPECT_EQ(Extract("far"), smaller);
  // Replacement at the end.
  const Bytes larger = Pattern(5000, 5);
  EXPECT_EQ(IMGAddFile(File("l", larger).c_str(), "far", 1), TORVANE_OK);
  EXPECT_EQ(Extract("far"), Padded(larger));
  EXPECT_EQ(IMGDelFile("low"), TORVANE_DELETED);
  IMGClose();

  EXPECT_EQ(FileSize(archive_), length + 5 * kSector);
  const Bytes directory = DirectoryOnDisk(3);
  ASSERT_EQ(CountOf(directory), 2);
  EXPECT_EQ(RecordAt(directory, 0).name, "far");
  EXPECT_EQ(RecordAt(directory, 0).offset, far + 4);
  EXPECT_EQ(RecordAt(directory, 0).size, 3u);
  EXPECT_EQ(RecordAt(directory, 1).name, "new");
  EXPECT_EQ(RecordAt(directory, 1).offset, far + 2);
  EXPECT_EQ(ReadAt(archive_, far * kSector, 2048), smaller);
  EXPECT_EQ(ReadAt(archive_, far * kSector + 2048, 2048), Slice(far_data, 2048, 2048));
}

TEST_P(LargeArchiveTest, RoomMakingMovesAnEntryPastTheFarEnd) {
  const std::uint64_t far = GetParam() / kSector;
  std::vector<Record> records;
  for (int i = 0; i < 62; ++i) records.push_back({static_cast<std::uint32_t>(i + 1), 1, "e"});
  Bytes image = BuildArchive(records, 63 * kSector);
  records.push_back({static_cast<std::uint32_t>(far), 1, "far"});
  const Bytes head = Header(63, records);  // 24 bytes of slack before sector 1
  std::copy(head.begin(), head.end(), image.begin());
  WriteAll(archive_, image);
  WriteAt(archive_, far * kSector, Pattern(2048, 9));
  const Bytes first = ReadAt(archive_, 2048, 2048);

  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  EXPECT_EQ(IMGAddFile(File("n", Pattern(10, 8)).c_str(), nullptr, 1), TORVANE_OK);
  EXPECT_EQ(Extract("e"), first);
  IMGClose();
  const Bytes directory = DirectoryOnDisk(64);
  EXPECT_EQ(RecordAt(directory, 63).offset, far + 1);
  EXPECT_EQ(RecordAt(directory, 0).offset, far + 2);
  EXPECT_EQ(FileSize(archive_), (far + 3) * kSector);
}

// Sector numbers are unsigned 32-bit: data may begin at sector 2^32 - 1 but no
// later, and an addition that would need a later one changes nothing.
TEST_F(SectorLimitTest, AppendingStopsAtTheLastSectorNumber) {
  const std::uint64_t last = 0xFFFFFFFFu;
  const Bytes head = Header(1, {{1, 1, "a"}});
  WriteAll(archive_, head);
  try {
    WriteAt(archive_, last * kSector - 1, Bytes(1, 0));
  } catch (const std::exception&) {
    GTEST_SKIP() << "no sparse file of 8 TiB here";
  }
  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  const Bytes content = Pattern(3000, 6);
  EXPECT_EQ(IMGAddFile(File("n", content).c_str(), nullptr, 1), TORVANE_OK);
  EXPECT_EQ(Extract("n"), Padded(content));
  EXPECT_EQ(IMGAddFile(File("m", content).c_str(), nullptr, 1), TORVANE_IO_ERROR);
  EXPECT_EQ(IMGAddFile(File("b", content).c_str(), "a", 1), TORVANE_IO_ERROR);
  IMGClose();
  EXPECT_EQ(FileSize(archive_), (last + 2) * kSector);
  const Bytes directory = DirectoryOnDisk(3);
  ASSERT_EQ(CountOf(directory), 2);
  EXPECT_EQ(RecordAt(directory, 0).offset, 1u);
  EXPECT_EQ(RecordAt(directory, 1).offset, last);
  EXPECT_EQ(Slice(directory, 8 + 64, 32), Bytes(32, 0));
}

// Past 2 GiB (beyond signed 32-bit positions) and past 4 GiB (beyond 32-bit lengths).
INSTANTIATE_TEST_SUITE_P(Sizes, LargeArchiveTest,
                         ::testing::Values(std::uint64_t{5} << 29, std::uint64_t{9} << 29));

}  // namespace
}  // namespace tvtest
