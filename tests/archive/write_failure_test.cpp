// Failures of the disk must come back as 16, never as success. Each case runs
// in a child process whose file size limit makes writes past it fail (SIGXFSZ
// ignored, so the write returns an error instead of killing the process).
#ifndef _WIN32

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "archive_fixture.h"

namespace tvtest {
namespace {

// Runs body in a child limited to `limit` bytes per file; its result is the
// child's exit status.
int WithFileSizeLimit(std::uint64_t limit, const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit lim = {static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    if (setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(200);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class WriteFailureTest : public ArchiveTest {
 protected:
  std::string archive_ = dir_.Path("test.img");
  Bytes image_ = BuildArchive({{1, 2, "car.dff"}, {3, 1, "car.txd"}});
  std::string file_ = dir_.Path("new.dff");
  void SetUp() override {
    ArchiveTest::SetUp();
    WriteAll(archive_, image_);
    WriteAll(file_, Pattern(5000, 1));
  }
  // Opens the archive in the child, runs op, reports op's status.
  int InChild(std::uint64_t limit, const std::function<int()>& op) {
    return WithFileSizeLimit(limit, [&] {
      if (IMGOpen(archive_.c_str()) != TORVANE_OK) return 201;
      const int status = op();
      IMGClose();
      return status;
    });
  }
};

TEST_F(WriteFailureTest, AddingPastTheLimitReturns16AndKeepsTheDirectory) {
  const std::uint64_t limit = image_.size() + 2048;  // room for one of three sectors
  EXPECT_EQ(InChild(limit, [&] { return IMGAddFile(file_.c_str(), nullptr, 1); }),
            TORVANE_IO_ERROR);
  EXPECT_EQ(InChild(limit, [&] { return IMGAddFile(file_.c_str(), "car.txd", 1); }),
            TORVANE_IO_ERROR);
  const Bytes after = ReadAll(archive_);
  EXPECT_EQ(Slice(after, 0, image_.size()), image_);
  // The same additions succeed without the limit.
  EXPECT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  EXPECT_EQ(IMGAddFile(file_.c_str(), nullptr, 1), TORVANE_OK);
  EXPECT_EQ(IMGAddFile(file_.c_str(), "car.txd", 1), TORVANE_OK);
}

TEST_F(WriteFailureTest, ExtractingPastTheLimitReturns16) {
  const std::string out = dir_.Path("out.bin");
  EXPECT_EQ(InChild(3000, [&] { return IMGExtractFile("car.dff", out.c_str()); }),
            TORVANE_IO_ERROR);
  EXPECT_EQ(InChild(3000, [&] { return IMGExtractFile("car.txd", out.c_str()); }), TORVANE_OK);
}

TEST_F(WriteFailureTest, DeletingWhenTheDirectoryCannotBeWrittenReturns16) {
  EXPECT_EQ(InChild(6, [&] { return IMGDelFile("car.dff"); }), TORVANE_IO_ERROR);
  EXPECT_EQ(ReadAll(archive_), image_);
  EXPECT_EQ(InChild(6, [&] { return IMGDelFile("absent"); }), TORVANE_DELETED);
}

TEST_F(WriteFailureTest, AfterADeletionFailsPartWayTheFileIsWhatCounts) {
  // Count 4 in a file of 128 bytes: the last slot runs past the end, so shifting
  // the records up stops at the limit with "r1" already in slot 0.
  Bytes image = Header(4, {{0, 0, "r0"}, {0, 0, "r1"}, {0, 0, "r2"}, {0, 0, "r3"}});
  image.resize(128);
  WriteAll(archive_, image);
  const std::string empty = dir_.Path("empty");
  WriteAll(empty, {});
  EXPECT_EQ(InChild(128,
                    [&] {
                      if (IMGDelFile("r0") != TORVANE_IO_ERROR) return 1;
                      // "r0" is gone from the file: this must not write over slot 0.
                      IMGAddFile(empty.c_str(), "r0", 1);
                      return 0;
                    }),
            0);
  const Bytes after = ReadAll(archive_);
  EXPECT_EQ(RecordAt(after, 0).name, "r1");
  EXPECT_EQ(RecordAt(after, 1).name, "r2");
  EXPECT_EQ(RecordAt(after, 2).name, "r3");
}

TEST_F(WriteFailureTest, RoomMakingPastTheLimitReturns16) {
  std::vector<Record> records;
  for (int i = 0; i < 63; ++i) records.push_back({static_cast<std::uint32_t>(i + 1), 1, "e"});
  const Bytes image = BuildArchive(records);
  WriteAll(archive_, image);
  // Room for the new entry's three sectors but not for the moved one.
  EXPECT_EQ(InChild(image.size() + 3 * 2048, [&] { return IMGAddFile(file_.c_str(), "n", 1); }),
            TORVANE_IO_ERROR);
  const Bytes after = ReadAll(archive_);
  EXPECT_EQ(CountOf(after), 63);
  EXPECT_EQ(RecordAt(after, 0).offset, 1u);
}

}  // namespace
}  // namespace tvtest

#endif  // _WIN32
