#include "settings_file.h"

#include "error.h"
#include "file_layer.h"
#include "file_system.h"
#include "ini_text.h"
#include "messages.h"

namespace wrenfield {
namespace {

constexpr char kSection[] = "SALastDir";
constexpr char kKey[] = "Value";
constexpr size_t kMaxValueLength = 2047;

}  // namespace

std::string SettingsFilePath() { return WorkingDirectory() + kPathSeparator + "lastdir.ini"; }

std::string ReadStoredGameFolder(const std::string& path) {
  if (!FileExists(path)) return std::string();
  try {
    return IniValue(ReadFileBytes(path), kSection, kKey, std::string()).substr(0, kMaxValueLength);
  } catch (const Error&) {
    return std::string();  // an unreadable setting starts the window with no game folder
  }
}

void StoreGameFolder(const std::string& path, const std::string& gameFolder) {
  // A line break would end the value early and turn the rest into a line of its own.
  const std::string value = gameFolder.substr(0, gameFolder.find_first_of("\r\n"));
  try {
    const std::string old = FileExists(path) ? ReadFileBytes(path) : std::string();
    WriteFileReplacing(path, WithIniValue(old, kSection, kKey, value));
  } catch (const Error&) {
    throw Error(msg::kUnableToWrite + path);
  }
}

}  // namespace wrenfield
