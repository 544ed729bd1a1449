// Choosing the mod folder inside an unpacked archive, placing its read-me, and the
// life of the private folders: real mod read-mes in the layouts mods come in read
// exactly as when unpacked by hand.
#include "mod_source.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "error_of.h"
#include "file_system.h"
#include "gtest_support.h"
#include "messages.h"
#include "read_data.h"
#include "unpack_platform.h"
#include "unpack_test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/time.h>
#endif

namespace wrenfield {
namespace {

using testing::Sample;
using testing::SampleMod;
using testing::SampleTree;
using testing::ScratchFile;
using testing::TemporaryRoot;
using testing::Tree;
using testing::TreeOf;
using testing::ZipEntry;

namespace messages = msg;

std::string Zip(const std::vector<ZipEntry>& entries) {
  return ScratchFile("mod.zip", testing::ZipOf(entries));
}

std::string Relative(const ModSource& source, const std::string& folder) {
  const std::string& root = source.unpackedPath();
  if (folder == root) return ".";
  std::string relative = folder.substr(root.size() + 1);
  for (char& c : relative) {
    if (c == kPathSeparator) c = '/';
  }
  return relative;
}

std::string ErrorOf(ModSource& source, const std::string& pick) {
  return testing::ErrorOf([&] { source.ModFolder(pick); });
}

TEST(ModFolderChoice, TheOneFolderWithAModelAtAnyDepth) {
  TemporaryRoot temporary;
  ModSource source(Zip({{"Pack/readme.txt", "r"}, {"Pack/Car/Model/car.dff", "m"}}));
  EXPECT_TRUE(source.isArchive());
  EXPECT_EQ(source.candidates(), std::vector<std::string>{"Pack/Car/Model"});
  EXPECT_EQ(Relative(source, source.ModFolder()), "Pack/Car/Model");

  ModSource top(Zip({{"car.dff", "m"}, {"car.txd", "t"}}));
  EXPECT_EQ(top.candidates(), std::vector<std::string>{"."});
  EXPECT_EQ(top.ModFolder(), top.unpackedPath());
}

TEST(ModFolderChoice, TextureNarrowsSeveralModelFolders) {
  TemporaryRoot temporary;
  ModSource one(Zip({{"a/car.dff", ""}, {"b/car.dff", ""}, {"b/car.txd", ""}}));
  EXPECT_EQ(one.candidates(), std::vector<std::string>{"b"});

  ModSource none(Zip({{"b/car.dff", ""}, {"a/car.dff", ""}}));
  EXPECT_EQ(none.candidates(), (std::vector<std::string>{"a", "b"}));

  const std::string archive = Zip({{"Pack/v2/car.dff", ""},
                                   {"Pack/v2/car.TXD", ""},
                                   {"Pack/v1/car.DFF", ""},
                                   {"Pack/v1/car.txd", ""},
                                   {"Pack/extra/wheel.dff", ""}});
  ModSource several(archive);
  EXPECT_EQ(several.candidates(), (std::vector<std::string>{"Pack/v1", "Pack/v2"}));
  EXPECT_EQ(ErrorOf(several, ""), messages::SeveralModFolders(FullPath(archive)));
  EXPECT_EQ(ErrorOf(several, "Pack/extra"),
            messages::NoSuchModFolder(FullPath(archive), "Pack/extra"));
  EXPECT_EQ(ErrorOf(several, "Pack\\v1"), messages::NoSuchModFolder(FullPath(archive), "Pack\\v1"));
  EXPECT_EQ(Relative(several, several.ModFolder("Pack/v2")), "Pack/v2");
}

TEST(ModFolderChoice, NoModelIsRefusedAndMacForksDoNotCount) {
  TemporaryRoot temporary;
  const std::string archive = Zip({{"readme.txt", "r"}, {"__MACOSX/Car/._car.dff", "fork"}});
  EXPECT_EQ(testing::ErrorOf([&] { ModSource source(archive); }),
            messages::NoModel(FullPath(archive)));
  EXPECT_EQ(temporary.EntryCount(), 0u);
  ModSource source(Zip({{"Car/car.dff", ""}, {"__MACOSX/Car/._car.dff", "fork"}}));
  EXPECT_EQ(source.candidates(), std::vector<std::string>{"Car"});
}

TEST(ModFolderChoice, ReadmeOfTheNearestFolderAboveIsPlacedBesideTheModel) {
  TemporaryRoot temporary;
  ModSource own(Zip({{"readme.txt", "top"}, {"Car/car.dff", ""}, {"Car/lines.txt", "own"}}));
  EXPECT_EQ(TreeOf(own.ModFolder()).count("readme.txt"), 0u);

  ModSource above(Zip({{"readme.txt", "top"},
                       {"Pack/info.txt", "pack"},
                       {"Pack/notes.txt/x.dff", ""},
                       {"Pack/Car/Model/car.dff", ""}}));
  const Tree model = TreeOf(above.ModFolder("Pack/Car/Model"));
  EXPECT_EQ(model.at("info.txt"), "pack");
  EXPECT_EQ(model.size(), 2u);

  ModSource none(Zip({{"Car/car.dff", ""}}));
  EXPECT_EQ(TreeOf(none.ModFolder()).size(), 1u);
}

TEST(ModFolderChoice, AFolderIsUsedAsItIs) {
  TemporaryRoot temporary;
  const std::string folder = SampleTree("nested");
  ModSource source(folder);
  EXPECT_FALSE(source.isArchive());
  EXPECT_EQ(source.ModFolder(), folder);
  EXPECT_EQ(ModSource("no such folder").ModFolder(), "no such folder");
  EXPECT_EQ(temporary.EntryCount(), 0u);
}

TEST(UnpackFolders, RemovedWithTheirOwnerUnlessKept) {
  TemporaryRoot temporary;
  std::string kept;
  {
    ModSource removed(Zip({{"car.dff", ""}}));
    ModSource keep(Zip({{"car.dff", ""}}));
    keep.KeepUnpacked();
    kept = keep.ModFolder();
    EXPECT_EQ(temporary.EntryCount(), 4u);
  }
  EXPECT_TRUE(FileExists(JoinPath(kept, "car.dff")));
  UnpackFolder moved = UnpackFolder::Create();
  UnpackFolder other = UnpackFolder::Create();
  moved = std::move(other);
  EXPECT_EQ(temporary.EntryCount(), 3u);
  moved.Remove();
  EXPECT_EQ(temporary.EntryCount(), 2u);
}

void AgeFolder(const std::string& path, long long seconds) {
#ifdef _WIN32
  const HANDLE folder = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER time{};
  time.LowPart = now.dwLowDateTime, time.HighPart = now.dwHighDateTime;
  time.QuadPart -= static_cast<unsigned long long>(seconds) * 10000000;
  FILETIME then{time.LowPart, time.HighPart};
  SetFileTime(folder, nullptr, nullptr, &then);
  CloseHandle(folder);
#else
  timeval now{};
  gettimeofday(&now, nullptr);
  now.tv_sec -= seconds;
  const timeval times[2] = {now, now};
  utimes(path.c_str(), times);
#endif
}

// A parent where no folder can be made: unpacking names it and gives the reason.
TEST(UnpackFolders, AFolderThatCannotBeMadeIsNamedWithTheReason) {
  TemporaryRoot temporary;
  const std::string parent = JoinPath(temporary.path(), "not-a-folder");
  WriteFileReplacing(parent, "x");
  const std::string error =
      testing::ErrorOf([&] { unpack_platform::CreatePrivateFolder(parent, "wrenfield-"); });
  const std::string named = msg::CannotCreateTemporaryFolder(parent, "");
  EXPECT_EQ(error.rfind(named, 0), 0u) << error;
  EXPECT_GT(error.size(), named.size());
}

TEST(UnpackFolders, StaleOnesAreSweptAfterADay) {
  TemporaryRoot temporary;
  UnpackFolder old = UnpackFolder::Create(), recent = UnpackFolder::Create();
  std::string reason;
  TryCreateFolder(JoinPath(old.path(), "inner"), reason);
  AgeFolder(old.path(), 25 * 60 * 60);
  AgeFolder(recent.path(), 23 * 60 * 60);
  const std::string other = JoinPath(temporary.path(), "other-program");
  TryCreateFolder(other, reason);
  AgeFolder(other, 48 * 60 * 60);
  RemoveStaleUnpackFolders();
  EXPECT_FALSE(DirectoryExists(old.path()));
  EXPECT_TRUE(DirectoryExists(recent.path()));
  EXPECT_TRUE(DirectoryExists(other));
}

#ifdef _WIN32
// A temporary folder named beyond the system code page (a user name in another
// script) is reached by its short form, so archives still unpack.
TEST(UnpackFolders, TemporaryFolderNamedBeyondTheCodePage) {
  TemporaryRoot root;
  wchar_t parent[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, root.path().c_str(), -1, parent, MAX_PATH);
  const std::wstring folder = std::wstring(parent) + L"\\\u6F22\u5B57";  // 漢字
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  SetEnvironmentVariableW(L"TMP", folder.c_str());
  ModSource source(Zip({{"car.dff", "model"}}));
  EXPECT_EQ(ReadFileBytes(JoinPath(source.ModFolder(), "car.dff")), "model");
}
#endif

// A Russian mod unpacks and reads on any system code page. On a Western one (the
// CTest entry unpack_tests_western runs this under code page 1252) its Cyrillic
// names are spelt in Latin letters, and names spelt alike are numbered apart.
TEST(AnySystemCodePage, RussianVariantsUnpackAndReadApart) {
  TemporaryRoot temporary;
  const std::string line = "411, infernus, infernus, car, INFERNUS, INFERNUS, null, executive, ";
  std::vector<ZipEntry> entries;
  for (const char* variant : {"1", "2"}) {
    const std::string folder = std::string("Мод/") + (variant[0] == '1' ? "Ель" : "Эль") + "/";
    entries.push_back({folder + "infernus.dff", variant, 0x0800});
    entries.push_back({folder + "infernus.txd", variant, 0x0800});
    entries.push_back({folder + "readme.txt", line + variant, 0x0800});
  }
  ModSource source(Zip(entries));
  ASSERT_EQ(source.candidates().size(), 2u);
#ifdef _WIN32
  if (const char* codePage = std::getenv("WRENFIELD_TEST_CODE_PAGE")) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(codePage)));
    EXPECT_EQ(source.candidates(), (std::vector<std::string>{"Mod/El", "Mod/El~2"}));
  }
#endif
  for (const char* variant : {"1", "2"}) {
    TInstallFields fields;
    std::string replaced;
    ReadData(source.ModFolder(source.candidates()[variant[0] - '1']), fields, replaced);
    EXPECT_EQ(fields.vehicles, line + variant);
    EXPECT_EQ(ReadFileBytes(fields.DFF), variant);
  }
}

// A Latin name keeps its spelling even where a Cyrillic name before it is
// transliterated to the same (under code page 1252): the Cyrillic one is
// numbered apart, and each keeps its own bytes.
TEST(AnySystemCodePage, ALatinNameKeepsItsSpellingBesideATransliteratedOne) {
  const testing::Unpacked unpacked = testing::UnpackToTree(
      ScratchFile("alike.zip",
                  testing::ZipOf({{"Мод/car.dff", "cyrillic", 0x0800}, {"Mod/car.dff", "latin"}})));
  EXPECT_EQ(unpacked.error, "");
  Tree expected = {{testing::Cp("Мод"), "<folder>"},
                   {testing::Cp("Мод/car.dff"), "cyrillic"},
                   {"Mod", "<folder>"},
                   {"Mod/car.dff", "latin"}};
#ifdef _WIN32
  if (std::getenv("WRENFIELD_TEST_CODE_PAGE") != nullptr) {
    expected = {{"Mod", "<folder>"},
                {"Mod/car.dff", "latin"},
                {"Mod~2", "<folder>"},
                {"Mod~2/car.dff", "cyrillic"}};
  }
#endif
  EXPECT_EQ(unpacked.tree, expected);
}

// The read-me's fields, with the mod folder's path taken out of the file paths.
struct Read {
  TInstallFields fields;
  std::string replaced;
};
Read ReadFolder(const std::string& folder) {
  Read read;
  ReadData(folder, read.fields, read.replaced);
  auto strip = [&](std::string& path) {
    if (path.compare(0, folder.size(), folder) == 0) path = "<mod>" + path.substr(folder.size());
  };
  strip(read.fields.DFF);
  strip(read.fields.TXD);
  for (TAdvItem& item : read.fields.Adv) strip(item.path);
  return read;
}

void ExpectSameRead(const Read& fromArchive, const Read& byHand) {
  EXPECT_EQ(fromArchive.fields.handling, byHand.fields.handling);
  EXPECT_EQ(fromArchive.fields.vehicles, byHand.fields.vehicles);
  EXPECT_EQ(fromArchive.fields.carcols, byHand.fields.carcols);
  EXPECT_EQ(fromArchive.fields.carmods, byHand.fields.carmods);
  EXPECT_EQ(fromArchive.fields.DFF, byHand.fields.DFF);
  EXPECT_EQ(fromArchive.fields.TXD, byHand.fields.TXD);
  EXPECT_EQ(fromArchive.fields.Adv.size(), byHand.fields.Adv.size());
  EXPECT_EQ(fromArchive.replaced, byHand.replaced);
}

TEST(FixtureModArchives, ReadAsWhenUnpackedByHand) {
  SKIP_WITHOUT_FIXTURE("readmes/02_MesaPlus__Lines.txt");
  TemporaryRoot temporary;
  for (const SampleMod& layout : {SampleMod{"nested.zip", "", "nested/Comet Plus+/Modelo"},
                                  SampleMod{"beside.zip", "", "beside_by_hand/Model"},
                                  SampleMod{"beside.7z", "", "beside_by_hand/Model"},
                                  SampleMod{"variants.7z", "Mesa Plus+/Mesa (вариант 2)",
                                            "variants/Mesa Plus+/Mesa (вариант 2)"}}) {
    ModSource source(Sample(layout.archive));
    const std::string folder = source.ModFolder(testing::Cp(layout.pick));
    const Read fromArchive = ReadFolder(folder);
    EXPECT_NE(fromArchive.fields.vehicles, "") << layout.archive;
    EXPECT_NE(fromArchive.fields.DFF, msg::ModelFileNotFound()) << layout.archive;
    const std::string byHand = SampleTree(testing::SamplePathText(layout.handFolder));
    ExpectSameRead(fromArchive, ReadFolder(byHand));
    EXPECT_EQ(TreeOf(folder), TreeOf(byHand)) << layout.archive;
  }
}

}  // namespace
}  // namespace wrenfield
