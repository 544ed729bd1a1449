#include "entry_path.h"

#include <cstddef>
#include <string>

#include "text_encoding.h"

namespace wrenfield {
namespace {

constexpr std::size_t kMessageNameLength = 120;

bool IsSeparator(char32_t c) { return c == U'/' || c == U'\\'; }

char32_t AsciiUpper(char32_t c) { return (c >= U'a' && c <= U'z') ? c - U'a' + U'A' : c; }

// Windows opens a device for these base names, whatever extension follows.
bool IsDeviceName(const std::u32string& part) {
  std::u32string base = part.substr(0, part.find(U'.'));
  while (!base.empty() && base.back() == U' ') base.pop_back();
  for (char32_t& c : base) c = AsciiUpper(c);
  static const char32_t* const kDevices[] = {U"CON",    U"PRN",     U"AUX",   U"NUL",
                                             U"CONIN$", U"CONOUT$", U"CLOCK$"};
  for (const char32_t* device : kDevices) {
    if (base == device) return true;
  }
  if (base.size() != 4) return false;
  const std::u32string stem = base.substr(0, 3);
  const char32_t digit = base[3];
  const bool numbered = (digit >= U'0' && digit <= U'9') || digit == U'\u00B9' ||
                        digit == U'\u00B2' || digit == U'\u00B3';
  return numbered && (stem == U"COM" || stem == U"LPT");
}

// Latin spellings of the small Russian letters а to я.
const char* const kRussianLatin[32] = {
    "a", "b", "v", "g", "d", "e",  "zh", "z",  "i",  "y",    "k", "l", "m", "n", "o",  "p",
    "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "",  "y", "",  "e", "yu", "ya"};

// The Latin spelling of a small Cyrillic letter, or nullptr.
const char* LatinOfSmall(char32_t c) {
  if (c >= 0x430 && c <= 0x44F) return kRussianLatin[c - 0x430];
  switch (c) {
    case 0x451:
      return "yo";  // ё
    case 0x454:
      return "ye";  // є
    case 0x456:
      return "i";  // і
    case 0x457:
      return "yi";  // ї
    case 0x45E:
      return "u";  // ў
    case 0x491:
      return "g";  // ґ
    default:
      return nullptr;
  }
}

// The small letter of a Cyrillic capital, or 0 when c is none.
char32_t SmallOfCapital(char32_t c) {
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c == 0x490) return 0x491;
  return 0;
}

// The Latin spelling of a Cyrillic letter, capitalised for a capital; false for
// any other character.
bool LatinOf(char32_t c, std::u32string& latin) {
  const char32_t small = SmallOfCapital(c);
  const char* spelling = LatinOfSmall(small != 0 ? small : c);
  if (spelling == nullptr) return false;
  latin.assign(spelling, spelling + std::char_traits<char>::length(spelling));
  if (small != 0 && !latin.empty()) latin[0] = latin[0] - U'a' + U'A';
  return true;
}

std::u32string Underscored(const std::u32string& part, bool (*fits)(char32_t)) {
  std::u32string spelt = part;
  for (char32_t& c : spelt) {
    if (!fits(c)) c = U'_';
  }
  return spelt;
}

bool IsForbiddenCharacter(char32_t c) {
  return c < 0x20 || c == U':' || c == U'<' || c == U'>' || c == U'"' || c == U'|' || c == U'?' ||
         c == U'*';
}

}  // namespace

std::u32string DecodeLegacyName(const std::string& bytes) {
  std::u32string text;
  if (Utf8ToCodePoints(bytes, text)) return text;
  text.clear();
  for (const char c : bytes) text += Cp866ToCodePoint(static_cast<unsigned char>(c));
  return text;
}

bool SplitEntryName(const std::u32string& name, std::vector<std::u32string>& parts) {
  parts.clear();
  if (!name.empty() && IsSeparator(name.front())) return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    std::u32string part = name.substr(start, end - start);
    if (part == U"..") return false;
    if (!part.empty() && part != U".") parts.push_back(std::move(part));
    start = end + 1;
  }
  return true;
}

bool IsPortablePathPart(const std::u32string& part) {
  if (part.empty() || part.back() == U'.' || part.back() == U' ') return false;
  for (const char32_t c : part) {
    if (IsForbiddenCharacter(c)) return false;
  }
  return !IsDeviceName(part);
}

std::u32string FoldedPathPart(const std::u32string& part) {
  std::u32string folded = part;
  for (char32_t& c : folded) {
    if (c >= U'a' && c <= U'z') {
      c -= 0x20;
    } else if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x430 && c <= 0x44F)) {
      c -= 0x20;  // Latin-1 and basic Cyrillic small letters
    } else if (c >= 0x450 && c <= 0x45F) {
      c -= 0x50;  // ё, є, ї, ў and the other Cyrillic letters with marks
    }
  }
  return folded;
}

std::u32string SpellablePathPart(const std::u32string& part, bool (*fits)(char32_t)) {
  std::u32string spelt, latin;
  for (const char32_t c : part) {
    if (fits(c)) {
      spelt += c;
    } else if (LatinOf(c, latin)) {
      spelt += latin;
    } else {
      spelt += U'_';
    }
  }
  // A spelling Windows would not take as a plain name (a device name, a name left
  // empty) falls back to one character for one.
  return IsPortablePathPart(spelt) ? spelt : Underscored(part, fits);
}

std::u32string NumberedPathPart(const std::u32string& part, unsigned number) {
  const std::size_t dot = part.rfind(U'.');
  const std::size_t at = dot == std::u32string::npos || dot == 0 ? part.size() : dot;
  std::u32string suffix = U"~";
  for (const char c : std::to_string(number)) suffix += static_cast<char32_t>(c);
  return part.substr(0, at) + suffix + part.substr(at);
}

std::string NameForMessage(const std::u32string& name) {
  std::string text;
  for (std::size_t i = 0; i < name.size() && i < kMessageNameLength; ++i) {
    text += name[i] < 0x20 ? '?' : Cp1251OrReplacement(name[i]);
  }
  if (name.size() > kMessageNameLength) text += "...";
  return text;
}

}  // namespace wrenfield
