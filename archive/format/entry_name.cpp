#include "entry_name.h"

#include <algorithm>
#include <cstring>

namespace img {
namespace {

unsigned char AsciiUpper(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

}  // namespace

const char* EntryNameOf(const char* path) {
  const char* last = std::strrchr(path, kPathSeparator);
  return last ? last + 1 : path + std::strlen(path);
}

bool SameNameToGame(const char* a, std::size_t a_length, const char* b, std::size_t b_length) {
  return CompareNamesAsGame(a, a_length, b, b_length) == 0;
}

int CompareNamesAsGame(const char* a, std::size_t a_length, const char* b, std::size_t b_length) {
  const std::size_t common = std::min(a_length, b_length);
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = AsciiUpper(a[i]);
    const unsigned char y = AsciiUpper(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a_length == b_length ? 0 : (a_length < b_length ? -1 : 1);
}

std::string EntryNameOf(const std::string& path) {
  const std::size_t last = path.rfind(kPathSeparator);
  return last == std::string::npos ? std::string() : path.substr(last + 1);
}

}  // namespace img
