#include "entry_path.h"

#include <cstddef>
#include <string>

#include "text_encoding.h"

namespace wrenfield {
namespace {

// Code points of the upper half of the DOS Russian code page 866.
constexpr char16_t kCp866Upper[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B,
    0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433,
    0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B,
    0x044C, 0x044D, 0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0};

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

bool Utf8ToCodePoints(const std::string& bytes, std::u32string& text) {
  text.clear();
  std::size_t at = 0;
  while (at < bytes.size()) {
    char32_t codePoint = 0;
    if (!DecodeUtf8(bytes, at, codePoint)) return false;
    text += codePoint;
  }
  return true;
}

std::u32string DecodeLegacyName(const std::string& bytes) {
  std::u32string text;
  if (Utf8ToCodePoints(bytes, text)) return text;
  text.clear();
  for (const char c : bytes) {
    const unsigned char byte = static_cast<unsigned char>(c);
    text += byte < 0x80 ? char32_t(byte) : char32_t(kCp866Upper[byte - 0x80]);
  }
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
    unsigned char byte = '?';
    if (name[i] < 0x20 || !CodePointToCp1251(name[i], byte)) byte = '?';
    text += static_cast<char>(byte);
  }
  if (name.size() > kMessageNameLength) text += "...";
  return text;
}

}  // namespace wrenfield
