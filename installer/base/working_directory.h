// The process's working directory, as the platform's single-byte file
// functions take paths.
#pragma once

#include <string>

namespace wrenfield {

// Empty when the platform cannot tell it.
std::string WorkingDirectory();

}  // namespace wrenfield
