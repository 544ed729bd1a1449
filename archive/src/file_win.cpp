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
  if (!Seek(Native(handle_), pos)) return false;
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

}  // namespace torvane
