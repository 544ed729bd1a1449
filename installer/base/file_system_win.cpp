// The file-system layer on Windows (ANSI functions: paths are code page 1251).
#include <windows.h>

#include "error.h"
#include "file_fault.h"
#include "file_system.h"
#include "text_encoding.h"

namespace wrenfield {
namespace {

// The system's message for an error code in code page 1251: the user's
// language when the code page holds it, else English, else the bare number.
std::string ReasonText(DWORD error) {
  const WORD languages[] = {MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)};
  for (const WORD language : languages) {
    wchar_t buffer[512];
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       language, buffer, sizeof buffer / sizeof buffer[0], nullptr);
    std::string text;
    bool representable = length > 0;
    for (DWORD i = 0; i < length && representable; ++i) {
      unsigned char byte = 0;
      representable = CodePointToCp1251(buffer[i], byte);
      text += static_cast<char>(byte);
    }
    if (!representable) continue;
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
    if (!text.empty()) return text;
  }
  return "system error " + std::to_string(error);
}

// A call the test seam fails: reported as a device's write fault.
bool Injected(FileOp op) {
  if (!FileOpFails(op)) return false;
  SetLastError(ERROR_WRITE_FAULT);
  return true;
}

// A kernel handle closed by the destructor.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  // Closes now; false when the close reports a failure.
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    const bool closed = CloseHandle(handle) != 0;
    return !Injected(kFileClose) && closed;
  }

 private:
  HANDLE handle_;
};

// A directory search closed by the destructor.
class DirectorySearch {
 public:
  explicit DirectorySearch(const std::string& pattern)
      : handle_(FindFirstFileA(pattern.c_str(), &data_)) {}
  ~DirectorySearch() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  DirectorySearch(const DirectorySearch&) = delete;
  DirectorySearch& operator=(const DirectorySearch&) = delete;

  // The name of the entry found first, then of each further one; null at the end.
  const char* NextName() {
    if (handle_ == INVALID_HANDLE_VALUE) return nullptr;
    if (!first_ && !FindNextFileA(handle_, &data_)) return nullptr;
    first_ = false;
    return data_.cFileName;
  }

 private:
  WIN32_FIND_DATAA data_{};
  HANDLE handle_;
  bool first_ = true;
};

DWORD Attributes(const std::string& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
}

bool WriteAll(HANDLE file, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (Injected(kFileWrite) || !WriteFile(file, data, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

// The temporary file's name carries the process id, so no other running
// process uses it; one that exists already was left by an earlier run that
// ended before its move, and is deleted so that it cannot block every later write.
std::string UnusedTemporaryName(const std::string& target) {
  std::string name = target + ".wrenfield-" + std::to_string(GetCurrentProcessId()) + ".tmp";
  DeleteFileA(name.c_str());
  return name;
}

// A temporary file beside a target that either replaces the target (Commit) or
// is deleted when it goes out of scope.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& target)
      : target_(target),
        temporary_(UnusedTemporaryName(target)),
        file_(CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~ReplacementFile() {
    if (file_.valid() || created_) {
      const DWORD error = GetLastError();
      if (file_.valid()) file_.Close();
      DeleteFileA(temporary_.c_str());
      SetLastError(error);
    }
  }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool opened() const { return file_.valid(); }
  bool Write(const char* data, std::size_t size) { return WriteAll(file_.get(), data, size); }
  // Flushes, closes and moves over the target; false with the last error set.
  bool Commit() {
    created_ = true;
    if (Injected(kFileSync) || !FlushFileBuffers(file_.get()) || !file_.Close()) return false;
    if (Injected(kFileRename) || !MoveFileExA(temporary_.c_str(), target_.c_str(),
                                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return false;
    }
    created_ = false;
    return true;
  }

 private:
  std::string target_;
  std::string temporary_;
  Handle file_;
  bool created_ = false;
};

[[noreturn]] void ThrowOpenError(const std::string& path, DWORD error) {
  throw Error(OpenFileErrorMessage(FullPath(path), ReasonText(error)));
}

}  // namespace

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<std::string> FindFiles(const std::string& pattern) {
  // The system's search also matches the short 8.3 names ("notes.txt1" is
  // NOTES~1.TXT, so it would be found by "*.txt") and folds non-ASCII letters;
  // each long name is therefore matched again against the pattern's last part.
  const std::size_t split = pattern.find_last_of("\\/:");
  const std::string namePattern = split == std::string::npos ? pattern : pattern.substr(split + 1);
  std::vector<std::string> names;
  DirectorySearch search(pattern);
  while (const char* name = search.NextName()) {
    if (MatchesWildcard(namePattern, name)) names.emplace_back(name);
  }
  return names;
}

bool CanOpenExclusively(const std::string& path) {
  Handle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.valid();
}

std::string ReadFileBytes(const std::string& path) {
  Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) ThrowOpenError(path, GetLastError());
  std::string bytes;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.get(), &size) && size.QuadPart < 0x40000000) {
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      ThrowOpenError(path, GetLastError());
    }
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  return bytes;
}

void WriteFileReplacing(const std::string& path, const std::string& bytes) {
  ReplacementFile file(path);
  if (!file.opened() || !file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
    const DWORD error = GetLastError();
    throw Error(CreateFileErrorMessage(FullPath(path), ReasonText(error)));
  }
}

bool CopyFileOver(const std::string& from, const std::string& to) {
  Handle source(CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!source.valid()) return false;
  ReplacementFile target(to);
  if (!target.opened()) return false;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(source.get(), buffer, sizeof buffer, &got, nullptr)) return false;
    if (got == 0) break;
    if (!target.Write(buffer, got)) return false;
  }
  return target.Commit();
}

std::string FullPath(const std::string& path) {
  if (path.empty()) return path;
  std::string full(MAX_PATH, '\0');
  DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
  }
  if (length == 0 || length >= full.size()) return path;
  full.resize(length);
  return full;
}

}  // namespace wrenfield
