// Archives made by the tools players use, and libarchive's RAR samples, unpack to
// exactly the files that went in, with their names as the archive spells them.
#include <gtest/gtest.h>

#include "file_system.h"
#include "unpack_platform.h"
#include "unpack_test_support.h"

namespace wrenfield {
namespace {

using testing::Cp;
using testing::Sample;
using testing::SampleTreeAsUnpacked;
using testing::Tree;
using testing::UnpackToTree;
using testing::ZipEntry;

TEST(UnpackFormats, EveryMethodGivesBackTheTree) {
  const Tree expected = SampleTreeAsUnpacked("formats");
  ASSERT_EQ(expected.count(Cp("models/Машина/car.dff")), 1u);
  for (const char* archive :
       {"stored.zip", "deflate.zip", "lzma2_solid.7z", "lzma.7z", "bcj.7z", "ppmd.7z"}) {
    const testing::Unpacked unpacked = UnpackToTree(Sample(archive));
    EXPECT_EQ(unpacked.error, "") << archive;
    EXPECT_EQ(unpacked.tree, expected) << archive;
  }
}

// A Russian mod's names, whichever way the tool stored them.
TEST(UnpackNames, RussianNamesReachTheFileSystem) {
  const Tree expected = {{Cp("Машина"), "<folder>"},
                         {Cp("Машина/Модель.dff"), "model"},
                         {Cp("Машина/Прочти.txt"), "readme"},
                         {Cp("Машина/Текстуры"), "<folder>"},
                         {Cp("Машина/Текстуры/Ёлка.txd"), "texture"}};
  for (const char* archive :
       {"names_utf8.zip", "names_cp866.zip", "names_flagged.zip", "names.7z"}) {
    const testing::Unpacked unpacked = UnpackToTree(Sample(archive));
    EXPECT_EQ(unpacked.error, "") << archive;
    EXPECT_EQ(unpacked.tree, expected) << archive;
  }
}

TEST(UnpackNames, ZipNamesByFlagAndValidity) {
  const std::string cp866Name = "\x8C\xA0\xE8\xA8\xAD\xA0.dff";  // Машина.dff in code page 866
  const std::string archive = testing::ScratchFile(
      "names.zip",
      testing::ZipOf({
          {cp866Name, "a"},
          {"\xD0\x9C\xD0\xB0\xD1\x88\xD0\xB8\xD0\xBD\xD0\xB0.txd", "b"},  // UTF-8, no flag
          // Flagged, of characters below U+0100 only: «Car».txt.
          {"\xC2\xAB"
           "Car\xC2\xBB.txt",
           "c", 0x0800},
          // Flagged, of characters neither code page holds: 漢字.txt and 字漢.txt,
          // spelt alike and so numbered apart.
          {"\xE6\xBC\xA2\xE5\xAD\x97.txt", "d", 0x0800},
          {"\xE5\xAD\x97\xE6\xBC\xA2.txt", "e", 0x0800},
          // A name that needs no converting keeps it: 字漢.txt takes the next number.
          {"__~2.txt/x.txt", "f"},
      }));
  const testing::Unpacked unpacked = UnpackToTree(archive);
  EXPECT_EQ(unpacked.error, "");
  EXPECT_EQ(unpacked.tree, (Tree{{Cp("Машина.dff"), "a"},
                                 {Cp("Машина.txd"), "b"},
                                 {Cp("«Car».txt"), "c"},
                                 {"__.txt", "d"},
                                 {"__~3.txt", "e"},
                                 {"__~2.txt", "<folder>"},
                                 {"__~2.txt/x.txt", "f"}}));
}

// Folder entries as archivers write them, marked by the folder attribute of
// either system or by the trailing "/" alone, in every encoding zip names come
// in; a folder entry may come before its files, after them, or stand alone.
TEST(UnpackNames, FolderEntriesInEveryNameEncoding) {
  struct Encoding {
    const char* what;
    std::string folder;  // Комета
    std::uint16_t flags;
  };
  const Encoding encodings[] = {{"cp866", "\x8A\xAE\xAC\xA5\xE2\xA0", 0},
                                {"UTF-8 flagged", "Комета", 0x0800},
                                {"UTF-8 unflagged", "Комета", 0}};
  struct Marking {
    const char* what;
    std::uint32_t unixMode;
    std::uint8_t dosAttributes;
  };
  const Marking markings[] = {
      {"slash only", 0, 0}, {"DOS attribute", 0, 0x10}, {"Unix mode", 040755, 0}};
  const Tree expected = {{Cp("Комета"), "<folder>"},
                         {Cp("Комета/readme.txt"), "r"},
                         {Cp("Комета/Комета"), "<folder>"},
                         {Cp("Комета/Комета/car.dff"), "m"},
                         {Cp("Комета/Пусто"), "<folder>"}};
  for (const Encoding& encoding : encodings) {
    for (const Marking& marking : markings) {
      auto entry = [&](const std::string& name, const std::string& data) {
        ZipEntry made{name, data, encoding.flags};
        if (name.back() == '/') {
          made.unixMode = marking.unixMode;
          made.dosAttributes = marking.dosAttributes;
        }
        return made;
      };
      const std::string& folder = encoding.folder;
      const std::string empty = encoding.flags != 0 || folder[0] != '\x8A'
                                    ? std::string("Пусто")
                                    : std::string("\x8F\xE3\xE1\xE2\xAE");
      const std::string archive = testing::ScratchFile(
          "folders.zip",
          testing::ZipOf({entry(folder + "/", ""), entry(folder + "/readme.txt", "r"),
                          entry(folder + "/" + folder + "/car.dff", "m"),
                          entry(folder + "/" + folder + "/", ""),
                          entry(folder + "/" + empty + "/", "")}));
      const testing::Unpacked unpacked = UnpackToTree(archive);
      EXPECT_EQ(unpacked.error, "") << encoding.what << ", " << marking.what;
      EXPECT_EQ(unpacked.tree, expected) << encoding.what << ", " << marking.what;
    }
  }
}

// Names spelt alike once converted: the one that needed no converting keeps its
// name and its own bytes, whichever comes first in the archive; the converted
// one is numbered apart. The same holds for folders.
TEST(UnpackNames, CollisionLeavesTheRealNameToTheRealFile) {
  const std::string star = "\xE2\x98\x85";  // ★, which neither code page holds
  for (const bool starFirst : {true, false}) {
    std::vector<ZipEntry> entries = {{"car/car" + star + ".dff", "star", 0x0800},
                                     {star + "/a.txt", "in star", 0x0800}};
    const std::vector<ZipEntry> real = {{"car/car_.dff", "real"}, {"_/b.txt", "in real"}};
    entries.insert(starFirst ? entries.end() : entries.begin(), real.begin(), real.end());
    const testing::Unpacked unpacked =
        UnpackToTree(testing::ScratchFile("alike.zip", testing::ZipOf(entries)));
    EXPECT_EQ(unpacked.error, "");
    EXPECT_EQ(unpacked.tree, (Tree{{"car", "<folder>"},
                                   {"car/car_.dff", "real"},
                                   {"car/car_~2.dff", "star"},
                                   {"_", "<folder>"},
                                   {"_/b.txt", "in real"},
                                   {"_~2", "<folder>"},
                                   {"_~2/a.txt", "in star"}}))
        << starFirst;
  }
}

TEST(UnpackRar, Rar4AndRar5SamplesUnpack) {
  const testing::Unpacked rar4 = UnpackToTree(testing::LibarchiveSample("rar_windows.rar"));
  EXPECT_EQ(rar4.error, "");
  EXPECT_EQ(rar4.tree.size(), 5u);
  EXPECT_EQ(rar4.tree.at("testdir/test.txt").size(), 16u);
  EXPECT_EQ(rar4.tree.at("testemptydir"), "<folder>");
  struct Rar5 {
    const char* name;
    std::size_t files;
  };
  for (const Rar5 sample : {Rar5{"rar5_multiple_files.rar", 4}, Rar5{"rar5_solid.rar", 7},
                            Rar5{"rar5_stored.rar", 1}, Rar5{"rar5_win32.rar", 8}}) {
    const testing::Unpacked rar5 = UnpackToTree(testing::LibarchiveSample(sample.name));
    EXPECT_EQ(rar5.error, "") << sample.name;
    EXPECT_EQ(rar5.files.size(), sample.files - (sample.files == 8 ? 1 : 0)) << sample.name;
  }
  EXPECT_EQ(UnpackToTree(testing::LibarchiveSample("rar5_stored.rar")).tree.at("helloworld.txt"),
            "hello libarchive test suite!\n");
}

}  // namespace
}  // namespace wrenfield
