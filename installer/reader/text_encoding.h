// Conversions between the system's single-byte code page 1251 and Unicode
// encodings, and the recognition of read-mes saved as UTF-16 or UTF-8.
#pragma once

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

// The text of a read-me as code page 1251. A read-me that begins with a UTF-16
// LE or BE byte-order mark or a UTF-8 one, or that is valid UTF-8 holding at
// least one multi-byte sequence, is converted ("?" for characters outside the
// code page); any other read-me is already code page 1251 and is returned as is.
std::string ReadmeToCp1251(const std::string& bytes);

}  // namespace wrenfield
