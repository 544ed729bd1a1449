#include "text_encoding.h"

#include <cstddef>
#include <cstdint>

namespace wrenfield {
namespace {

// Code points of the bytes 0x80 to 0xFF; 0x98 has no character in the code page.
constexpr char16_t kUpperHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Code points of the upper half of the DOS Russian code page 866.
constexpr char16_t kCp866UpperHalf[128] = {
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

constexpr char32_t kReplacement = '?';

}  // namespace

bool DecodeUtf8(const std::string& text, std::size_t& pos, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  int extra = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    codePoint = lead;
    ++pos;
    return true;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, minimum = 0x80, codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, minimum = 0x800, codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return false;
  }
  if (text.size() - pos <= static_cast<std::size_t>(extra)) return false;
  for (int i = 1; i <= extra; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return false;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF) return false;
  if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return false;
  pos += extra + 1;
  return true;
}

void AppendUtf8(char32_t codePoint, std::string& out) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

char Cp1251OrReplacement(char32_t codePoint) {
  unsigned char byte = 0;
  return CodePointToCp1251(codePoint, byte) ? static_cast<char>(byte)
                                            : static_cast<char>(kReplacement);
}

char32_t Cp1251ToCodePoint(unsigned char byte) {
  return byte < 0x80 ? byte : kUpperHalf[byte - 0x80];
}

bool CodePointToCp1251(char32_t codePoint, unsigned char& byte) {
  if (codePoint < 0x80) {
    byte = static_cast<unsigned char>(codePoint);
    return true;
  }
  if (codePoint >= 0x0410 && codePoint <= 0x044F) {  // the Cyrillic alphabet is contiguous
    byte = static_cast<unsigned char>(0xC0 + (codePoint - 0x0410));
    return true;
  }
  for (int i = 0; i < 0x40; ++i) {  // the rest of the upper half: punctuation and extra letters
    if (kUpperHalf[i] == codePoint) {
      byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

char32_t Cp866ToCodePoint(unsigned char byte) {
  return byte < 0x80 ? byte : kCp866UpperHalf[byte - 0x80];
}

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

std::string Cp1251ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char c : text) AppendUtf8(Cp1251ToCodePoint(static_cast<unsigned char>(c)), out);
  return out;
}

// UTF-8 as code page 1251: a character the code page lacks fails, or becomes
// "?" when lossy; invalid UTF-8 always fails.
static bool ConvertUtf8(const std::string& utf8, std::string& out, bool lossy) {
  out.clear();
  out.reserve(utf8.size());
  std::size_t pos = 0;
  char32_t codePoint = 0;
  unsigned char byte = 0;
  while (pos < utf8.size()) {
    if (!DecodeUtf8(utf8, pos, codePoint)) return false;
    if (CodePointToCp1251(codePoint, byte)) {
      out += static_cast<char>(byte);
    } else if (lossy) {
      out += static_cast<char>(kReplacement);
    } else {
      return false;
    }
  }
  return true;
}

bool Utf8ToCp1251(const std::string& utf8, std::string& out) {
  return ConvertUtf8(utf8, out, false);
}

bool Utf8ToCp1251Lossy(const std::string& utf8, std::string& out) {
  return ConvertUtf8(utf8, out, true);
}

std::string PathAsText(const std::string& path) {
#ifdef _WIN32
  return path;
#else
  std::string text;
  return Utf8ToCp1251Lossy(path, text) ? text : path;
#endif
}

}  // namespace wrenfield
