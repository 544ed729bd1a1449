// A file opened for reading at any position, so that a file is walked without
// being read whole. Paths as the file layer takes them (code page 1251).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace wrenfield {

class RandomAccessFile {
 public:
  // Throws Error "Не удаётся открыть файл '<full path>': <reason>" (a folder too).
  explicit RandomAccessFile(const std::string& path);
  ~RandomAccessFile();
  RandomAccessFile(const RandomAccessFile&) = delete;
  RandomAccessFile& operator=(const RandomAccessFile&) = delete;

  std::uint64_t size() const { return size_; }
  // Reads exactly n bytes at pos; false when the file ends first or a read fails.
  bool ReadAt(std::uint64_t pos, unsigned char* bytes, std::size_t n) const;
  // Reads up to n bytes at pos into `got` (short only at the end); false on failure.
  bool ReadSome(std::uint64_t pos, unsigned char* bytes, std::size_t n, std::size_t& got) const;

 private:
  std::intptr_t handle_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace wrenfield
