#include "img_directory.h"

namespace img {

bool HasMagic(const unsigned char* header, std::size_t got) {
  return got >= sizeof kMagic && std::memcmp(header, kMagic, sizeof kMagic) == 0;
}

bool DirectoryCount(const unsigned char* header, std::uint64_t file_length, std::uint64_t* count) {
  const std::int32_t field = GetI32(header + kCountOffset);
  if (field < 0 || kRecordSize * static_cast<std::uint64_t>(field) > file_length) return false;
  *count = static_cast<std::uint64_t>(field);
  return true;
}

bool DirectoryOfImage(const unsigned char* image, std::size_t size, std::vector<Entry>& directory) {
  directory.clear();
  std::uint64_t count = 0;
  if (size < kHeaderSize || !HasMagic(image, size) || !DirectoryCount(image, size, &count)) {
    return false;
  }
  auto read_at = [&](std::uint64_t position, unsigned char* bytes, std::size_t n,
                     std::size_t* got) {
    *got =
        position < size ? static_cast<std::size_t>(std::min<std::uint64_t>(n, size - position)) : 0;
    if (*got > 0) std::memcpy(bytes, image + position, *got);
    return true;
  };
  unsigned char buffer[64 * kRecordSize];
  return ReadDirectory(read_at, count, true, buffer, sizeof buffer, directory);
}

}  // namespace img
