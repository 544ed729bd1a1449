#include "extract_field.h"

#include <cstddef>

namespace wrenfield {

std::string ExtractField(const std::string& text, char separator, int n) {
  // Walks the fields one by one; the remainder is tracked by position so that a
  // long line with many separators costs one pass.
  int counter = 1;
  std::size_t fieldStart = 0, fieldLength = 0;
  std::size_t rest = 0;
  bool foundSeparator = !text.empty();
  while (counter <= n && foundSeparator) {
    const std::size_t at = text.find(separator, rest);
    fieldStart = rest;
    if (at == std::string::npos) {
      fieldLength = text.size() - rest;
      foundSeparator = false;
    } else {
      fieldLength = at - rest;
      rest = at + 1;
      ++counter;
    }
  }
  return counter >= n ? text.substr(fieldStart, fieldLength) : std::string();
}

}  // namespace wrenfield
