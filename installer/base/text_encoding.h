// Conversions between the system's single-byte code page 1251 and Unicode
// encodings, and the decoding of the DOS Russian code page 866.
#pragma once

#include <cstddef>
#include <string>

namespace wrenfield {

// The Unicode code point of a code page 1251 byte. Byte 0x98, unassigned in the
// code page, maps to U+0098 so that every byte survives a round trip.
char32_t Cp1251ToCodePoint(unsigned char byte);

// The code page 1251 byte of a code point; false when the code page lacks it.
bool CodePointToCp1251(char32_t codePoint, unsigned char& byte);

// Code page 1251 text as UTF-8 (lossless, see Cp1251ToCodePoint).
std::string Cp1251ToUtf8(const std::string& text);

// UTF-8 text as code page 1251. Returns false when the text is not valid UTF-8
// or holds a character the code page cannot hold; `out` is then unspecified.
bool Utf8ToCp1251(const std::string& utf8, std::string& out);

// UTF-8 text as code page 1251 with "?" for every character the code page
// lacks; false only when the text is not valid UTF-8.
bool Utf8ToCp1251Lossy(const std::string& utf8, std::string& out);

// A path as the program's messages hold it (code page 1251). On Windows the
// program's paths are code page 1251 already; elsewhere a path is the file
// system's bytes, mostly UTF-8: valid UTF-8 is converted ("?" for what the
// code page lacks), anything else is taken to be code page 1251 as it stands.
std::string PathAsText(const std::string& path);

// The code page 1251 byte of a code point, or "?" when the code page lacks it.
char Cp1251OrReplacement(char32_t codePoint);

// The Unicode code point of a byte of the DOS Russian code page 866.
char32_t Cp866ToCodePoint(unsigned char byte);

// UTF-8 as code points; false when the bytes are not valid UTF-8 (overlong forms,
// surrogates and values past U+10FFFF included).
bool Utf8ToCodePoints(const std::string& bytes, std::u32string& text);

// Decodes one UTF-8 sequence at text[pos] and advances pos past it. False for
// an overlong form, a surrogate, a code point above U+10FFFF or a cut sequence.
bool DecodeUtf8(const std::string& text, std::size_t& pos, char32_t& codePoint);

// Appends the UTF-8 form of a code point (up to U+10FFFF).
void AppendUtf8(char32_t codePoint, std::string& out);

}  // namespace wrenfield
