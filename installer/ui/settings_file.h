// lastdir.ini: the one stored setting, the game folder, in the platform's INI
// syntax (section SALastDir, key Value) in the working directory.
#pragma once

#include <string>

namespace wrenfield {

// The working directory at this moment + separator + "lastdir.ini".
std::string SettingsFilePath();

// The game folder stored in the file; empty when the file, section or key is
// missing or the file cannot be read. At most 2047 characters are taken.
std::string ReadStoredGameFolder(const std::string& path);

// Stores the game folder (also when empty), creating the file when missing and
// keeping its other content. Throws Error "Unable to write to <path>" on failure.
void StoreGameFolder(const std::string& path, const std::string& gameFolder);

}  // namespace wrenfield
