// The program's texts (code page 1251) as readable UTF-8, so that tests
// compare them with sentences written out in full.
#pragma once

#include <string>

#include "text_encoding.h"

namespace wrenfield {

inline std::string Readable(const std::string& cp1251) { return Cp1251ToUtf8(cp1251); }

// A sentence written out in a test, in the program's code page ("?" for what
// the code page lacks), to find it at the start of a longer text.
inline std::string Cp1251(const std::string& utf8) {
  std::string text;
  Utf8ToCp1251Lossy(utf8, text);
  return text;
}

}  // namespace wrenfield
