// What the Windows halves of the file layer and of unpacking share: the
// system's text for an error code and a write that goes on until every byte is
// written. Neither passes the file layer's test seam; callers count their calls
// there.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace wrenfield {

// The system's message for an error code in code page 1251: the user's
// language when the code page holds it, else English, else the bare number.
std::string SystemErrorText(DWORD error);

// Writes all the bytes, in pieces WriteFile takes. False with the last error
// set when a write fails (ERROR_WRITE_FAULT when one writes nothing).
bool WriteFully(HANDLE file, const char* data, std::size_t size);

}  // namespace wrenfield
