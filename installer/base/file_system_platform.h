// What each platform's half of the file layer (file_system_posix.cpp,
// file_system_win.cpp) gives the portable half (file_system.cpp).
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace wrenfield {

// Calls sink with the file's content, a buffer at a time, until it returns
// false or the file ends. Throws the open error.
void ReadFileWhile(const std::string& path,
                   const std::function<bool(const char* data, std::size_t size)>& sink);

}  // namespace wrenfield
