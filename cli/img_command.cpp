#include <cstdio>

#include "commands.h"

namespace wrenfield::cli {

int RunImgCommand(const Args&) {
  std::fputs("wrenfield-cli: 'img' is not available in this build\n", stderr);
  return 2;
}

}  // namespace wrenfield::cli
