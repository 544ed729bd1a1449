// Directory records and the little-endian fields they are made of. Records
// are decoded field by field, never by casting a struct over the bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "img_layout.h"

namespace img {

std::uint32_t GetU32(const unsigned char* bytes);
std::int32_t GetI32(const unsigned char* bytes);
void PutU32(unsigned char* bytes, std::uint32_t value);

// One directory record as held in memory. The name field is kept as its raw
// 24 bytes so that a record written back is byte for byte the one read.
struct Entry {
  std::uint32_t offset = 0;  // first sector
  std::uint32_t size = 0;    // sectors
  unsigned char name[kNameFieldSize] = {};

  std::uint64_t DataBegin() const { return offset * kSectorSize; }
  std::uint64_t DataEnd() const { return (std::uint64_t{offset} + size) * kSectorSize; }
  // The name ends at the first zero byte, or after the field's last byte.
  std::size_t NameLength() const;
  // Case-sensitive comparison of the whole names.
  bool NameEquals(const char* other, std::size_t other_length) const;
};

Entry DecodeEntry(const unsigned char* bytes);
void EncodeEntry(const Entry& entry, unsigned char* bytes);

// Builds a record whose name field holds `name` and zero bytes after it.
// `length` must not exceed kMaxNameLength.
Entry MakeEntry(std::uint32_t offset, std::uint32_t size, const char* name, std::size_t length);

}  // namespace img
