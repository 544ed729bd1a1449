// The real services of the window logic, apart so that tests with their own
// services do not pull in the reader and the installer.
#include "auto_install_form.h"
#include "file_system.h"
#include "install_undo.h"
#include "mod_check.h"
#include "mod_source.h"
#include "read_data.h"
#include "settings_file.h"

namespace wrenfield {
namespace {

class TUnpackedArchive : public TModArchive {
 public:
  explicit TUnpackedArchive(const std::string& path) : source_(path) {}
  const std::vector<std::string>& Candidates() const override { return source_.candidates(); }
  std::string ModFolder(const std::string& candidate) override {
    return source_.ModFolder(candidate);
  }
  const std::string& UnpackedPath() const override { return source_.unpackedPath(); }

 private:
  ModSource source_;
};

}  // namespace

TFormServices DefaultFormServices() {
  TFormServices services;
  services.readData = ReadData;
  services.installVehicle = InstallVehicleFrom;
  services.directoryExists = DirectoryExists;
  services.settingsFilePath = SettingsFilePath;
  services.recoverInstalls = RecoverInterruptedInstalls;
  services.findUndoable = FindUndoable;
  services.undoInstall = [](const std::string& gameDir, unsigned number) {
    return UndoInstall(gameDir, number, false);
  };
  services.historyLines = HistoryLines;
  services.fileExists = FileExists;
  services.openArchive = [](const std::string& path) -> std::unique_ptr<TModArchive> {
    return std::make_unique<TUnpackedArchive>(path);
  };
  services.removeStaleUnpackFolders = RemoveStaleUnpackFolders;
  services.checkMod = CheckMod;
  return services;
}

}  // namespace wrenfield
