#include "img_records.h"

#include <cstring>

namespace img {

std::uint32_t GetU32(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

std::int32_t GetI32(const unsigned char* bytes) {
  const std::uint32_t value = GetU32(bytes);
  // Two's complement reinterpretation without implementation-defined conversion.
  return value <= 0x7FFFFFFFu ? static_cast<std::int32_t>(value)
                              : -static_cast<std::int32_t>(~value) - 1;
}

void PutU32(unsigned char* bytes, std::uint32_t value) {
  bytes[0] = static_cast<unsigned char>(value);
  bytes[1] = static_cast<unsigned char>(value >> 8);
  bytes[2] = static_cast<unsigned char>(value >> 16);
  bytes[3] = static_cast<unsigned char>(value >> 24);
}

std::size_t Entry::NameLength() const {
  const void* zero = std::memchr(name, 0, kNameFieldSize);
  return zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - name)
              : kNameFieldSize;
}

bool Entry::NameEquals(const char* other, std::size_t other_length) const {
  return NameLength() == other_length && std::memcmp(name, other, other_length) == 0;
}

Entry DecodeEntry(const unsigned char* bytes) {
  Entry entry;
  entry.offset = GetU32(bytes);
  entry.size = GetU32(bytes + 4);
  std::memcpy(entry.name, bytes + 8, kNameFieldSize);
  return entry;
}

void EncodeEntry(const Entry& entry, unsigned char* bytes) {
  PutU32(bytes, entry.offset);
  PutU32(bytes + 4, entry.size);
  std::memcpy(bytes + 8, entry.name, kNameFieldSize);
}

Entry MakeEntry(std::uint32_t offset, std::uint32_t size, const char* name, std::size_t length) {
  Entry entry;
  entry.offset = offset;
  entry.size = size;
  std::memcpy(entry.name, name, length);
  return entry;
}

}  // namespace img
