#include "entry_name.h"

#include <cstring>

namespace img {

const char* EntryNameOf(const char* path) {
  const char* last = std::strrchr(path, kPathSeparator);
  return last ? last + 1 : path + std::strlen(path);
}

std::string EntryNameOf(const std::string& path) {
  const std::size_t last = path.rfind(kPathSeparator);
  return last == std::string::npos ? std::string() : path.substr(last + 1);
}

}  // namespace img
