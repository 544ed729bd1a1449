#include <cstdio>

#include "commands.h"

namespace wrenfield::cli {

int RunReadCommand(const Args&) {
  std::fputs("wrenfield-cli: 'read' is not available in this build\n", stderr);
  return 2;
}

}  // namespace wrenfield::cli
