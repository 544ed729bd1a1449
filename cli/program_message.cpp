#include <cstdio>

#include "commands.h"
#include "plain_text.h"
#include "text_encoding.h"

namespace wrenfield::cli {

void PrintMessage(const std::string& cp1251Message) {
  std::fprintf(stderr, "%s\n", Cp1251ToUtf8(ErrorBoxText(cp1251Message)).c_str());
}

int Fail(const std::string& cp1251Message) {
  PrintMessage(cp1251Message);
  return 1;
}

}  // namespace wrenfield::cli
