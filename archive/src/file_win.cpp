// Win32 files, opened with share mode 0: while held, no other opener gets them.
#include <windows.h>

#include <string>

#include "fault_seam.h"
#include "file.h"

namespace torvane {

namespace {

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Win32 moves at most 4 GiB - 1 per call; stay well inside it.
constexpr DWORD kMaxChunk = 1u << 30;

// Opens path only to learn who it is: no access to its bytes, so that even a
// file another opener holds without sharing can be asked; folders too.
HANDLE OpenToAsk(const char* path) {
  return CreateFileA(path, FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool IdOfHandle(HANDLE file, FileId* id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return false;
  id->device = info.dwVolumeSerialNumber;
  id->index = std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
  return true;
}

bool IsReparsePoint(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return !GetFileInformationByHandle(file, &info) ||
         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool Seek(HANDLE file, std::uint64_t pos) {
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(pos);
  return SetFilePointerEx(file, distance, nullptr, FILE_BEGIN) != 0;
}

}  // namespace

bool File::Open(const char* path, Mode mode) {
  Close();
  if (path == nullptr) return false;
  DWORD access = GENERIC_READ | GENERIC_WRITE;
  DWORD disposition = OPEN_EXISTING;
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  if (mode == Mode::kReadExisting) access = GENERIC_READ;
  if (mode == Mode::kReadWriteCreate) disposition = CREATE_ALWAYS;
  if (mode == Mode::kCreateNew) disposition = CREATE_NEW;
  // A journal is never reached through a reparse point: the point itself is
  // opened (CREATE_NEW fails on it like on any name taken) and refused.
  const bool no_link = mode == Mode::kCreateNew || mode == Mode::kReadWriteNoLink;
  if (no_link) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE file = CreateFileA(path, access, 0, nullptr, disposition, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  if (no_link && IsReparsePoint(file)) {
    Close();
    SetLastError(ERROR_CANT_ACCESS_FILE);
    return false;
  }
  return true;
}

bool File::Close() {
  if (handle_ == kNoHandle) return true;
  const bool closed = CloseHandle(Native(handle_)) != 0;
  handle_ = kNoHandle;
  return !FAULT_AT(kClose) && closed;
}

bool File::Size(std::uint64_t* size) const {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(Native(handle_), &length)) return false;
  *size = static_cast<std::uint64_t>(length.QuadPart);
  return true;
}

bool File::ReadAt(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got) {
  if (FAULT_AT(kRead) || !Seek(Native(handle_), pos)) return false;
  auto* bytes = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const std::size_t left = n - done;
    const DWORD want = left < kMaxChunk ? static_cast<DWORD>(left) : kMaxChunk;
    DWORD moved = 0;
    if (!ReadFile(Native(handle_), bytes + done, want, &moved, nullptr)) return false;
    if (moved == 0) break;
    done += moved;
  }
  *got = done;
  return true;
}

bool File::WriteAt(std::uint64_t pos, const void* buffer, std::size_t n) {
  if (!Seek(Native(handle_), pos)) return false;
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const std::size_t left = n - done;
    const DWORD want = left < kMaxChunk ? static_cast<DWORD>(left) : kMaxChunk;
    DWORD moved = 0;
    if (FAULT_AT(kWrite) || !WriteFile(Native(handle_), bytes + done, want, &moved, nullptr) ||
        moved == 0) {
      return false;
    }
    done += moved;
  }
  return true;
}

bool File::Sync() {
  if (FAULT_AT(kSync)) return false;
  return FlushFileBuffers(Native(handle_)) != 0;
}

bool File::Truncate(std::uint64_t length) {
  if (FAULT_AT(kTruncate)) return false;
  return Seek(Native(handle_), length) && SetEndOfFile(Native(handle_)) != 0;
}

bool File::Id(FileId* id) const { return IdOfHandle(Native(handle_), id); }

// The final path of the open handle, without the "\\?\" the system puts before it.
// The buffer grows until the path fits: what the call reports as needed does
// not count the terminating zero everywhere.
bool File::FinalPath(const char*, std::string* full) const {
  constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD written = GetFinalPathNameByHandleA(Native(handle_), &path[0], size, kFlags);
    if (written == 0) return false;
    if (written < size) {
      path.resize(written);
      break;
    }
    if (size > 32768) return false;
    path.assign(std::size_t{written} + 1 > size * 2u ? written + 1 : size * 2u, '\0');
  }
  if (path.compare(0, 8, "\\\\?\\UNC\\") == 0) {
    path = "\\\\" + path.substr(8);
  } else if (path.compare(0, 4, "\\\\?\\") == 0) {
    path = path.substr(4);
  }
  *full = path;
  return true;
}

PathKind KindOf(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::kMissing
                                                                          : PathKind::kUnknown;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return PathKind::kLink;
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0 ? PathKind::kOther
                                                                                : PathKind::kFile;
}

bool IdOf(const char* path, FileId* id) {
  HANDLE file = OpenToAsk(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = IdOfHandle(file, id);
  CloseHandle(file);
  return known;
}

// The folder is asked by identity; a link as the last component is judged
// by IdOf (what it leads to, when that exists), not followed here.
bool LandingOf(const char* path, bool follow_last, FileId* folder, std::string* name) {
  // Creating the file would follow a link (any reparse point) at the last
  // component wherever it leads, even where nothing is yet: no landing is
  // told for it, and the caller refuses such a path.
  if (follow_last && KindOf(path) == PathKind::kLink) return false;
  const DWORD needed = GetFullPathNameA(path, 0, nullptr, nullptr);
  if (needed == 0) return false;
  std::string full(needed, '\0');
  const DWORD written = GetFullPathNameA(path, needed, &full[0], nullptr);
  if (written == 0 || written >= needed) return false;
  full.resize(written);
  const std::size_t separator = full.find_last_of("\\/");
  if (separator == std::string::npos || separator + 1 == full.size()) return false;
  *name = full.substr(separator + 1);
  const std::string where = full.substr(0, separator + 1);  // "C:\\" stays a root
  return IdOf(where.c_str(), folder);
}

bool RenameNoReplace(const char* from, const char* to) {
  if (FAULT_AT(kRename)) return false;
  // Without MOVEFILE_REPLACE_EXISTING an existing `to` makes it fail.
  return MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) != 0;
}

std::string LastSystemError() {
  const DWORD error = GetLastError();
  char text[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.')) --n;
  if (n == 0) return "system error " + std::to_string(error);
  return std::string(text, n);
}

bool RemoveFile(const char* path) {
  if (FAULT_AT(kDelete)) return false;
  return DeleteFileA(path) != 0;
}

// Win32 offers no call that flushes a folder; FlushFileBuffers on the file
// carries its own record to the disk, and nothing here relies on more.
bool SyncFolderOf(const char*) { return true; }

bool SameName(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

}  // namespace torvane
