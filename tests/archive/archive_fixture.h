// Helpers for the archive tests: a scratch folder, whole-file reads and writes,
// archive images built and parsed byte by byte, and other openers of a file.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "torvane.h"

namespace tvtest {

using Bytes = std::vector<unsigned char>;

constexpr std::uint64_t kSector = 2048;
#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string Path(const std::string& name) const { return root_ + kSep + name; }
  const std::string& root() const { return root_; }

 private:
  std::string root_;
};

Bytes ReadAll(const std::string& path);
void WriteAll(const std::string& path, const Bytes& bytes);
// Writes bytes at pos, extending the file (sparsely where the system can).
void WriteAt(const std::string& path, std::uint64_t pos, const Bytes& bytes);
// Up to n bytes at pos.
Bytes ReadAt(const std::string& path, std::uint64_t pos, std::size_t n);
std::uint64_t FileSize(const std::string& path);
bool Exists(const std::string& path);
void MakeDir(const std::string& path);
// Deterministic bytes, different for each seed.
Bytes Pattern(std::size_t n, unsigned seed);
// bytes followed by zero bytes up to the next whole sector.
Bytes Padded(Bytes bytes);

struct Record {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
  std::string name;
};

// An archive image: "VER2", count, the records (written last, over any data), then
// each record's sectors filled
// with Pattern(size * 2048, index + 1); the image ends at the last data sector
// unless `length` asks for more.
Bytes BuildArchive(const std::vector<Record>& records, std::uint64_t length = 0);
// The header and directory only, with the given count field.
Bytes Header(std::int32_t count, const std::vector<Record>& records);
void PutRecord(Bytes& image, std::size_t slot, const Record& record);

std::int32_t CountOf(const Bytes& image);
Record RecordAt(const Bytes& image, std::size_t slot);
std::vector<Record> DirectoryOf(const Bytes& image);
Bytes SectorsOf(const Bytes& image, std::uint64_t offset, std::uint64_t size);
Bytes Slice(const Bytes& image, std::uint64_t from, std::uint64_t length);

// Holds path open for exclusive use the way another program would; IsHeld() is
// false when that failed because someone else holds it.
class OtherOpener {
 public:
  explicit OtherOpener(const std::string& path);
  ~OtherOpener();
  OtherOpener(const OtherOpener&) = delete;
  OtherOpener& operator=(const OtherOpener&) = delete;
  bool IsHeld() const { return handle_ != -1; }

 private:
  std::intptr_t handle_ = -1;
};
bool CanBeHeld(const std::string& path);

// Runs the probe program in another process: IMGOpen(path), then IMGClose;
// returns the open's status code.
int OpenInOtherProcess(const std::string& path);

// Every test starts and ends with the library closed.
class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override { IMGClose(); }
  void TearDown() override { IMGClose(); }
  ScratchDir dir_;
};

// A test on one archive file that it writes, opens and reads back.
class OpenArchiveTest : public ArchiveTest {
 protected:
  std::string archive_ = dir_.Path("test.img");

  // Writes the archive and opens it.
  Bytes Start(const Bytes& image) {
    WriteAll(archive_, image);
    EXPECT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
    return image;
  }
  // The archive as it is on disk, after closing it.
  Bytes Finish() {
    IMGClose();
    return ReadAll(archive_);
  }
};

}  // namespace tvtest
