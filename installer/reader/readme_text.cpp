#include "readme_text.h"

#include <cstddef>

#include "text_encoding.h"

namespace wrenfield {
namespace {

// Valid UTF-8 with at least one character outside ASCII.
bool IsMultiByteUtf8(const std::string& bytes) {
  bool multiByte = false;
  std::size_t pos = 0;
  char32_t codePoint = 0;
  while (pos < bytes.size()) {
    if (!DecodeUtf8(bytes, pos, codePoint)) return false;
    if (codePoint >= 0x80) multiByte = true;
  }
  return multiByte;
}

// UTF-16 text after its byte-order mark; pairs of surrogates form one character,
// a lone surrogate or an odd last byte becomes "?".
std::string Utf16ToCp1251(const std::string& bytes, std::size_t start, bool bigEndian) {
  std::string out;
  out.reserve((bytes.size() - start) / 2 + 1);
  auto unitAt = [&](std::size_t pos) -> char32_t {
    const auto first = static_cast<unsigned char>(bytes[pos]);
    const auto second = static_cast<unsigned char>(bytes[pos + 1]);
    return bigEndian ? (first << 8) | second : (second << 8) | first;
  };
  std::size_t pos = start;
  while (pos + 1 < bytes.size()) {
    char32_t unit = unitAt(pos);
    pos += 2;
    if (unit >= 0xD800 && unit <= 0xDBFF && pos + 1 < bytes.size()) {
      const char32_t low = unitAt(pos);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        pos += 2;
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      }
    }
    out += Cp1251OrReplacement(unit);
  }
  if (pos < bytes.size()) out += '?';
  return out;
}

bool StartsWith(const std::string& bytes, const char* prefix, std::size_t length) {
  return bytes.size() >= length && bytes.compare(0, length, prefix, length) == 0;
}

}  // namespace

std::string ReadmeToCp1251(const std::string& bytes) {
  if (StartsWith(bytes, "\xFF\xFE", 2)) return Utf16ToCp1251(bytes, 2, false);
  if (StartsWith(bytes, "\xFE\xFF", 2)) return Utf16ToCp1251(bytes, 2, true);
  std::string converted;
  if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) {
    // A mark followed by invalid UTF-8: keep the bytes after the mark as they are.
    const std::string body = bytes.substr(3);
    return Utf8ToCp1251Lossy(body, converted) ? converted : body;
  }
  if (IsMultiByteUtf8(bytes) && Utf8ToCp1251Lossy(bytes, converted)) return converted;
  return bytes;
}

}  // namespace wrenfield
