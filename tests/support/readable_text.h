// The program's texts (code page 1251) as readable UTF-8, so that tests
// compare them with sentences written out in full.
#pragma once

#include <string>

#include "text_encoding.h"

namespace wrenfield {

inline std::string Readable(const std::string& cp1251) { return Cp1251ToUtf8(cp1251); }

}  // namespace wrenfield
