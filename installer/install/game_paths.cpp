#include "game_paths.h"

namespace wrenfield {

std::string GamePath(const std::string& gameDir, std::initializer_list<const char*> parts) {
  std::string path = gameDir;
  for (const char* part : parts) {
    path += kPathSeparator;
    path += part;
  }
  return path;
}

std::string ArchivePath(const std::string& gameDir) {
  return GamePath(gameDir, {"models", "gta3.img"});
}

std::string EntryNameOf(const std::string& path) {
  const auto last = path.find_last_of(kPathSeparator);
  return last == std::string::npos ? path : path.substr(last + 1);
}

bool IsValidEntryName(const std::string& name) {
  return !name.empty() && name.size() <= kMaxEntryNameLength;
}

}  // namespace wrenfield
