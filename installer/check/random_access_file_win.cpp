#include <windows.h>

#include <algorithm>

#include "error.h"
#include "file_system.h"
#include "platform_io_win.h"
#include "random_access_file.h"

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
