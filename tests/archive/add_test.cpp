// IMGAddFile: names, padding, replacement in place and at the end, the overlap
// rule, appending at the end, and the room-making move.
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "archive_fixture.h"

namespace tvtest {
namespace {

class AddTest : public OpenArchiveTest {
 protected:
  std::string File(const std::string& name, const Bytes& content) {
    const std::string path = dir_.Path(name);
    WriteAll(path, content);
    return path;
  }
  Bytes Extract(const char* name) {
    const std::string out = dir_.Path("extracted.bin");
    EXPECT_EQ(IMGExtractFile(name, out.c_str()), TORVANE_OK);
    return ReadAll(out);
  }
};

TEST_F(AddTest, NameComesFromThePathAfterItsLastSeparator) {
  Start(Header(0, {}));
  MakeDir(dir_.Path("sub"));
  const Bytes content = Pattern(300, 1);
  File(std::string("sub") + kSep + "car.dff", content);
  EXPECT_EQ(IMGAddFile(dir_.Path(std::string("sub") + kSep + "car.dff").c_str(), nullptr, 1),
            TORVANE_OK);
#ifdef _WIN32
  // Only the backslash separates: a later '/' stays in the name.
  File("other.dff", content);
  EXPECT_EQ(IMGAddFile((dir_.path() + "\\sub/..\\other.dff").c_str(), nullptr, 1), TORVANE_OK);
  const std::string slash = dir_.path() + "\\sub/car.dff";
  EXPECT_EQ(IMGAddFile(slash.c_str(), nullptr, 1), TORVANE_OK);
  const char* expected[] = {"car.dff", "other.dff", "sub/car.dff"};
#else
  // Only '/' separates: a backslash is an ordinary character of the name.
  File("a\\b.dff", content);
  EXPECT_EQ(IMGAddFile(dir_.Path("a\\b.dff").c_str(), nullptr, 1), TORVANE_OK);
  const char* expected[] = {"car.dff", "a\\b.dff"};
#endif
  const Bytes image = Finish();
  ASSERT_EQ(CountOf(image), static_cast<int>(std::size(expected)));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(RecordAt(image, i).name, expected[i]);
  }
}

TEST_F(AddTest, PathWithoutSeparatorGivesTheEmptyName) {
  Start(Header(0, {}));
  const Bytes content = Pattern(10, 2);
  File("car.dff", content);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  const int status = IMGAddFile("car.dff", nullptr, 1);
  std::filesystem::current_path(previous);
  EXPECT_EQ(status, TORVANE_OK);
  EXPECT_EQ(Extract(""), Padded(content));
  const Bytes image = Finish();
  ASSERT_EQ(CountOf(image), 1);
  EXPECT_EQ(Slice(image, 16, 24), Bytes(24, 0));
}

TEST_F(AddTest, NamesUpTo23CharactersAreAccepted) {
  Start(Header(0, {}));
  const std::string file = File("f", Pattern(5, 3));
  const std::string name23(23, 'n');
  EXPECT_EQ(IMGAddFile(file.c_str(), name23.c_str(), 1), TORVANE_OK);
  const std::string name24(24, 'm');
  EXPECT_EQ(IMGAddFile(dir_.Path("missing").c_str(), name24.c_str(), 1), TORVANE_NAME_TOO_LONG);
  EXPECT_EQ(IMGAddFile(file.c_str(), (name24 + "xyz").c_str(), 1), TORVANE_NAME_TOO_LONG);
  const std::string long_file = File(name24, Pattern(5, 4));
  EXPECT_EQ(IMGAddFile(long_file.c_str(), nullptr, 1), TORVANE_NAME_TOO_LONG);
  const Bytes image = Finish();
  ASSERT_EQ(CountOf(image), 1);
  EXPECT_EQ(RecordAt(image, 0).name, name23);
  EXPECT_EQ(image[8 + 8 + 23], 0);
}

TEST_F(AddTest, ExistingNameWithoutReplaceChangesNothing) {
  const Bytes before = Start(BuildArchive({{1, 2, "car.dff"}, {3, 1, "car.txd"}}));
  const std::string file = File("car.dff", Pattern(100, 5));
  EXPECT_EQ(IMGAddFile(file.c_str(), nullptr, 0), TORVANE_EXISTS);
  EXPECT_TRUE(CanBeHeld(file));
  // Only the lowest 8 bits of replace count.
  EXPECT_EQ(IMGAddFile(file.c_str(), nullptr, 256), TORVANE_EXISTS);
  EXPECT_EQ(IMGAddFile(file.c_str(), "car.txd", -256), TORVANE_EXISTS);
  EXPECT_EQ(Finish(), before);
  EXPECT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  EXPECT_EQ(IMGAddFile(file.c_str(), nullptr, 0x101), TORVANE_OK);
  EXPECT_EQ(Extract("car.dff"), Padded(Pattern(100, 5)));
}

TEST_F(AddTest, MissingOrUnreadableFileReturns2) {
  const Bytes before = Start(BuildArchive({{1, 1, "a"}}));
  EXPECT_EQ(IMGAddFile(dir_.Path("missing.dff").c_str(), nullptr, 1), TORVANE_CANNOT_OPEN);
  MakeDir(dir_.Path("folder.dff"));
  EXPECT_EQ(IMGAddFile(dir_.Path("folder.dff").c_str(), nullptr, 1), TORVANE_CANNOT_OPEN);
  EXPECT_EQ(IMGAddFile(nullptr, "x", 1), TORVANE_CANNOT_OPEN);
#ifndef _WIN32
  // A pipe would block the call waiting for a writer.
  ASSERT_EQ(mkfifo(dir_.Path("pipe.dff").c_str(), 0600), 0);
  EXPECT_EQ(IMGAddFile(dir_.Path("pipe.dff").c_str(), nullptr, 1), TORVANE_CANNOT_OPEN);
#endif
  const std::string held = File("held.dff", Pattern(10, 1));
  {
    OtherOpener other(held);
    ASSERT_TRUE(other.IsHeld());
    EXPECT_EQ(IMGAddFile(held.c_str(), nullptr, 1), TORVANE_CANNOT_OPEN);
  }
  EXPECT_EQ(Finish(), before);
}

TEST_F(AddTest, DataFillsWholeSectorsWithZeroPadding) {
  Start(Header(0, {}));
  const std::vector<std::size_t> sizes = {0, 2048, 2049, 32 * 2048 * 2 + 5, 1};
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const std::string name = "e" + std::to_string(i);
    EXPECT_EQ(IMGAddFile(File(name, Pattern(sizes[i], 10 + i)).c_str(), nullptr, 1), TORVANE_OK);
  }
  const Bytes image = Finish();
  ASSERT_EQ(CountOf(image), 5);
  EXPECT_EQ(image.size() % kSector, 0u);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    SCOPED_TRACE(sizes[i]);
    const Record r = RecordAt(image, i);
    EXPECT_EQ(r.size, (sizes[i] + kSector - 1) / kSector);
    EXPECT_EQ(SectorsOf(image, r.offset, r.size), Padded(Pattern(sizes[i], 10 + i)));
  }
  // Appended one after another, in order, after the directory's sector.
  EXPECT_EQ(RecordAt(image, 1).offset, 1u);
  EXPECT_EQ(RecordAt(image, 2).offset, 2u);
  EXPECT_EQ(RecordAt(image, 3).offset, 4u);
}

TEST_F(AddTest, ReplacementGoesInPlaceWhenItFitsElseToTheEnd) {
  const Bytes before = Start(BuildArchive({{1, 3, "x"}, {4, 1, "y"}}));
  const Bytes fits = Pattern(3 * 2048, 20);
  EXPECT_EQ(IMGAddFile(File("x1", fits).c_str(), "x", 1), TORVANE_OK);
  EXPECT_EQ(Extract("x"), fits);
  Bytes image = Finish();
  EXPECT_EQ(image.size(), before.size());
  EXPECT_EQ(RecordAt(image, 0).offset, 1u);
  EXPECT_EQ(RecordAt(image, 0).size, 3u);
  EXPECT_EQ(SectorsOf(image, 4, 1), SectorsOf(before, 4, 1));

  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  const Bytes larger = Pattern(3 * 2048 + 1, 21);
  EXPECT_EQ(IMGAddFile(File("x2", larger).c_str(), "x", 1), TORVANE_OK);
  EXPECT_EQ(Extract("x"), Padded(larger));
  image = Finish();
  ASSERT_EQ(CountOf(image), 2);
  EXPECT_EQ(RecordAt(image, 0).offset, 5u);
  EXPECT_EQ(RecordAt(image, 0).size, 4u);
  EXPECT_EQ(image.size(), 9 * kSector);
  EXPECT_EQ(SectorsOf(image, 1, 3), fits);  // the old allotment, untouched

  // Smaller: in place, and the lowered size is the allotment from then on.
  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  EXPECT_EQ(IMGAddFile(File("x3", Pattern(100, 22)).c_str(), "x", 1), TORVANE_OK);
  EXPECT_EQ(IMGAddFile(File("x4", Pattern(2048, 23)).c_str(), "x", 1), TORVANE_OK);
  EXPECT_EQ(IMGAddFile(File("x5", Pattern(2049, 24)).c_str(), "x", 1), TORVANE_OK);
  EXPECT_EQ(Extract("x"), Padded(Pattern(2049, 24)));
  image = Finish();
  EXPECT_EQ(RecordAt(image, 0).offset, 9u);
  EXPECT_EQ(RecordAt(image, 0).size, 2u);
  EXPECT_EQ(SectorsOf(image, 5, 1), Pattern(2048, 23));
  EXPECT_EQ(SectorsOf(image, 6, 3), Slice(Padded(larger), 2048, 3 * 2048));
  EXPECT_EQ(SectorsOf(image, 4, 1), SectorsOf(before, 4, 1));
}

TEST_F(AddTest, NamesAreCaseSensitiveAndTheLastMatchIsReplaced) {
  const Bytes before = Start(BuildArchive({{1, 1, "dup"}, {2, 1, "car.dff"}, {3, 1, "dup"}}));
  EXPECT_EQ(IMGAddFile(File("CAR.DFF", Pattern(10, 30)).c_str(), nullptr, 0), TORVANE_OK);
  EXPECT_EQ(IMGAddFile(File("d", Pattern(10, 31)).c_str(), "dup", 1), TORVANE_OK);
  EXPECT_EQ(Extract("car.dff"), SectorsOf(before, 2, 1));
  EXPECT_EQ(Extract("CAR.DFF"), Padded(Pattern(10, 30)));
  EXPECT_EQ(Extract("dup"), SectorsOf(before, 1, 1));  // the first match
  const Bytes image = Finish();
  ASSERT_EQ(CountOf(image), 4);
  EXPECT_EQ(RecordAt(image, 3).name, "CAR.DFF");
  EXPECT_EQ(SectorsOf(image, 3, 1), Padded(Pattern(10, 31)));
  EXPECT_EQ(SectorsOf(image, 1, 2), SectorsOf(before, 1, 2));
}

TEST_F(AddTest, InPlaceWritingNeverOverwritesNeighboursOrTheDirectory) {
  // "a" claims four sectors, the last two of which are "b"'s; "c" claims the
  // header's sector.
  const Bytes before = Start(BuildArchive({{1, 4, "a"}, {3, 2, "b"}, {0, 1, "c"}}));
  const Bytes three = Pattern(3 * 2048, 40);
  EXPECT_EQ(IMGAddFile(File("a3", three).c_str(), "a", 1), TORVANE_OK);
  EXPECT_EQ(IMGAddFile(File("c1", Pattern(50, 41)).c_str(), "c", 1), TORVANE_OK);
  const Bytes two = Pattern(2 * 2048, 42);
  EXPECT_EQ(IMGAddFile(File("b2", two).c_str(), "b", 1), TORVANE_OK);  // its own sectors
  Bytes image = Finish();
  ASSERT_EQ(CountOf(image), 3);
  EXPECT_EQ(RecordAt(image, 0).offset, 5u);  // appended
  EXPECT_EQ(RecordAt(image, 2).offset, 8u);  // appended
  EXPECT_EQ(RecordAt(image, 1).offset, 3u);  // in place: nobody else lives there now
  EXPECT_EQ(SectorsOf(image, 5, 3), three);
  EXPECT_EQ(SectorsOf(image, 3, 2), two);
  EXPECT_EQ(Slice(image, 0, 4), Slice(before, 0, 4));
  EXPECT_EQ(SectorsOf(image, 1, 2), SectorsOf(before, 1, 2));

  // With no neighbour in the way the same kind of replacement goes in place.
  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  EXPECT_EQ(IMGAddFile(File("a2", two).c_str(), "a", 1), TORVANE_OK);
  image = Finish();
  EXPECT_EQ(RecordAt(image, 0).offset, 5u);
  EXPECT_EQ(RecordAt(image, 0).size, 2u);
}

TEST_F(AddTest, AnEmptyEntryInsideTheAllotmentIsInNobodysWay) {
  const Bytes before = Start(BuildArchive({{1, 3, "a"}, {2, 0, "empty"}}));
  const Bytes three = Pattern(3 * 2048, 43);
  EXPECT_EQ(IMGAddFile(File("a3", three).c_str(), "a", 1), TORVANE_OK);
  const Bytes image = Finish();
  EXPECT_EQ(image.size(), before.size());
  EXPECT_EQ(RecordAt(image, 0).offset, 1u);
  EXPECT_EQ(SectorsOf(image, 1, 3), three);
}

TEST_F(AddTest, RecordPointingPastTheEndIsNotWrittenThere) {
  Bytes before = BuildArchive({{1, 1, "a"}});
  PutRecord(before, 0, {1000000, 4, "far"});
  Start(before);
  EXPECT_EQ(IMGAddFile(File("f", Pattern(100, 45)).c_str(), "far", 1), TORVANE_OK);
  const Bytes image = Finish();
  EXPECT_EQ(image.size(), 3 * kSector);
  EXPECT_EQ(RecordAt(image, 0).offset, 2u);
  EXPECT_EQ(SectorsOf(image, 2, 1), Padded(Pattern(100, 45)));
}

// An empty file written over an empty entry far past the end has no data to
// place: the archive is not filled up to the entry's place (gigabytes of zeros).
TEST_F(AddTest, AnEmptyFileOverAnEmptyEntryPastTheEndFillsNothing) {
  Bytes before = BuildArchive({{1, 1, "a"}});
  PutRecord(before, 0, {1000000, 0, "far"});
  Start(before);
  EXPECT_EQ(IMGAddFile(File("empty", Bytes()).c_str(), "far", 1), TORVANE_OK);
  const Bytes image = Finish();
  EXPECT_EQ(image.size(), before.size());
  EXPECT_EQ(RecordAt(image, 0).size, 0u);
}

TEST_F(AddTest, AppendsAtTheNextSectorBoundaryOfAnUnalignedEnd) {
  Bytes before = BuildArchive({{1, 2, "a"}});
  before.resize(3 * 2048 + 100, 0x77);
  Start(before);
  EXPECT_EQ(IMGAddFile(File("n", Pattern(10, 50)).c_str(), nullptr, 1), TORVANE_OK);
  const Bytes image = Finish();
  ASSERT_EQ(image.size(), 5 * kSector);
  EXPECT_EQ(RecordAt(image, 1).offset, 4u);
  EXPECT_EQ(Slice(image, 3 * 2048, 100), Bytes(100, 0x77));
  EXPECT_EQ(Slice(image, 3 * 2048 + 100, 2048 - 100), Bytes(2048 - 100, 0));
  EXPECT_EQ(SectorsOf(image, 4, 1), Padded(Pattern(10, 50)));
}

TEST_F(AddTest, AppendedDataStartsPastTheGrownDirectory) {
  // 63 records end the directory at byte 2024 and the file there; the new
  // slot reaches to 2056, so the data must begin at sector 2, not 1.
  std::vector<Record> records;
  for (int i = 0; i < 63; ++i) records.push_back({5000, 0, "r" + std::to_string(i)});
  Start(Header(63, records));
  const Bytes content = Pattern(3000, 60);
  EXPECT_EQ(IMGAddFile(File("new", content).c_str(), nullptr, 1), TORVANE_OK);
  EXPECT_EQ(Extract("new"), Padded(content));
  const Bytes image = Finish();
  ASSERT_EQ(CountOf(image), 64);
  EXPECT_EQ(RecordAt(image, 63).offset, 2u);
  EXPECT_EQ(RecordAt(image, 62).offset, 5000u);
  EXPECT_EQ(Slice(image, 2056, 4096 - 2056), Bytes(4096 - 2056, 0));
}

// 63 one-sector entries at sectors 1..63 leave 24 bytes of slack; 62 leave 56.
std::vector<Record> Packed(int count, int first_offset = 1) {
  std::vector<Record> records;
  for (int i = 0; i < count; ++i) {
    records.push_back({static_cast<std::uint32_t>(first_offset + i), 1, "e" + std::to_string(i)});
  }
  return records;
}

TEST_F(AddTest, SmallSlackMovesTheFirstDataEntryToTheEnd) {
  const Bytes before = Start(BuildArchive(Packed(63)));
  ASSERT_EQ(before.size(), 64 * kSector);
  const Bytes content = Pattern(5000, 70);
  EXPECT_EQ(IMGAddFile(File("new.dff", content).c_str(), nullptr, 1), TORVANE_OK);
  EXPECT_EQ(Extract("new.dff"), Padded(content));
  EXPECT_EQ(Extract("e0"), SectorsOf(before, 1, 1));
  const Bytes image = Finish();
  ASSERT_EQ(CountOf(image), 64);
  EXPECT_EQ(image.size(), 68 * kSector);
  EXPECT_EQ(RecordAt(image, 63).offset, 64u);  // the new data first
  EXPECT_EQ(RecordAt(image, 63).size, 3u);
  EXPECT_EQ(RecordAt(image, 0).offset, 67u);  // then the moved entry
  EXPECT_EQ(SectorsOf(image, 67, 1), SectorsOf(before, 1, 1));
  for (int i = 1; i < 63; ++i) {
    EXPECT_EQ(RecordAt(image, i).offset, static_cast<std::uint32_t>(i + 1));
    EXPECT_EQ(SectorsOf(image, i + 1, 1), SectorsOf(before, i + 1, 1));
  }
}

TEST_F(AddTest, EnoughSlackMovesNothing) {
  const Bytes before = Start(BuildArchive(Packed(62)));
  EXPECT_EQ(IMGAddFile(File("new.dff", Pattern(100, 71)).c_str(), nullptr, 1), TORVANE_OK);
  const Bytes image = Finish();
  ASSERT_EQ(CountOf(image), 63);
  EXPECT_EQ(image.size(), 64 * kSector);
  EXPECT_EQ(RecordAt(image, 62).offset, 63u);
  EXPECT_EQ(Slice(image, 8, 32 * 62), Slice(before, 8, 32 * 62));
  EXPECT_EQ(Slice(image, 2048, 62 * 2048), Slice(before, 2048, 62 * 2048));
}

TEST_F(AddTest, RoomMakingMovesEveryEntryInTheWay) {
  // A size-0 record comes first; the entry whose sector the new slot would
  // overwrite comes second and must move as well.
  std::vector<Record> records = Packed(62);
  records.insert(records.begin(), Record{1, 0, "empty"});
  const Bytes before = Start(BuildArchive(records));
  EXPECT_EQ(IMGAddFile(File("new.dff", Pattern(10, 72)).c_str(), nullptr, 1), TORVANE_OK);
  for (int i = 0; i < 62; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Extract(("e" + std::to_string(i)).c_str()), SectorsOf(before, i + 1, 1));
  }
  const Bytes image = Finish();
  ASSERT_EQ(CountOf(image), 64);
  EXPECT_EQ(RecordAt(image, 63).offset, 63u);
  EXPECT_EQ(RecordAt(image, 1).offset, 64u);  // "e0"
  EXPECT_GE(RecordAt(image, 0).offset, 64u);  // "empty", anywhere past the directory
  EXPECT_EQ(RecordAt(image, 0).size, 0u);
}

TEST_F(AddTest, EntryInTheWayThatRunsPastTheEndFailsBeforeWriting) {
  std::vector<Record> records = Packed(63);
  records[0].size = 100;  // sectors 1..100 in an archive of 64 sectors
  Bytes before = BuildArchive(records);
  before.resize(64 * kSector);
  Start(before);
  EXPECT_EQ(IMGAddFile(File("new.dff", Pattern(10, 73)).c_str(), nullptr, 1), TORVANE_IO_ERROR);
  EXPECT_EQ(Finish(), before);
}

}  // namespace
}  // namespace tvtest
