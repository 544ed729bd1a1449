// The archive is held without sharing from IMGOpen to IMGClose: no other opener,
// in this process or another, gets it, and Torvane cannot open what another holds.
#include "archive_fixture.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace tvtest {
namespace {

class ExclusiveTest : public ArchiveTest {
 protected:
  std::string archive_ = dir_.Path("held.img");
  Bytes image_ = BuildArchive({{1, 2, "car.dff"}, {3, 1, "car.txd"}});
  void SetUp() override {
    ArchiveTest::SetUp();
    WriteAll(archive_, image_);
  }
};

TEST_F(ExclusiveTest, HeldArchiveRefusesEveryOtherOpener) {
  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  EXPECT_FALSE(CanBeHeld(archive_));
  EXPECT_EQ(OpenInOtherProcess(archive_), TORVANE_CANNOT_OPEN);
  // The archive as the file to add or as the output of an extraction.
  EXPECT_EQ(IMGAddFile(archive_.c_str(), "self", 1), TORVANE_CANNOT_OPEN);
  EXPECT_EQ(IMGExtractFile("car.dff", archive_.c_str()), TORVANE_CANNOT_OPEN);
#ifndef _WIN32
  const std::string link = dir_.Path("link.img");
  ASSERT_EQ(::link(archive_.c_str(), link.c_str()), 0);
  EXPECT_EQ(IMGExtractFile("car.dff", link.c_str()), TORVANE_CANNOT_OPEN);
  EXPECT_EQ(IMGAddFile(link.c_str(), "self", 1), TORVANE_CANNOT_OPEN);
#endif
  IMGClose();
  EXPECT_EQ(ReadAll(archive_), image_);
  EXPECT_TRUE(CanBeHeld(archive_));
  EXPECT_EQ(OpenInOtherProcess(archive_), TORVANE_OK);
}

TEST_F(ExclusiveTest, ArchiveHeldElsewhereCannotBeOpened) {
  {
    OtherOpener other(archive_);
    ASSERT_TRUE(other.IsHeld());
    EXPECT_EQ(IMGOpen(archive_.c_str()), TORVANE_CANNOT_OPEN);
    EXPECT_EQ(IMGDelFile("car.dff"), TORVANE_NOT_OPEN);
    IMGClose();
  }
  EXPECT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  EXPECT_EQ(OpenInOtherProcess(archive_), TORVANE_CANNOT_OPEN);
  IMGClose();
  EXPECT_EQ(ReadAll(archive_), image_);
}

TEST_F(ExclusiveTest, NonArchiveStaysHeldUntilClose) {
  const std::string text = dir_.Path("readme.txt");
  WriteAll(text, Pattern(100, 1));
  EXPECT_EQ(IMGOpen(text.c_str()), TORVANE_NOT_IMG);
  EXPECT_EQ(OpenInOtherProcess(text), TORVANE_CANNOT_OPEN);
  IMGClose();
  EXPECT_EQ(OpenInOtherProcess(text), TORVANE_NOT_IMG);
}

TEST_F(ExclusiveTest, OtherFilesAreReleasedBeforeTheCallReturns) {
  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  const std::string file = dir_.Path("new.dff");
  WriteAll(file, Pattern(3000, 2));
  EXPECT_EQ(IMGAddFile(file.c_str(), nullptr, 1), TORVANE_OK);
  EXPECT_TRUE(CanBeHeld(file));
  const std::string out = dir_.Path("out.bin");
  EXPECT_EQ(IMGExtractFile("new.dff", out.c_str()), TORVANE_OK);
  EXPECT_TRUE(CanBeHeld(out));
}

}  // namespace
}  // namespace tvtest
