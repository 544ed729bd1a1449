// IMGDelFile and IMGExtractFile.
#include "archive_fixture.h"

namespace tvtest {
namespace {

class DeleteExtractTest : public OpenArchiveTest {
 protected:
  // Everything past the header and a directory of `slots` records.
  static Bytes DataOf(const Bytes& image, std::size_t slots) {
    const std::size_t from = 8 + 32 * slots;
    return Slice(image, from, image.size() - from);
  }
};

const std::vector<Record> kFour = {{1, 1, "a"}, {2, 2, "b"}, {4, 1, "c"}, {5, 3, "d"}};

TEST_F(DeleteExtractTest, DeletingMovesLaterRecordsUpAndZeroesTheLastSlot) {
  const Bytes before = Start(BuildArchive(kFour));
  EXPECT_EQ(IMGDelFile("b"), TORVANE_DELETED);
  EXPECT_EQ(IMGExtractFile("b", dir_.Path("b.out").c_str()), TORVANE_OK);
  EXPECT_FALSE(Exists(dir_.Path("b.out")));
  EXPECT_EQ(IMGExtractFile("d", dir_.Path("d.out").c_str()), TORVANE_OK);
  EXPECT_EQ(ReadAll(dir_.Path("d.out")), SectorsOf(before, 5, 3));
  const Bytes image = Finish();
  EXPECT_EQ(image.size(), before.size());
  ASSERT_EQ(CountOf(image), 3);
  EXPECT_EQ(Slice(image, 8, 32), Slice(before, 8, 32));
  EXPECT_EQ(Slice(image, 40, 64), Slice(before, 72, 64));
  EXPECT_EQ(Slice(image, 104, 32), Bytes(32, 0));
  EXPECT_EQ(DataOf(image, 4), DataOf(before, 4));
}

TEST_F(DeleteExtractTest, DeletingTheOnlyOrLastEntry) {
  Bytes before = Start(BuildArchive({{1, 1, "only"}}));
  EXPECT_EQ(IMGDelFile("only"), TORVANE_DELETED);
  Bytes image = Finish();
  EXPECT_EQ(CountOf(image), 0);
  EXPECT_EQ(Slice(image, 8, 32), Bytes(32, 0));
  EXPECT_EQ(DataOf(image, 1), DataOf(before, 1));

  before = Start(BuildArchive(kFour));
  EXPECT_EQ(IMGDelFile("d"), TORVANE_DELETED);
  image = Finish();
  ASSERT_EQ(CountOf(image), 3);
  EXPECT_EQ(Slice(image, 8, 96), Slice(before, 8, 96));
  EXPECT_EQ(Slice(image, 104, 32), Bytes(32, 0));
}

TEST_F(DeleteExtractTest, DeletingAbsentNamesChangesNothing) {
  const Bytes before = Start(BuildArchive(kFour));
  EXPECT_EQ(IMGDelFile("e"), TORVANE_DELETED);
  EXPECT_EQ(IMGDelFile("A"), TORVANE_DELETED);
  EXPECT_EQ(IMGDelFile(""), TORVANE_DELETED);
  EXPECT_EQ(IMGDelFile(nullptr), TORVANE_DELETED);
  EXPECT_EQ(Finish(), before);
}

TEST_F(DeleteExtractTest, DeletingRemovesOnlyTheFirstOfTwins) {
  const Bytes before = Start(BuildArchive({{1, 1, "t"}, {2, 1, "t"}}));
  EXPECT_EQ(IMGDelFile("t"), TORVANE_DELETED);
  EXPECT_EQ(IMGExtractFile("t", dir_.Path("t.out").c_str()), TORVANE_OK);
  EXPECT_EQ(ReadAll(dir_.Path("t.out")), SectorsOf(before, 2, 1));
  EXPECT_EQ(IMGDelFile("t"), TORVANE_DELETED);
  EXPECT_EQ(CountOf(Finish()), 0);
}

TEST_F(DeleteExtractTest, AddingAfterDeletingReusesTheFreedSlot) {
  const Bytes before = Start(BuildArchive(kFour));
  EXPECT_EQ(IMGDelFile("a"), TORVANE_DELETED);
  WriteAll(dir_.Path("e"), Pattern(10, 9));
  EXPECT_EQ(IMGAddFile(dir_.Path("e").c_str(), nullptr, 1), TORVANE_OK);
  const Bytes image = Finish();
  ASSERT_EQ(CountOf(image), 4);
  EXPECT_EQ(RecordAt(image, 3).name, "e");
  EXPECT_EQ(RecordAt(image, 3).offset, 8u);
  EXPECT_EQ(RecordAt(image, 0).name, "b");
}

TEST_F(DeleteExtractTest, ExtractionWritesWholeSectors) {
  const Bytes before = Start(BuildArchive({{1, 3, "three"}, {4, 0, "none"}}));
  const std::string out = dir_.Path("out.bin");
  WriteAll(out, Pattern(10000, 5));  // longer than the entry: replaced whole
  EXPECT_EQ(IMGExtractFile("three", out.c_str()), TORVANE_OK);
  EXPECT_EQ(ReadAll(out), SectorsOf(before, 1, 3));
  EXPECT_TRUE(CanBeHeld(out));
  EXPECT_EQ(IMGExtractFile("none", out.c_str()), TORVANE_OK);
  EXPECT_EQ(FileSize(out), 0u);
  EXPECT_EQ(Finish(), before);
}

TEST_F(DeleteExtractTest, ExtractingAnAbsentNameCreatesNothing) {
  Start(BuildArchive(kFour));
  const std::string out = dir_.Path("out.bin");
  EXPECT_EQ(IMGExtractFile("A", out.c_str()), TORVANE_OK);
  EXPECT_EQ(IMGExtractFile(nullptr, out.c_str()), TORVANE_OK);
  EXPECT_FALSE(Exists(out));
  WriteAll(out, Pattern(7, 1));
  EXPECT_EQ(IMGExtractFile("zz", out.c_str()), TORVANE_OK);
  EXPECT_EQ(ReadAll(out), Pattern(7, 1));
}

TEST_F(DeleteExtractTest, OutputThatCannotBeCreatedReturns2) {
  const Bytes before = Start(BuildArchive(kFour));
  MakeDir(dir_.Path("folder"));
  EXPECT_EQ(IMGExtractFile("a", dir_.Path("folder").c_str()), TORVANE_CANNOT_OPEN);
  const std::string missing_dir = dir_.Path("no") + kSep + "out.bin";
  EXPECT_EQ(IMGExtractFile("a", missing_dir.c_str()), TORVANE_CANNOT_OPEN);
  EXPECT_EQ(IMGExtractFile("a", nullptr), TORVANE_CANNOT_OPEN);
  const std::string held = dir_.Path("held.bin");
  WriteAll(held, Pattern(3, 3));
  {
    OtherOpener other(held);
    ASSERT_TRUE(other.IsHeld());
    EXPECT_EQ(IMGExtractFile("a", held.c_str()), TORVANE_CANNOT_OPEN);
  }
  EXPECT_EQ(ReadAll(held), Pattern(3, 3));
  EXPECT_EQ(Finish(), before);
}

TEST_F(DeleteExtractTest, EntryRunningPastTheEndIsAnErrorNotAShortFile) {
  Bytes image = BuildArchive({{1, 1, "whole"}, {2, 3, "cut"}, {9, 1, "beyond"}, {40, 0, "empty"}});
  image.resize(3 * 2048 + 500);  // "cut" ends in the middle of its second sector
  const Bytes before = Start(image);
  const std::string out = dir_.Path("out.bin");
  EXPECT_EQ(IMGExtractFile("cut", out.c_str()), TORVANE_IO_ERROR);
  EXPECT_EQ(IMGExtractFile("beyond", out.c_str()), TORVANE_IO_ERROR);
  EXPECT_FALSE(Exists(out));
  // An empty entry reads nothing, wherever it points.
  EXPECT_EQ(IMGExtractFile("empty", out.c_str()), TORVANE_OK);
  EXPECT_EQ(ReadAll(out), "");
  EXPECT_EQ(IMGExtractFile("whole", out.c_str()), TORVANE_OK);
  EXPECT_EQ(ReadAll(out), SectorsOf(before, 1, 1));
  EXPECT_EQ(Finish(), before);
}

}  // namespace
}  // namespace tvtest
