#include "archive_fixture.h"

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tvtest {

namespace {

std::string ProgramFolder() {
#ifdef _WIN32
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(std::string(path, n)).parent_path().string();
#else
  return fs::read_symlink("/proc/self/exe").parent_path().string();
#endif
}

}  // namespace

OtherOpener::OtherOpener(const std::string& path) {
#ifdef _WIN32
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE) handle_ = reinterpret_cast<std::intptr_t>(f);
#else
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return;
  }
  handle_ = fd;
#endif
}

OtherOpener::~OtherOpener() {
  if (handle_ == -1) return;
#ifdef _WIN32
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
#else
  ::close(static_cast<int>(handle_));
#endif
}

bool CanBeHeld(const std::string& path) { return OtherOpener(path).IsHeld(); }

int OpenInOtherProcess(const std::string& path) {
#ifdef _WIN32
  std::string command = "\"" + ProgramFolder() + "\\torvane_probe.exe\" \"" + path + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
#else
  const std::string probe = ProgramFolder() + "/torvane_probe";
  const pid_t child = fork();
  if (child == 0) {
    execl(probe.c_str(), probe.c_str(), path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

Bytes HoleyArchive() {
  // Five records end the directory in sector 0; sectors 1-2, 7, 48-49 and 52-53
  // are holes. The overlapping pair and big.dff each overlap their own old
  // place, so the first step journals their bytes; car.txd then lands in free
  // space, and its step journals only its record.
  return BuildArchive(
      {{50, 2, "car.txd"}, {200, 0, "empty"}, {8, 40, "big.dff"}, {3, 3, "a.dff"}, {4, 3, "b.dff"}},
      54 * kSector);
}

::testing::AssertionResult SameEntries(const Bytes& before, const Bytes& after) {
  const std::vector<Record> old_records = DirectoryOf(before);
  const std::vector<Record> new_records = DirectoryOf(after);
  if (old_records.size() != new_records.size()) {
    return ::testing::AssertionFailure()
           << "count " << new_records.size() << " instead of " << old_records.size();
  }
  for (std::size_t i = 0; i < old_records.size(); ++i) {
    const Record& was = old_records[i];
    const Record& is = new_records[i];
    if (was.name != is.name || was.size != is.size) {
      return ::testing::AssertionFailure()
             << "slot " << i << " holds '" << is.name << "' of " << is.size
             << " sectors instead of '" << was.name << "' of " << was.size;
    }
    if (was.size > 0 &&
        SectorsOf(before, was.offset, was.size) != SectorsOf(after, is.offset, is.size)) {
      return ::testing::AssertionFailure() << "the bytes of '" << is.name << "' changed";
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace tvtest
