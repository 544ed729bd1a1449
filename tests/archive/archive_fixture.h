// The archive tests' fixture: the library closed before and after every test,
// an archive file written, opened and read back, and other openers of a file.
// Scratch folders, files and archive images come from the test-support layer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "archive_image.h"
#include "file_bytes.h"
#include "gtest_support.h"
#include "scratch_dir.h"
#include "torvane.h"

namespace tvtest {

using namespace wrenfield::testing;

constexpr std::uint64_t kSector = 2048;
constexpr char kSep = kSeparator;

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

// An archive with a hole everywhere compaction looks: before the first entry's
// data, between entries (one entry larger than the transfer buffer and than
// the hole before it), and after the last; an empty entry pointing past the
// end; two entries that overlap; directory order unlike the order of the data.
Bytes HoleyArchive();
// The sectors HoleyArchive() takes once compacted.
constexpr std::uint64_t kHoleyCompactedSectors = 47;
// Whether every slot of `after` holds the entry of the same slot in `before`:
// the same name and size, and the same bytes wherever each image puts them.
::testing::AssertionResult SameEntries(const Bytes& before, const Bytes& after);

// Every test starts and ends with the library closed.
class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override { IMGClose(); }
  void TearDown() override { IMGClose(); }
  ScratchDir dir_{"torvane"};
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
  // The archive as it is on disk, after closing it. No journal outlives a change.
  Bytes Finish() {
    IMGClose();
    EXPECT_FALSE(Exists(archive_ + "-journal"));
    return ReadAll(archive_);
  }
};

}  // namespace tvtest
