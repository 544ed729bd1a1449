// The file layer on Windows (ANSI functions: paths are in the system code page,
// 1251 on the players' machines): every call the installer makes to the file
// system, beneath the portable algorithms of file_system.cpp. Unpacked trees are
// walked and removed through the wide functions so that no name is lost on the way.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "error.h"
#include "fault_seam.h"
#include "file_layer.h"
#include "file_system.h"
#include "text_encoding.h"

namespace wrenfield {
namespace {

// A call the test seam fails: reported as a device's write fault.
bool Injected(bool fails) {
  if (!fails) return false;
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
    return !Injected(FAULT_AT(kClose)) && closed;
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

// The test seam counts one write per call that has bytes to write.
bool WriteAll(HANDLE file, const char* data, std::size_t size) {
  if (size > 0 && Injected(FAULT_AT(kWrite))) return false;
  return WriteFully(file, data, size);
}

// The final path of an open file ("\\?\C:\..." shortened to "C:\..."), or
// "" where the system cannot tell it (before Vista, which has no links to files).
std::string FinalPathOf(HANDLE file) {
  using GetFinalPath = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
  const auto getFinalPath = reinterpret_cast<GetFinalPath>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleA")));
  if (getFinalPath == nullptr) return std::string();
  std::string path(MAX_PATH, '\0');
  DWORD length = getFinalPath(file, &path[0], static_cast<DWORD>(path.size()), 0);
  if (length >= path.size()) {
    path.resize(length);
    length = getFinalPath(file, &path[0], static_cast<DWORD>(path.size()), 0);
  }
  if (length == 0 || length >= path.size()) return std::string();
  path.resize(length);
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\" + path.substr(7);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

// Where a write to path lands: the file a symbolic link leads to (the link
// stays), or path itself.
std::string ResolvedTarget(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return path;
  }
  Handle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  const std::string final = file.valid() ? FinalPathOf(file.get()) : std::string();
  return final.empty() ? path : final;
}

// The temporary file beside a target. Its name carries the process id, so no
// other running process uses it.
std::string TemporaryNameFor(const std::string& target) {
  return target + ".wrenfield-" + std::to_string(GetCurrentProcessId()) + ".tmp";
}

// The temporary file's name, freed: one that exists already was left by an
// earlier run that ended before its move, and is deleted so that it cannot
// block every later write.
std::string UnusedTemporaryName(const std::string& target) {
  std::string name = TemporaryNameFor(target);
  DeleteFileA(name.c_str());
  return name;
}

// The attributes an existing target passes to its replacement.
DWORD KeptAttributes(const std::string& target) {
  const DWORD attributes = Attributes(target);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FILE_ATTRIBUTE_NORMAL;
  const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

// A temporary file beside a target that either replaces the target (Commit) or
// is deleted when it goes out of scope.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& target)
      : target_(ResolvedTarget(target)),
        temporary_(UnusedTemporaryName(target_)),
        file_(CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          KeptAttributes(target_), nullptr)) {}
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
    if (Injected(FAULT_AT(kSync)) || !FlushFileBuffers(file_.get()) || !file_.Close()) return false;
    if (Injected(FAULT_AT(kRename)) ||
        !MoveFileExA(temporary_.c_str(), target_.c_str(),
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

[[noreturn]] void ThrowCreateError(const std::string& path, DWORD error) {
  throw Error(CreateFileErrorMessage(FullPath(path), SystemErrorText(error)));
}

[[noreturn]] void ThrowOpenError(const std::string& path, DWORD error) {
  throw Error(OpenFileErrorMessage(FullPath(path), SystemErrorText(error)));
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

bool IsRealFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

std::string LastSystemErrorText() {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? std::string() : SystemErrorText(error);
}

void ClearLastSystemError() { SetLastError(ERROR_SUCCESS); }

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

void ReadFileWhile(const std::string& path,
                   const std::function<bool(const char* data, std::size_t size)>& sink) {
  Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) ThrowOpenError(path, GetLastError());
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      ThrowOpenError(path, GetLastError());
    }
    if (got == 0 || !sink(buffer, static_cast<std::size_t>(got))) break;
  }
}

bool FileSize(const std::string& path, std::uint64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  return true;
}

void WriteFileReplacing(const std::string& path, const std::string& bytes) {
  ReplacementFile file(path);
  if (!file.opened() || !file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
    ThrowCreateError(path, GetLastError());
  }
}

void CheckReplaceable(const std::string& path) {
  const std::string target = ResolvedTarget(path);
  const DWORD attributes = Attributes(target);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    ThrowCreateError(path, ERROR_FILE_READ_ONLY);
  }
  // Replacing needs the right to write and to delete, which a program that
  // holds the file without sharing denies.
  Handle file(CreateFileA(target.c_str(), GENERIC_WRITE | DELETE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) ThrowCreateError(path, GetLastError());
  const std::string temporary = TemporaryNameFor(target);
  const DWORD temporaryAttributes = Attributes(temporary);
  if (temporaryAttributes != INVALID_FILE_ATTRIBUTES &&
      (temporaryAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ThrowCreateError(path, ERROR_DIRECTORY);
  }
  DeleteFileA(temporary.c_str());  // a leftover of this process id; the write would delete it too
  Handle probe(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!probe.valid()) ThrowCreateError(path, GetLastError());
}

void SyncFolder(const std::string& path) {
  if (Injected(FAULT_AT(kSync))) ThrowCreateError(path, GetLastError());
}

bool TryCreateFolder(const std::string& path, std::string& reason) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  const DWORD error = GetLastError();
  const DWORD attributes = Attributes(path);
  if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return true;
  }
  reason = SystemErrorText(error);
  return false;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool RemoveEmptyFolder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

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

namespace wrenfield {

std::string SystemErrorText(DWORD error) {
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

bool WriteFully(HANDLE file, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace wrenfield

namespace wrenfield {

// The system code page form, which the file layer's single-byte functions take.
std::string WorkingDirectory() {
  const DWORD size = GetCurrentDirectoryA(0, nullptr);
  if (size == 0) return std::string();
  std::vector<char> buffer(size + 1);
  const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length == 0 || length >= buffer.size()) return std::string();
  return std::string(buffer.data(), length);
}

}  // namespace wrenfield

namespace wrenfield {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

RandomAccessFile::RandomAccessFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  LARGE_INTEGER size{};
  DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  if (error == ERROR_SUCCESS && !GetFileSizeEx(file, &size)) error = GetLastError();
  if (error != ERROR_SUCCESS) {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    throw Error(OpenFileErrorMessage(FullPath(path), SystemErrorText(error)));
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  size_ = static_cast<std::uint64_t>(size.QuadPart);
}

RandomAccessFile::~RandomAccessFile() { CloseHandle(AsHandle(handle_)); }

bool RandomAccessFile::ReadSome(std::uint64_t pos, unsigned char* bytes, std::size_t n,
                                std::size_t& got) const {
  got = 0;
  while (got < n) {
    OVERLAPPED at{};
    const std::uint64_t where = pos + got;
    at.Offset = static_cast<DWORD>(where);
    at.OffsetHigh = static_cast<DWORD>(where >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n - got, 1u << 20));
    DWORD read = 0;
    if (!ReadFile(AsHandle(handle_), bytes + got, want, &read, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return false;
    }
    if (read == 0) break;
    got += read;
  }
  return true;
}

bool RandomAccessFile::ReadAt(std::uint64_t pos, unsigned char* bytes, std::size_t n) const {
  std::size_t got = 0;
  return ReadSome(pos, bytes, n, got) && got == n;
}

}  // namespace wrenfield

namespace wrenfield {

NewFile::~NewFile() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
}

bool NewFile::Create(const std::string& path, std::string& reason) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    reason = SystemErrorText(GetLastError());
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

bool NewFile::Write(const void* data, std::size_t size, std::string& reason) {
  if (FAULT_AT(kWrite)) {
    reason = SystemErrorText(ERROR_WRITE_FAULT);
    return false;
  }
  if (WriteFully(AsHandle(handle_), static_cast<const char*>(data), size)) return true;
  reason = SystemErrorText(GetLastError());
  return false;
}

bool NewFile::Close(std::string& reason) {
  const HANDLE file = AsHandle(handle_);
  handle_ = -1;
  if (FAULT_AT(kClose)) {
    CloseHandle(file);
    reason = SystemErrorText(ERROR_WRITE_FAULT);
    return false;
  }
  if (CloseHandle(file)) return true;
  reason = SystemErrorText(GetLastError());
  return false;
}

}  // namespace wrenfield

namespace wrenfield {
namespace {

std::int64_t AgeInSeconds(const FILETIME& time) {
  FILETIME nowTime{};
  GetSystemTimeAsFileTime(&nowTime);
  ULARGE_INTEGER then{}, now{};
  then.LowPart = time.dwLowDateTime, then.HighPart = time.dwHighDateTime;
  now.LowPart = nowTime.dwLowDateTime, now.HighPart = nowTime.dwHighDateTime;
  return static_cast<std::int64_t>(now.QuadPart - then.QuadPart) / 10000000;
}

void RemoveTreeWide(const std::wstring& folder) {
  WIN32_FIND_DATAW data{};
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      const bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (isFolder && !isLink)
        RemoveTreeWide(path);
      else if (isFolder)
        RemoveDirectoryW(path.c_str());
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::wstring WideFromPath(const std::string& path) {
  const int length =
      MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &wide[0], length);
  }
  return wide;
}

// The wide text in the system code page; false when a character does not fit.
bool PathFromWide(const std::wstring& wide, std::string& path) {
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, usedDefaultOut);
  if (length <= 0 && size > 0) return false;
  path.assign(static_cast<std::size_t>(length), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_ACP, flags, wide.data(), size, &path[0], length, nullptr,
                        usedDefaultOut);
  }
  return !usedDefault;
}

std::wstring WideFromCodePoints(const std::u32string& text) {
  std::wstring wide;
  for (const char32_t c : text) {
    if (c >= 0x10000) {
      wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(c);
    }
  }
  return wide;
}

bool TemporaryFolder(std::string& folder, FolderFailure& failure, std::string& reason) {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) {
    failure = FolderFailure::kSystem;
    reason = SystemErrorText(GetLastError());
    return false;
  }
  std::wstring wide(buffer, length);
  while (wide.size() > 3 && wide.back() == L'\\') wide.pop_back();
  if (PathFromWide(wide, folder)) return true;
  // A user name the system code page lacks: the short form of the folder has none.
  wchar_t shortForm[MAX_PATH + 1];
  const DWORD shortLength = GetShortPathNameW(wide.c_str(), shortForm, MAX_PATH + 1);
  if (shortLength > 0 && shortLength <= MAX_PATH &&
      PathFromWide(std::wstring(shortForm, shortLength), folder)) {
    return true;
  }
  // Unpacked files could not be named for the reader and Torvane: say which folder.
  failure = FolderFailure::kNotSpellable;
  reason.clear();
  for (const wchar_t c : wide) reason += Cp1251OrReplacement(c);
  return false;
}

bool CreatePrivateFolder(const std::string& parent, const std::string& prefix, std::string& path,
                         std::string& reason) {
  static unsigned counter = 0;
  DWORD error = ERROR_ALREADY_EXISTS;
  for (int attempt = 0; attempt < 100 && error == ERROR_ALREADY_EXISTS; ++attempt) {
    LARGE_INTEGER ticks{};
    QueryPerformanceCounter(&ticks);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%lx%04x%02x", GetCurrentProcessId(),
                  static_cast<unsigned>(ticks.LowPart & 0xFFFF), ++counter & 0xFF);
    path = JoinPath(parent, prefix + suffix);
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    error = GetLastError();
  }
  reason = SystemErrorText(error);
  return false;
}

void RemoveTree(const std::string& path) {
  const std::wstring wide = WideFromPath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(wide.c_str());
  } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    RemoveDirectoryW(wide.c_str());
  } else {
    RemoveTreeWide(wide);
  }
}

std::vector<std::string> StaleFolders(const std::string& parent, const std::string& prefix,
                                      std::int64_t maxAgeSeconds) {
  std::vector<std::string> stale;
  const std::wstring folder = WideFromPath(parent);
  WIN32_FIND_DATAW data{};
  const HANDLE search =
      FindFirstFileW((folder + L"\\" + WideFromPath(prefix) + L"*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return stale;
  do {
    const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    std::string name;
    if (!isFolder || isLink || !PathFromWide(data.cFileName, name)) continue;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    if (AgeInSeconds(data.ftLastWriteTime) > maxAgeSeconds) stale.push_back(JoinPath(parent, name));
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return stale;
}

bool FitsPathCodePage(char32_t c) {
  if (c == 0 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
  std::string ignored;
  return PathFromWide(WideFromCodePoints(std::u32string(1, c)), ignored);
}

std::string EncodePath(const std::u32string& text) {
  std::string path;
  PathFromWide(WideFromCodePoints(text), path);
  return path;
}

ArchiveFile::~ArchiveFile() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
}

bool ArchiveFile::Open(const std::string& path, std::string& reason) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    reason = SystemErrorText(GetLastError());
    return false;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    reason = SystemErrorText(ERROR_INVALID_FUNCTION);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

std::int64_t ArchiveFile::Read(void* buffer, std::size_t size) {
  DWORD got = 0;
  const DWORD wanted = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
  if (!ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr)) return -1;
  return got;
}

std::int64_t ArchiveFile::Seek(std::int64_t offset, int whence) {
  const DWORD method = whence == SEEK_SET   ? FILE_BEGIN
                       : whence == SEEK_CUR ? FILE_CURRENT
                                            : FILE_END;
  LARGE_INTEGER distance{}, position{};
  distance.QuadPart = offset;
  if (!SetFilePointerEx(AsHandle(handle_), distance, &position, method)) return -1;
  return position.QuadPart;
}

}  // namespace wrenfield
