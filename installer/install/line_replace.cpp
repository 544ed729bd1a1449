#include "line_replace.h"

namespace wrenfield {
namespace {

// Letters (ASCII and the Russian letters of code page 1251), digits and the
// underscore: the characters that continue a model name or identifier.
bool IsNameChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_') {
    return true;
  }
  return b >= 0xC0 || b == 0xA8 || b == 0xB8;  // А..я, Ё, ё
}

}  // namespace

Lines SplitLines(std::string_view text) {
  Lines lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    lines.emplace_back(text.substr(start, i - start));
    const bool crLf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    i += crLf ? 2 : 1;
    start = i;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

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
