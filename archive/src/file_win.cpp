// Win32 files, opened with share mode 0: while held, no other opener gets them.
#include <windows.h>

#include "fault_seam.h"
#include "file.h"

namespace torvane {

namespace {

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Win32 moves at most 4 GiB - 1 per call; stay well inside it.
constexpr DWORD kMaxChunk = 1u << 30;

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
  if (mode == Mode::kReadExisting) access = GENERIC_READ;
  if (mode == Mode::kReadWriteCreate) disposition = CREATE_ALWAYS;
  HANDLE file = CreateFileA(path, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

bool File::Close() {
  if (handle_ == kNoHandle) return true;
  const bool closed = CloseHandle(Native(handle_)) != 0;
  handle_ = kNoHandle;
  return !TORVANE_FAULT(kClose) && closed;
}

bool File::Size(std::uint64_t* size) const {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(Native(handle_), &length)) return false;
  *size = static_cast<std::uint64_t>(length.QuadPart);
  return true;
}

bool File::ReadAt(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got) {
  if (TORVANE_FAULT(kRead) || !Seek(Native(handle_), pos)) return false;
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
    if (TORVANE_FAULT(kWrite) || !WriteFile(Native(handle_), bytes + done, want, &moved, nullptr) ||
        moved == 0) {
      return false;
    }
    done += moved;
  }
  return true;
}

bool File::Sync() {
  if (TORVANE_FAULT(kSync)) return false;
  return FlushFileBuffers(Native(handle_)) != 0;
}

bool File::Truncate(std::uint64_t length) {
  if (TORVANE_FAULT(kTruncate)) return false;
  return Seek(Native(handle_), length) && SetEndOfFile(Native(handle_)) != 0;
}

PathKind KindOf(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::kMissing
                                                                          : PathKind::kUnknown;
  }
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0 ? PathKind::kOther
                                                                                : PathKind::kFile;
}

bool RemoveFile(const char* path) {
  if (TORVANE_FAULT(kDelete)) return false;
  return DeleteFileA(path) != 0;
}

// Win32 offers no call that flushes a folder; FlushFileBuffers on the file
// carries its own record to the disk, and nothing here relies on more.
bool SyncFolderOf(const char*) { return true; }

bool FullPathOf(const char* path, std::string* full) {
  const DWORD needed = GetFullPathNameA(path, 0, nullptr, nullptr);
  if (needed == 0) return false;
  full->assign(needed, '\0');
  const DWORD written = GetFullPathNameA(path, needed, &(*full)[0], nullptr);
  if (written == 0 || written >= needed) return false;
  full->resize(written);
  return true;
}

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

}  // namespace torvane
