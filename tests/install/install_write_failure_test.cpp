// Write failures of Wrenfield's file layer during an installation, provoked
// through the layer's test seam (so they run the same on every platform):
// nothing is ever left half-written, and the failure is the one reported.
#include <gtest/gtest.h>

#include <string>

#include "data_files.h"
#include "file_fault.h"
#include "file_system.h"
#include "install_messages.h"
#include "install_test_support.h"
#include "line_replace.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer
namespace msg = install_messages;

constexpr unsigned kEveryKind = kFileWrite | kFileSync | kFileRename | kFileClose;
const char* const kDataFiles[] = {"carcols.dat", "handling.cfg", "vehicles.ide", "carmods.dat"};

// Installs with the nth call of the kinds in ops failing; returns the message.
std::string InstallFailing(const DemoInstall& demo, unsigned ops, unsigned long nth,
                           RecordingProgress& progress) {
  FailFileOp(ops, nth);
  const std::string message = Install(demo, progress);
  ClearFileFault();
  return message;
}

bool NoTemporaryFiles(const DemoInstall& demo) {
  for (const auto& [name, bytes] : TreeSnapshot(demo.dir.path())) {
    if (name.find(".tmp") != std::string::npos) return false;
  }
  return true;
}

TEST(InstallWriteFailures, BackupThatCannotBeWrittenStopsBeforeAnyDataFileChanges) {
  DemoInstall demo;
  const auto before = TreeSnapshot(demo.game);
  RecordingProgress progress;
  // The backups are the first files written: the second is handling's.
  EXPECT_EQ(
      InstallFailing(demo, kFileRename, 2, progress),
      std::string(msg::kBackupFailedPrefix) + FullPath(demo.data("handling_Backup.cfg")) + "'");
  EXPECT_EQ(progress.events, "OE");
  for (const char* name : kDataFiles) {
    EXPECT_TRUE(
        SameBytes(ReadAll(demo.data(name)), before.at(std::string("data") + kPathSeparator + name)))
        << name;
  }
  EXPECT_TRUE(
      SameBytes(ReadAll(demo.data("carcols_Backup.dat")), ReadAll(demo.data("carcols.dat"))));
  EXPECT_FALSE(testing::Exists(demo.data("handling_Backup.cfg")));
  EXPECT_TRUE(NoTemporaryFiles(demo));
}

TEST(InstallWriteFailures, DataFileThatCannotBeWrittenKeepsItsBytesAndNamesItself) {
  DemoInstall demo;
  const std::string stock = ReadAll(demo.data("carcols.dat"));
  RecordingProgress progress;
  // Four backups, then carcols.dat, the first data file patched.
  const std::string message = InstallFailing(demo, kFileSync, 5, progress);
  EXPECT_EQ(message.rfind(CreateFileErrorMessage(FullPath(demo.data("carcols.dat")), ""), 0), 0u)
      << message;
  EXPECT_EQ(progress.events, "OE");
  EXPECT_TRUE(SameBytes(ReadAll(demo.data("carcols.dat")), stock));
  EXPECT_TRUE(SameBytes(ReadAll(demo.data("carcols_Backup.dat")), stock));
  EXPECT_TRUE(NoTemporaryFiles(demo));
}

// Every write, sync, rename and close the installation makes fails in turn:
// each data file is then either as it was or wholly patched, each backup is
// either absent or a whole copy, and no temporary file is left.
TEST(InstallWriteFailures, AFailureAnywhereLeavesEveryFileWholeOrUntouched) {
  DemoInstall demo;
  const auto before = TreeSnapshot(demo.game);
  std::map<std::string, std::string> patched;
  {
    DemoInstall reference;
    RecordingProgress progress;
    ASSERT_EQ(Install(reference, progress), "");
    for (const char* name : kDataFiles) patched[name] = ReadAll(reference.data(name));
  }
  unsigned long n = 1;
  for (;; ++n) {
    DemoInstall attempt;
    RecordingProgress progress;
    const std::string message = InstallFailing(attempt, kEveryKind, n, progress);
    if (message.empty()) break;
    SCOPED_TRACE("call " + std::to_string(n) + " failing: " + message);
    EXPECT_EQ(progress.events, "OE");
    for (const char* name : kDataFiles) {
      const std::string now = ReadAll(attempt.data(name));
      const std::string& stock = before.at(std::string("data") + kPathSeparator + name);
      EXPECT_TRUE(now == stock || now == patched[name]) << name;
    }
    for (const auto& [name, bytes] : TreeSnapshot(attempt.game)) {
      if (name.find("_Backup.") == std::string::npos) continue;
      const std::string original =
          name.substr(0, name.find("_Backup.")) + name.substr(name.find("_Backup.") + 7);
      EXPECT_TRUE(SameBytes(bytes, before.at(original))) << name;
    }
    EXPECT_TRUE(NoTemporaryFiles(attempt));
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GE(n, 4u * 8);  // four backups and four data files, each written, synced, closed, renamed
}

}  // namespace
}  // namespace wrenfield
