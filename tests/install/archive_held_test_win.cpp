// Under Windows: an archive that another process holds (as the running game
// does) cannot be opened, and nothing is changed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "install_test_support.h"
#include "messages.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

// The folder of this test program, where the helper program lies too.
std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\'));
}

// Runs hold_file.exe on a file and waits until it holds it; terminates it at
// the end of the scope.
class FileHolder {
 public:
  FileHolder(const std::string& file, const std::string& marker) {
    std::string command =
        "\"" + ProgramFolder() + "\\hold_file.exe\" \"" + file + "\" \"" + marker + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_) != 0;
    for (int i = 0; started_ && i < 600 && !testing::Exists(marker); ++i) Sleep(50);
  }
  ~FileHolder() {
    if (!started_) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;
  bool started() const { return started_; }

 private:
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

TEST(InstallThroughTorvaneDll, ArchiveHeldByAnotherProcessFailsToOpenAndChangesNothing) {
  DemoInstall demo;
  const std::string marker = demo.dir.Path("held");
  {
    FileHolder holder(demo.archive(), marker);
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(testing::Exists(marker)) << "the helper did not take the archive";
    const auto before = TreeSnapshot(demo.game);
    RecordingProgress progress;
    EXPECT_EQ(Install(demo, progress), msg::ArchiveOpenFailed());
    EXPECT_EQ(progress.events, "");
    EXPECT_TRUE(TreeSnapshot(demo.game) == before);
  }
  // Once the other process has let go, the same installation goes through.
  RecordingProgress progress;
  EXPECT_EQ(Install(demo, progress), "");
  EXPECT_EQ(progress.events, "OIE");
}

}  // namespace
}  // namespace wrenfield
