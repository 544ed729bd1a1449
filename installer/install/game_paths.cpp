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

}  // namespace wrenfield
