// Opening and closing: the states the library passes through and what each
// IMGOpen result leaves behind.
#include "archive_fixture.h"

namespace tvtest {
namespace {

class OpenCloseTest : public ArchiveTest {
 protected:
  // A sound archive with two entries.
  std::string MakeSample(const std::string& file = "sample.img") {
    const std::string path = dir_.Path(file);
    WriteAll(path, BuildArchive({{1, 2, "a.dff"}, {3, 1, "b.txd"}}));
    return path;
  }
};

TEST_F(OpenCloseTest, EmptyArchiveOpensAndTakesAnEntry) {
  const std::string archive = dir_.Path("empty.img");
  WriteAll(archive, Header(0, {}));
  const std::string file = dir_.Path("car.dff");
  WriteAll(file, Pattern(10, 1));
  ASSERT_EQ(IMGOpen(archive.c_str()), TORVANE_OK);
  const std::string out = dir_.Path("out");
  EXPECT_EQ(IMGExtractFile("car.dff", out.c_str()), TORVANE_OK);
  EXPECT_FALSE(Exists(out));
  EXPECT_EQ(IMGAddFile(file.c_str(), nullptr, 1), TORVANE_OK);
  IMGClose();

  const Bytes image = ReadAll(archive);
  ASSERT_EQ(CountOf(image), 1);
  EXPECT_EQ(RecordAt(image, 0).name, "car.dff");
  EXPECT_EQ(RecordAt(image, 0).offset, 1u);
  EXPECT_EQ(RecordAt(image, 0).size, 1u);
  EXPECT_EQ(image.size(), 2 * kSector);
}

TEST_F(OpenCloseTest, SecondOpenIsRefusedAndFirstArchiveStays) {
  const std::string first = MakeSample("first.img");
  const std::string second = dir_.Path("second.img");
  WriteAll(second, BuildArchive({{1, 1, "other"}}));
  const Bytes first_image = ReadAll(first);

  ASSERT_EQ(IMGOpen(first.c_str()), TORVANE_OK);
  EXPECT_EQ(IMGOpen(second.c_str()), TORVANE_ALREADY_OPEN);
  EXPECT_EQ(IMGOpen(first.c_str()), TORVANE_ALREADY_OPEN);
  // Still the first archive, directory unchanged.
  const std::string out = dir_.Path("a.out");
  EXPECT_EQ(IMGExtractFile("a.dff", out.c_str()), TORVANE_OK);
  EXPECT_EQ(ReadAll(out), SectorsOf(first_image, 1, 2));
  EXPECT_EQ(IMGExtractFile("other", dir_.Path("o.out").c_str()), TORVANE_OK);
  EXPECT_FALSE(Exists(dir_.Path("o.out")));
  // The second archive is free: nobody opened it.
  EXPECT_TRUE(CanBeHeld(second));
}

TEST_F(OpenCloseTest, FailedOpenStillNeedsClose) {
  const std::string sample = MakeSample();
  EXPECT_EQ(IMGOpen(dir_.Path("missing.img").c_str()), TORVANE_CANNOT_OPEN);
  EXPECT_EQ(IMGOpen(sample.c_str()), TORVANE_ALREADY_OPEN);
  EXPECT_TRUE(CanBeHeld(sample));
  IMGClose();
  EXPECT_EQ(IMGOpen(sample.c_str()), TORVANE_OK);
}

TEST_F(OpenCloseTest, FolderInsteadOfArchiveCannotBeOpened) {
  MakeDir(dir_.Path("folder.img"));
  EXPECT_EQ(IMGOpen(dir_.Path("folder.img").c_str()), TORVANE_CANNOT_OPEN);
}

TEST_F(OpenCloseTest, WrongMagicReturns4AndHoldsTheFile) {
  const std::vector<std::string> contents = {"",
                                             "VE",
                                             "VER",
                                             "VER1\0\0\0\0",
                                             "ver2\0\0\0\0",
                                             std::string("VER3") + std::string(100, '\0')};
  for (const std::string& content : contents) {
    SCOPED_TRACE(content);
    const std::string path = dir_.Path("not.img");
    const Bytes bytes(content.begin(), content.end());
    WriteAll(path, bytes);
    EXPECT_EQ(IMGOpen(path.c_str()), TORVANE_NOT_IMG);
    EXPECT_FALSE(CanBeHeld(path));
    EXPECT_EQ(IMGOpen(path.c_str()), TORVANE_ALREADY_OPEN);
    IMGClose();
    EXPECT_TRUE(CanBeHeld(path));
    EXPECT_EQ(ReadAll(path), bytes);
  }
}

TEST_F(OpenCloseTest, UnsoundHeaderReturns14AndHoldsTheFile) {
  Bytes negative = Header(-1, {});
  negative.resize(4096, 0);
  Bytes too_many = Header(64, {});  // 64 records = 2048 bytes > the file's 2047
  too_many.resize(2047, 0);
  const std::vector<Bytes> cases = {Bytes{'V', 'E', 'R', '2'}, Bytes{'V', 'E', 'R', '2', 1, 0, 0},
                                    negative, too_many};
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string path = dir_.Path("bad.img");
    WriteAll(path, cases[i]);
    EXPECT_EQ(IMGOpen(path.c_str()), TORVANE_BAD_ARCHIVE);
    EXPECT_FALSE(CanBeHeld(path));
    EXPECT_EQ(IMGDelFile("x"), TORVANE_NOT_OPEN);
    IMGClose();
    EXPECT_EQ(ReadAll(path), cases[i]);
  }
  // The limit itself: a directory exactly as long as the file is accepted.
  Bytes exact = Header(64, {});
  exact.resize(2048, 0);
  WriteAll(dir_.Path("exact.img"), exact);
  EXPECT_EQ(IMGOpen(dir_.Path("exact.img").c_str()), TORVANE_OK);
}

TEST_F(OpenCloseTest, DirectoryCutShortReadsMissingRecordsAsZero) {
  // Count 3 in a file of 100 bytes: 96 directory bytes fit the length, but
  // the third record is cut after 28 of its 32 bytes.
  Bytes image = Header(3, {{0, 0, "first"}, {0, 0, "second"}});
  Bytes third = Header(1, {{7, 9, "third-record-name-21"}});
  image.insert(image.end(), third.begin() + 8, third.begin() + 8 + 28);
  ASSERT_EQ(image.size(), 100u);
  const std::string path = dir_.Path("cut.img");
  WriteAll(path, image);

  ASSERT_EQ(IMGOpen(path.c_str()), TORVANE_OK);
  // Deleting rewrites the directory from memory: the cut record comes back
  // with zero bytes where the file had none.
  EXPECT_EQ(IMGDelFile("first"), TORVANE_DELETED);
  IMGClose();
  const Bytes after = ReadAll(path);
  ASSERT_EQ(CountOf(after), 2);
  EXPECT_EQ(RecordAt(after, 0).name, "second");
  const Record moved = RecordAt(after, 1);
  EXPECT_EQ(moved.offset, 7u);
  EXPECT_EQ(moved.size, 9u);
  EXPECT_EQ(moved.name, "third-record-name-21");
  EXPECT_EQ(Slice(after, 8 + 32 + 28, 4), Bytes(4, 0));
  EXPECT_EQ(Slice(after, 8 + 64, 32), Bytes(32, 0));
}

TEST_F(OpenCloseTest, CloseIsHarmlessWhenClosed) {
  IMGClose();
  IMGClose();
  const std::string sample = MakeSample();
  EXPECT_EQ(IMGOpen(sample.c_str()), TORVANE_OK);
  IMGClose();
  IMGClose();
  EXPECT_EQ(IMGOpen(sample.c_str()), TORVANE_OK);
}

TEST_F(OpenCloseTest, OpenAndCloseLeaveTheArchiveByteForByte) {
  // Unaligned length, a record past the end, a 24-character name: nothing is
  // examined or mended at open.
  Bytes image = BuildArchive({{1, 2, "a.dff"}, {3, 1, "abcdefghijklmnopqrstuvwx"}, {90, 4, "far"}});
  image.resize(image.size() + 77, 0x5A);
  const std::string path = dir_.Path("sample.img");
  WriteAll(path, image);
  ASSERT_EQ(IMGOpen(path.c_str()), TORVANE_OK);
  IMGClose();
  EXPECT_EQ(ReadAll(path), image);
}

TEST_F(OpenCloseTest, EntryOperationsNeedAUsableArchive) {
  const std::string file = dir_.Path("car.dff");
  WriteAll(file, Pattern(100, 3));
  const std::string not_img = dir_.Path("not.img");
  WriteAll(not_img, Pattern(5000, 4));
  const std::string bad = dir_.Path("bad.img");
  WriteAll(bad, Header(-5, {}));

  const std::vector<std::string> opens = {"", dir_.Path("missing.img"), not_img, bad};
  for (const std::string& archive : opens) {
    SCOPED_TRACE(archive);
    if (!archive.empty()) {
      EXPECT_NE(IMGOpen(archive.c_str()), TORVANE_OK);
    }
    const std::string out = dir_.Path("out.bin");
    EXPECT_EQ(IMGAddFile(file.c_str(), nullptr, 1), TORVANE_NOT_OPEN);
    EXPECT_EQ(IMGAddFile(file.c_str(), "x", 0), TORVANE_NOT_OPEN);
    EXPECT_EQ(IMGDelFile("car.dff"), TORVANE_NOT_OPEN);
    EXPECT_EQ(IMGExtractFile("car.dff", out.c_str()), TORVANE_NOT_OPEN);
    EXPECT_FALSE(Exists(out));
    IMGClose();
  }
  EXPECT_EQ(ReadAll(not_img), Pattern(5000, 4));
  EXPECT_EQ(ReadAll(bad), Header(-5, {}));
  EXPECT_FALSE(Exists(dir_.Path("missing.img")));
}

}  // namespace
}  // namespace tvtest
