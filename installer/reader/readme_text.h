// The recognition of read-mes saved as UTF-16 or UTF-8.
#pragma once

#include <string>

namespace wrenfield {

// The text of a read-me as code page 1251. A read-me that begins with a UTF-16
// LE or BE byte-order mark or a UTF-8 one, or that is valid UTF-8 holding at
// least one multi-byte sequence, is converted ("?" for characters outside the
// code page); any other read-me is already code page 1251 and is returned as is.
std::string ReadmeToCp1251(const std::string& bytes);

}  // namespace wrenfield
