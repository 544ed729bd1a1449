#include <windows.h>

#include <vector>

#include "working_directory.h"

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
