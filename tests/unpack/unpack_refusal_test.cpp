// Hostile and broken archives are refused with a clear message, before anything
// is written outside the private folder, and the private folder goes with them.
#include <gtest/gtest.h>

#include <cerrno>

#include "entry_path.h"
#include "error_of.h"
#include "fault_seam.h"
#include "file_bytes.h"
#include "file_system.h"
#include "messages.h"
#include "mod_source.h"
#include "unpack_test_support.h"

namespace wrenfield {
namespace {

using testing::Cp;
using testing::LibarchiveSample;
using testing::Sample;
using testing::ScratchFile;
using testing::ZipEntry;
using testing::ZipOf;

namespace messages = msg;

constexpr std::uint32_t kFileMode = 0100644;
constexpr std::uint32_t kLinkMode = 0120777;

// The message a mod source refuses the archive with; the temporary folder must be
// left as empty as it was.
std::string Refusal(const std::string& archive, const UnpackLimits& limits = {}) {
  testing::TemporaryRoot temporary;
  const std::string message = testing::ErrorOf([&] { ModSource source(archive, limits); });
  EXPECT_EQ(temporary.EntryCount(), 0u) << archive;
  return message;
}

std::string ZipFile(const std::string& name, const std::vector<ZipEntry>& entries) {
  return ScratchFile(name, ZipOf(entries));
}

TEST(UnpackRefusal, NamesReachingOutsideOrThatWindowsCannotHold) {
  const char* const names[] = {"/etc/evil.txt",
                               "\\evil.txt",
                               "../evil.txt",
                               "a/../../evil.txt",
                               "a\\..\\..\\evil.txt",
                               "C:/evil.txt",
                               "C:evil.txt",
                               "a/file.txt:stream",
                               "CON",
                               "a/nul.txt",
                               "Com1.dff",
                               "LPT9",
                               "aux .txt",
                               "trailing.",
                               "trailing ",
                               "a\x01"
                               "b.txt",
                               "x<y.txt",
                               "what?.txt",
                               "star*.txt",
                               "\"quoted\".txt",
                               "pipe|.txt"};
  for (const char* name : names) {
    const std::string archive = ZipFile("unsafe.zip", {{"ok.dff", "x"}, {name, "evil"}});
    // libarchive may show "\\" as "/": the refusal is what counts.
    const std::string refusal = messages::UnsafeName(FullPath(archive), "");
    EXPECT_EQ(Refusal(archive).substr(0, refusal.size() - 1), refusal.substr(0, refusal.size() - 1))
        << name;
  }
}

TEST(UnpackRefusal, LinksAndSpecialFiles) {
  const std::string madeLink =
      ZipFile("link.zip", {{"car.dff", "x", 0, kFileMode}, {"car.txd", "car.dff", 0, kLinkMode}});
  EXPECT_EQ(Refusal(madeLink), messages::LinkOrSpecialFile(FullPath(madeLink), "car.txd"));
  struct Sampled {
    std::string archive;
    const char* entry;
  };
  for (const Sampled& sample :
       {Sampled{Sample("link.zip"), "link.txt"}, Sampled{LibarchiveSample("rar.rar"), "testlink"},
        Sampled{LibarchiveSample("rar5_symlink.rar"), "symlink.txt"},
        Sampled{LibarchiveSample("rar5_hardlink.rar"), "hardlink.txt"}}) {
    EXPECT_EQ(Refusal(sample.archive),
              messages::LinkOrSpecialFile(FullPath(sample.archive), sample.entry));
  }
}

TEST(UnpackRefusal, SameNameTwiceAsWindowsSeesNames) {
  const std::vector<std::vector<ZipEntry>> archives = {{{"car.dff", "a"}, {"car.dff", "b"}},
                                                       {{"car.dff", "a"}, {"CAR.DFF", "b"}},
                                                       {{"Машина.dff", "a"}, {"МАШИНА.dff", "b"}},
                                                       {{"car", "a"}, {"car/car.dff", "b"}},
                                                       {{"car/", "", 0, 040755}, {"car", "b"}}};
  for (const auto& entries : archives) {
    const std::string archive = ZipFile("twice.zip", entries);
    const std::string message = Refusal(archive);
    EXPECT_EQ(message, messages::SameNameTwice(FullPath(archive),
                                               NameForMessage(DecodeLegacyName(entries[1].name))));
  }
}

TEST(UnpackRefusal, MoreEntriesThanTheLimit) {
  std::vector<ZipEntry> entries(10001, ZipEntry{"", ""});
  for (std::size_t i = 0; i < entries.size(); ++i) entries[i].name = std::to_string(i) + ".txt";
  const std::string archive = ZipFile("many.zip", entries);
  EXPECT_EQ(Refusal(archive), messages::TooManyEntries(FullPath(archive), 10000));

  const std::string small =
      ZipFile("five.zip", {{"1.dff", ""}, {"2/", ""}, {"3", ""}, {"4", ""}, {"5", ""}});
  EXPECT_EQ(Refusal(small, {4, 1 << 20}), messages::TooManyEntries(FullPath(small), 4));
  EXPECT_EQ(Refusal(small, {5, 1 << 20}), "");
}

// The limit counts the bytes as they come out, whatever the headers claim.
TEST(UnpackRefusal, MoreBytesThanTheLimit) {
  const UnpackLimits oneMegabyte{10000, 1 << 20};
  const std::string exact = ZipFile(
      "exact.zip",
      {{"car.dff", std::string(1 << 19, 'a')}, {"car.txd", std::string(1 << 19, 'b'), 0, 0, true}});
  EXPECT_EQ(Refusal(exact, oneMegabyte), "");
  const std::string lying =
      ZipFile("lying.zip", {{"car.dff", std::string((1 << 20) + 1, 'a'), 0, 0, false, 100}});
  EXPECT_EQ(Refusal(lying, oneMegabyte), messages::TooLarge(FullPath(lying), 1 << 20));
  EXPECT_EQ(Refusal(Sample("lzma2_solid.7z"), {10000, 200000}),
            messages::TooLarge(FullPath(Sample("lzma2_solid.7z")), 200000));
}

// The real limit, on an entry that unpacks to one byte more than 2 GiB.
TEST(UnpackRefusal, TwoGibibytesUnpackedAtMost) {
  const std::uint64_t twoGibibytes = std::uint64_t{2} << 30;
  const std::string fits = ZipFile("fits.zip", {testing::ZerosEntry("car.dff", 1 << 20)});
  EXPECT_EQ(Refusal(fits), "");
  const std::string archive =
      ZipFile("zeros.zip", {testing::ZerosEntry("car.dff", twoGibibytes + 1)});
  EXPECT_EQ(Refusal(archive), messages::TooLarge(FullPath(archive), twoGibibytes));
}

TEST(UnpackRefusal, PasswordProtectedArchives) {
  const std::vector<std::string> archives = {
      Sample("password.zip"),
      Sample("password.7z"),
      Sample("password_names.7z"),
      LibarchiveSample("zip_encryption_header.zip"),
      LibarchiveSample("7zip_encryption.7z"),
      LibarchiveSample("7zip_encryption_header.7z"),
      LibarchiveSample("rar_encryption_data.rar"),
      LibarchiveSample("rar_encryption_header.rar"),
      LibarchiveSample("rar_encryption_partially.rar"),
      ZipFile("flag.zip", {{"car.dff", "x", 0x0001}}),
  };
  for (const std::string& archive : archives) {
    EXPECT_EQ(Refusal(archive), messages::PasswordProtected(FullPath(archive))) << archive;
  }
}

// Damage in the data, in the headers, or a download cut short.
TEST(UnpackRefusal, DamagedAndTruncatedArchives) {
  const std::string crc = ZipFile("crc.zip", {{"car.dff", "model", 0, 0, false, -1, true}});
  EXPECT_EQ(Refusal(crc), Cp("Архив '") + FullPath(crc) +
                              Cp("' повреждён или скачан не полностью, ошибка в файле 'car.dff'"));
  struct Cut {
    std::string sample;
    double keep;  // the share of the file kept; below 1 the rest is cut off
    std::size_t flipAt;
  };
  const std::string zip = Sample("deflate.zip"), solid = Sample("lzma2_solid.7z"),
                    rar5 = LibarchiveSample("rar5_solid.rar"),
                    rar4 = LibarchiveSample("rar_windows.rar");
  for (const Cut& cut :
       {Cut{zip, 1, 20000}, Cut{zip, 0.5, 0}, Cut{solid, 1, 30000}, Cut{solid, 0.5, 0},
        Cut{rar5, 1, 300}, Cut{rar5, 0.6, 0}, Cut{rar4, 1, 200}, Cut{rar4, 0.7, 0}}) {
    std::string bytes = testing::ReadAll(cut.sample);
    bytes.resize(static_cast<std::size_t>(bytes.size() * cut.keep));
    if (cut.flipAt != 0) bytes[cut.flipAt] ^= 0x55;
    const std::string archive = ScratchFile("damaged", bytes);
    const std::string message = Refusal(archive);
    const std::string damaged = messages::ModArchiveDamaged(FullPath(archive));
    EXPECT_EQ(message.substr(0, damaged.size()), damaged) << cut.sample << " " << cut.keep;
  }
}

// libarchive takes a name it cannot convert for a lack of memory, and ends the
// process, when errno already holds ENOMEM: one left over must not reach it.
TEST(UnpackRefusal, NameCutMidCharacterAfterAnEarlierOutOfMemory) {
  const std::string archive = ZipFile("cut.zip", {{"car.dff\xF4", "model"}});
  const std::string first = Refusal(archive);
  errno = ENOMEM;
  EXPECT_EQ(Refusal(archive), first);
}

// A disk failing part way: the file's own error, and nothing left behind.
TEST(UnpackRefusal, WriteFailurePartWayLeavesNothing) {
  const std::string cannotCreate = CreateFileErrorMessage("", "");
  const std::string prefix = cannotCreate.substr(0, cannotCreate.size() - 4);  // up to "'"
  for (const fault::Op op : {fault::kWrite, fault::kClose}) {
    fault::FailNth(op, 2);
    const std::string message = Refusal(Sample("lzma2_solid.7z"));
    EXPECT_EQ(fault::Clear(), 1u) << op;
    EXPECT_EQ(message.substr(0, prefix.size()), prefix) << op;
  }
}

TEST(UnpackRefusal, FilesThatAreNoArchiveNameTheFormatsTaken) {
  for (const std::string& archive :
       {ScratchFile("readme.txt", "500, mesa, mesa, car"), ScratchFile("empty.zip", ""),
        ScratchFile("gta3.img", std::string("VER2\x01\x00\x00\x00", 8) + std::string(2040, '\0')),
        Sample("formats.tar")}) {
    EXPECT_EQ(Refusal(archive), messages::NotAModArchive(FullPath(archive))) << archive;
  }
}

}  // namespace
}  // namespace wrenfield
