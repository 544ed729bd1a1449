// The portable parts of the file-system layer.
#include "file_system.h"

#include <algorithm>
#include <cstddef>

#include "error.h"
#include "file_layer.h"
#include "messages.h"
#include "plain_text.h"
#include "text_encoding.h"

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

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  std::uint64_t size = 0;
  if (FileSize(path, size) && size < (1u << 30)) bytes.reserve(static_cast<std::size_t>(size));
  ReadFileWhile(path, [&bytes](const char* data, std::size_t n) {
    bytes.append(data, n);
    return true;
  });
  return bytes;
}

void ReadFileChunks(const std::string& path,
                    const std::function<void(const char* data, std::size_t size)>& sink) {
  ReadFileWhile(path, [&sink](const char* data, std::size_t n) {
    sink(data, n);
    return true;
  });
}

std::string ReadFileHead(const std::string& path, std::size_t maxBytes) {
  std::string bytes;
  if (maxBytes == 0) return bytes;
  ReadFileWhile(path, [&bytes, maxBytes](const char* data, std::size_t n) {
    bytes.append(data, std::min(n, maxBytes - bytes.size()));
    return bytes.size() < maxBytes;
  });
  return bytes;
}

// A link to a folder is as good as the folder here: the player may have moved
// the program's folders elsewhere.
void CreateFolder(const std::string& path) {
  std::string reason;
  if (TryCreateFolder(path, reason) || DirectoryExists(path)) return;
  throw Error(CreateFileErrorMessage(FullPath(path), reason));
}

std::string OpenFileErrorMessage(const std::string& fullPath, const std::string& reason) {
  return msg::CannotOpenFile(PathAsText(fullPath), reason);
}

std::string CreateFileErrorMessage(const std::string& fullPath, const std::string& reason) {
  return msg::CannotCreateFile(PathAsText(fullPath), reason);
}

}  // namespace wrenfield
