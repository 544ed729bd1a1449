// Paths inside the game folder, joined with the platform's own separator.
#pragma once

#include <initializer_list>
#include <string>

#include "file_system.h"  // kPathSeparator

namespace wrenfield {

// The game folder as typed, then each part preceded by one separator.
std::string GamePath(const std::string& gameDir, std::initializer_list<const char*> parts);

// The game's model archive: <game folder>/models/gta3.img.
std::string ArchivePath(const std::string& gameDir);

}  // namespace wrenfield
