// The IMG version 2 archive format: its constants and layout, shared by the
// archive library, the command-line tool and the demo generator.
//
// All numbers are little-endian. Positions and lengths of entry data are counted
// in sectors of 2048 bytes.
//
//   offset  size        field
//   0       4           magic "VER2"
//   4       4           entry count, signed 32-bit
//   8       32 * count  directory: one record per entry, in directory order
//   ...                 entry data, each entry starting at a sector boundary
//
// A directory record (32 bytes):
//   0       4           offset: first sector of the entry's data, unsigned 32-bit
//   4       4           size: sectors the data occupies, unsigned 32-bit
//   8       24          name: single-byte characters, zero-terminated unless all
//                       24 bytes are used, zero bytes after the terminator
//
// Nothing records where the data begins: between the end of the directory and the
// first data sector lies slack into which the directory grows. Sectors that no
// record refers to may exist; the archive never shrinks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace img {

constexpr std::uint64_t kSectorSize = 2048;
constexpr char kMagic[4] = {'V', 'E', 'R', '2'};
constexpr std::uint64_t kCountOffset = 4;
constexpr std::uint64_t kDirectoryOffset = 8;
constexpr std::uint64_t kHeaderSize = 8;
constexpr std::size_t kRecordSize = 32;
constexpr std::size_t kNameFieldSize = 24;
// Names written by this library leave room for the terminating zero.
constexpr std::size_t kMaxNameLength = kNameFieldSize - 1;
// Sector numbers and counts are unsigned 32-bit in the records.
constexpr std::uint64_t kMaxSectors = 0xFFFFFFFFu;

// The largest entry count a header can hold (the field is signed 32-bit).
constexpr std::uint64_t kMaxCount = 0x7FFFFFFF;

// Byte position of directory slot `index`.
constexpr std::uint64_t SlotPosition(std::uint64_t index) {
  return kDirectoryOffset + kRecordSize * index;
}

// Number of whole sectors needed to hold `bytes`.
constexpr std::uint64_t SectorsFor(std::uint64_t bytes) {
  return (bytes + kSectorSize - 1) / kSectorSize;
}

// `bytes` rounded up to the next sector boundary.
constexpr std::uint64_t AlignToSector(std::uint64_t bytes) {
  return SectorsFor(bytes) * kSectorSize;
}

}  // namespace img
