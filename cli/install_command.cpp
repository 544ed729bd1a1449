#include <cstdio>

#include "commands.h"

namespace wrenfield::cli {

int RunInstallCommand(const Args&) {
  std::fputs("wrenfield-cli: 'install' is not available in this build\n", stderr);
  return 2;
}

}  // namespace wrenfield::cli
