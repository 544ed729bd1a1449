// The portable parts of the file-system layer.
#include "file_system.h"

#include <cstddef>

#include "plain_text.h"

namespace wrenfield {

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  path += kPathSeparator;
  path += name;
  return path;
}

bool MatchesWildcard(const std::string& pattern, const std::string& name) {
  // Greedy walk that returns to the last "*" on a mismatch: at most
  // pattern × name steps, no recursion.
  std::size_t p = 0, n = 0;
  std::size_t starAt = std::string::npos, resumeName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeName = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
      ++p;
      ++n;
    } else if (starAt != std::string::npos) {
      p = starAt + 1;
      n = ++resumeName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string OpenFileErrorMessage(const std::string& fullPath, const std::string& reason) {
  return "\xCD\xE5 \xF3\xE4\xE0\xB8\xF2\xF1\xFF \xEE\xF2\xEA\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB '" +
         fullPath + "': " + reason;  // Не удаётся открыть файл
}

std::string CreateFileErrorMessage(const std::string& fullPath, const std::string& reason) {
  return "\xCD\xE5 \xF3\xE4\xE0\xB8\xF2\xF1\xFF \xF1\xEE\xE7\xE4\xE0\xF2\xFC \xF4\xE0\xE9\xEB '" +
         fullPath + "': " + reason;  // Не удаётся создать файл
}

}  // namespace wrenfield
