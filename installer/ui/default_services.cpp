// The real services of the window logic, apart so that tests with their own
// services do not pull in the reader and the installer.
#include "auto_install_form.h"
#include "file_system.h"
#include "install_undo.h"
#include "read_data.h"
#include "settings_file.h"

namespace wrenfield {

TFormServices DefaultFormServices() {
  TFormServices services;
  services.readData = ReadData;
  services.installVehicle = InstallVehicle;
  services.directoryExists = DirectoryExists;
  services.settingsFilePath = SettingsFilePath;
  services.recoverInstalls = RecoverInterruptedInstalls;
  services.findUndoable = FindUndoable;
  services.undoInstall = [](const std::string& gameDir, unsigned number) {
    return UndoInstall(gameDir, number, false);
  };
  services.historyLines = HistoryLines;
  return services;
}

}  // namespace wrenfield
