#include "line_replace.h"

namespace wrenfield {
namespace {

// Letters (every letter of code page 1251), digits and the underscore: the
// characters that continue a model name or identifier.
bool IsNameChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_') {
    return true;
  }
  if (b >= 0xC0) return true;  // А..я
  // The letters among 0x80..0xBF: Ђ Ѓ ѓ Љ Њ Ќ Ћ Џ ђ љ њ ќ ћ џ Ў ў Ј Ґ Ё Є Ї І і ґ µ ё є ј Ѕ ѕ ї
  static constexpr unsigned char kLetters[] = {0x80, 0x81, 0x83, 0x8A, 0x8C, 0x8D, 0x8E, 0x8F,
                                               0x90, 0x9A, 0x9C, 0x9D, 0x9E, 0x9F, 0xA1, 0xA2,
                                               0xA3, 0xA5, 0xA8, 0xAA, 0xAF, 0xB2, 0xB3, 0xB4,
                                               0xB5, 0xB8, 0xBA, 0xBC, 0xBD, 0xBE, 0xBF};
  for (const unsigned char letter : kLetters) {
    if (b == letter) return true;
  }
  return false;
}

}  // namespace

std::string JoinLinesCrLf(const Lines& lines) {
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string CommaKey(std::string_view field) {
  const auto comma = field.find(',');
  if (comma == std::string_view::npos) return {};
  return std::string(field.substr(0, comma));
}

std::string IdKey(std::string_view field) { return std::string(field.substr(0, 3)); }

bool BeginsWithName(std::string_view line, std::string_view key) {
  if (key.empty() || line.substr(0, key.size()) != key) return false;
  if (line.size() == key.size() || !IsNameChar(key.back())) return true;
  return !IsNameChar(line[key.size()]);
}

std::size_t ReplaceMatchingLines(Lines& lines, std::string_view key,
                                 const std::string& replacement) {
  std::size_t replaced = 0;
  for (auto& line : lines) {
    if (BeginsWithName(line, key)) {
      line = replacement;
      ++replaced;
    }
  }
  return replaced;
}

}  // namespace wrenfield
