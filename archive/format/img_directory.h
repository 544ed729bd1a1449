// Reading an archive's header and directory: the checks a header must pass and
// the reader that brings the records into memory, whatever holds the bytes (an
// open file read a batch at a time, or an image in memory).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "img_records.h"

namespace img {

// The header begins with "VER2"; `got` is how many header bytes there are.
bool HasMagic(const unsigned char* header, std::size_t got);

// The entry count of a whole header (kHeaderSize bytes) in a file of
// `file_length` bytes. False when the count cannot be real: negative, or a
// directory longer than the whole file; refusing that also bounds the memory
// the directory takes by the file's length.
bool DirectoryCount(const unsigned char* header, std::uint64_t file_length, std::uint64_t* count);

// Reads `count` records from slot 0 on into `directory`, whole records at a
// time through `buffer`. read_at(position, bytes, n, &got) reads up to n bytes
// and is short only at the end of the data. Records the data ends before are
// zero when allow_short, and a failure otherwise; so is a failed read.
template <typename ReadAt>
bool ReadDirectory(ReadAt&& read_at, std::uint64_t count, bool allow_short, unsigned char* buffer,
                   std::size_t buffer_size, std::vector<Entry>& directory) {
  const std::size_t per_batch = buffer_size / kRecordSize;
  directory.assign(static_cast<std::size_t>(count), Entry{});
  std::size_t done = 0;
  while (done < directory.size()) {
    const std::size_t batch = std::min(per_batch, directory.size() - done);
    const std::size_t want = batch * kRecordSize;
    std::size_t got = 0;
    if (!read_at(SlotPosition(done), buffer, want, &got)) return false;
    if (got < want && !allow_short) return false;
    std::memset(buffer + got, 0, want - got);
    for (std::size_t k = 0; k < batch; ++k) {
      directory[done + k] = DecodeEntry(buffer + k * kRecordSize);
    }
    done += batch;
    if (got < want) break;
  }
  return true;
}

// The directory of a whole archive image in memory, read as the archive
// library reads it at open: false when the image lacks the magic or a sound
// header; records the image ends before are zero.
bool DirectoryOfImage(const unsigned char* image, std::size_t size, std::vector<Entry>& directory);

}  // namespace img
