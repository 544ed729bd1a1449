// Write failures provoked for real: the installation runs in a forked child
// whose file size limit stops writes part-way (SIGXFSZ ignored, so the write
// itself reports the failure, as a full disk would).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "data_files.h"
#include "demo_game.h"
#include "file_system.h"
#include "install_messages.h"
#include "install_test_support.h"
#include "line_replace.h"

namespace wrenfield {
namespace {

using testing::AsEntry;
using testing::DemoInstall;
using testing::ExtractEntry;
using testing::ReadAll;
using testing::RecordingProgress;
using testing::SameBytes;
using testing::TreeSnapshot;
using testing::WriteAll;
namespace msg = install_messages;

struct ChildResult {
  std::string events;
  std::string message;
};

// Installs in a child process limited to files of at most limit bytes.
ChildResult InstallWithFileSizeLimit(const DemoInstall& demo, rlim_t limit) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {"", "<pipe failed>"};
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    signal(SIGXFSZ, SIG_IGN);
    const rlimit rl{limit, limit};
    setrlimit(RLIMIT_FSIZE, &rl);
    RecordingProgress progress;
    const std::string message = Install(demo, progress);
    const std::string out = progress.events + '\n' + message;
    const ssize_t ignored = write(pipeFds[1], out.data(), out.size());
    (void)ignored;
    _exit(0);
  }
  close(pipeFds[1]);
  std::string out;
  char buffer[4096];
  for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, got);
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  const auto newline = out.find('\n');
  if (newline == std::string::npos) return {"", "<child died>"};
  return {out.substr(0, newline), out.substr(newline + 1)};
}

// No temporary file is left beside the data files.
bool NoTemporaryFiles(const DemoInstall& demo) {
  for (const auto& [name, bytes] : TreeSnapshot(demo.dir.path())) {
    if (name.find(".tmp") != std::string::npos) return false;
  }
  return true;
}

TEST(InstallWithWriteFailures, BackupCutShortStopsBeforeAnyDataFileChanges) {
  DemoInstall demo;
  const std::size_t carcols = ReadAll(demo.data("carcols.dat")).size();
  const std::size_t handling = ReadAll(demo.data("handling.cfg")).size();
  ASSERT_LT(carcols, handling);
  const auto before = TreeSnapshot(demo.dir.path());
  const ChildResult result = InstallWithFileSizeLimit(demo, carcols);
  EXPECT_EQ(result.message, std::string(msg::kBackupFailedPrefix) +
                                FullPath(demo.data("handling_Backup.cfg")) + "'");
  EXPECT_EQ(result.events, "OE");
  auto after = TreeSnapshot(demo.dir.path());
  const std::string backup =
      std::string("game") + kPathSeparator + "data" + kPathSeparator + "carcols_Backup.dat";
  EXPECT_TRUE(
      SameBytes(ReadAll(demo.data("carcols_Backup.dat")), ReadAll(demo.data("carcols.dat"))));
  after.erase(backup);
  EXPECT_TRUE(after == before);
  EXPECT_TRUE(NoTemporaryFiles(demo));
}

TEST(InstallWithWriteFailures, DataFileCutShortKeepsItsBytesAndLeavesNoTemporaryFile) {
  DemoInstall demo;
  demo.fields.carcols = "monster, " + std::string(300 * 1024, '1');
  const std::string stock = ReadAll(demo.data("carcols.dat"));
  const ChildResult result = InstallWithFileSizeLimit(demo, 200 * 1024);
  EXPECT_NE(result.message.find("'" + FullPath(demo.data("carcols.dat")) + "': "),
            std::string::npos)
      << result.message;
  EXPECT_EQ(result.events, "OE");
  EXPECT_TRUE(SameBytes(ReadAll(demo.data("carcols.dat")), stock));
  EXPECT_TRUE(SameBytes(ReadAll(demo.data("carcols_Backup.dat")), stock));
  EXPECT_TRUE(NoTemporaryFiles(demo));
}

// The archive may not grow: a file that does not fit its entry's allotment
// has to go to the archive's end, and that write fails.
TEST(InstallWithWriteFailures, ModelThatCannotBeWrittenFailsAfterTheDataFiles) {
  DemoInstall demo;
  const std::string archiveSize = ReadAll(demo.archive());
  const std::string stock = ReadAll(demo.data("vehicles.ide"));
  WriteAll(demo.fields.DFF, DemoBytes(64 * 1024, 1));
  const ChildResult result = InstallWithFileSizeLimit(demo, archiveSize.size());
  EXPECT_EQ(result.message, msg::kModelReplaceFailed);
  EXPECT_EQ(result.events, "OE");
  EXPECT_TRUE(SameBytes(ReadAll(demo.data("vehicles_Backup.ide")), stock));
  EXPECT_FALSE(SameBytes(ReadAll(demo.data("vehicles.ide")), stock));
  EXPECT_FALSE(
      SameBytes(ExtractEntry(demo.archive(), "monster.dff"), AsEntry(ReadAll(demo.fields.DFF))));
}

TEST(InstallWithWriteFailures, TextureThatCannotBeWrittenFailsAfterTheModel) {
  DemoInstall demo;
  const std::size_t archiveSize = ReadAll(demo.archive()).size();
  WriteAll(demo.fields.TXD, DemoBytes(64 * 1024, 2));
  const ChildResult result = InstallWithFileSizeLimit(demo, archiveSize);
  EXPECT_EQ(result.message, msg::kTextureReplaceFailed);
  EXPECT_EQ(result.events, "OE");
  EXPECT_TRUE(
      SameBytes(ExtractEntry(demo.archive(), "monster.dff"), AsEntry(ReadAll(demo.fields.DFF))));
}

TEST(InstallWithWriteFailures, AdditionalFileThatCannotBeWrittenIsNoSuccess) {
  DemoInstall demo;
  const std::size_t archiveSize = ReadAll(demo.archive()).size();
  const std::string refused = JoinPath(demo.mod, "a_name_of_24_chars_x.dff");
  const std::string big = JoinPath(demo.mod, "wheels.dff");
  WriteAll(refused, "refused by name");
  WriteAll(big, DemoBytes(64 * 1024, 3));
  demo.fields.Adv = {{refused, true}, {big, true}};
  const ChildResult result = InstallWithFileSizeLimit(demo, archiveSize);
  EXPECT_EQ(result.message, msg::kArchiveWriteFailed);
  EXPECT_EQ(result.events, "OE");
  EXPECT_TRUE(
      SameBytes(ExtractEntry(demo.archive(), "monster.txd"), AsEntry(ReadAll(demo.fields.TXD))));
}

}  // namespace
}  // namespace wrenfield
