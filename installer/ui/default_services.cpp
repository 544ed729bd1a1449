// The real services of the window logic, apart so that tests with their own
// services do not pull in the reader and the installer.
#include "file_system.h"
#include "form_services.h"
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

class TDefaultServices : public TFormServices {
 public:
  void ReadData(const std::string& modFolder, TInstallFields& fields,
                std::string& replacedHandlingId) override {
    wrenfield::ReadData(modFolder, fields, replacedHandlingId);
  }
  void InstallVehicle(const std::string& gameDir, const TInstallFields& fields,
                      const std::string& replacedHandlingId, InstallProgress& progress,
                      const std::string& origin) override {
    InstallVehicleFrom(gameDir, fields, replacedHandlingId, progress, origin);
  }
  bool CheckMod(const std::string& gameDir, const TInstallFields& fields,
                Findings& findings) override {
    findings = wrenfield::CheckMod(gameDir, fields);
    return true;
  }
  bool DirectoryExists(const std::string& path) override {
    return wrenfield::DirectoryExists(path);
  }
  bool FileExists(const std::string& path) override { return wrenfield::FileExists(path); }
  std::string SettingsFilePath() override { return wrenfield::SettingsFilePath(); }
  std::unique_ptr<TModArchive> OpenArchive(const std::string& path) override {
    return std::make_unique<TUnpackedArchive>(path);
  }
  void RemoveStaleUnpackFolders() override { wrenfield::RemoveStaleUnpackFolders(); }
  bool RecoverInstalls(const std::string& gameDir, std::vector<std::string>& messages) override {
    return RecoverInterruptedInstalls(gameDir, messages);
  }
  bool FindUndoable(const std::string& gameDir, InstallSummary& summary) override {
    return wrenfield::FindUndoable(gameDir, summary);
  }
  UndoOutcome UndoInstall(const std::string& gameDir, unsigned number) override {
    return wrenfield::UndoInstall(gameDir, number, false);
  }
  std::vector<std::string> HistoryLines(const std::string& gameDir) override {
    return wrenfield::HistoryLines(gameDir);
  }
  PruneOutcome PruneInstalls(
      const std::string& gameDir, int keepApplied,
      const std::function<bool(const std::vector<unsigned>&)>& confirm) override {
    return wrenfield::PruneInstalls(gameDir, keepApplied, confirm);
  }
  std::uint64_t ReclaimableSpace(const std::string& gameDir) override {
    return wrenfield::ReclaimableSpace(gameDir);
  }
  std::string CompactArchive(const std::string& gameDir, const CompactProgress& progress) override {
    return CompactGameArchive(gameDir, progress);
  }
};

}  // namespace

std::unique_ptr<TFormServices> DefaultFormServices() {
  return std::make_unique<TDefaultServices>();
}

}  // namespace wrenfield
