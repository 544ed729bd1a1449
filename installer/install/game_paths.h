// Paths inside the game folder, joined with the platform's own separator, and
// the archive entry name a file is stored under.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

#include "file_system.h"  // kPathSeparator

namespace wrenfield {

// The longest entry name an archive directory record can hold.
inline constexpr std::size_t kMaxEntryNameLength = 23;

// The game folder as typed, then each part preceded by one separator.
std::string GamePath(const std::string& gameDir, std::initializer_list<const char*> parts);

// The game's model archive: <game folder>/models/gta3.img.
std::string ArchivePath(const std::string& gameDir);

// The text after the last separator of path (the whole path when it has none).
std::string EntryNameOf(const std::string& path);

// True when name can be stored as an archive entry name: 1 to 23 characters.
bool IsValidEntryName(const std::string& name);

}  // namespace wrenfield
