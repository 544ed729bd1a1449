// What the POSIX halves of the file layer and of unpacking share: the system's
// text for an errno value and a write that goes on until every byte is written.
// Neither passes the file layer's test seam; callers count their calls there.
#pragma once

#include <cstddef>
#include <string>

namespace wrenfield {

// The system's text for an errno value in code page 1251 (ASCII "?" for
// characters the code page lacks).
std::string SystemErrorText(int error);

// Writes all the bytes, going on after short writes and interruptions. False
// with errno set when a write fails (EIO when one writes nothing).
bool WriteFully(int fd, const char* data, std::size_t size);

}  // namespace wrenfield
