// What the window logic calls outside the window: the reader, the installer,
// the install records, unpacking and the settings file, as one interface so
// that every call the window makes can be followed by reading.
// DefaultFormServices() gives the real ones; the tests give their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive_compact.h"
#include "install_fields.h"
#include "install_undo.h"
#include "install_vehicle.h"
#include "mod_check.h"

namespace wrenfield {

// A mod archive unpacked into a private folder, removed with the object.
class TModArchive {
 public:
  virtual ~TModArchive() = default;
  // The folders that may be the mod folder, never none ("/" between parts, "."
  // for the archive's top).
  virtual const std::vector<std::string>& Candidates() const = 0;
  // The folder to read for one of them. Throws Error.
  virtual std::string ModFolder(const std::string& candidate) = 0;
  // The private folder that holds every unpacked file.
  virtual const std::string& UnpackedPath() const = 0;
};

class TFormServices {
 public:
  virtual ~TFormServices() = default;

  // The reader (read_data.h): fields and the replaced handling identifier.
  virtual void ReadData(const std::string& modFolder, TInstallFields& fields,
                        std::string& replacedHandlingId) = 0;
  // The installation (install_vehicle.h): game folder, fields, replaced
  // handling identifier, progress, and what the player chose as the history
  // names it ("" for a mod folder).
  virtual void InstallVehicle(const std::string& gameDir, const TInstallFields& fields,
                              const std::string& replacedHandlingId, InstallProgress& progress,
                              const std::string& origin) = 0;
  // The mod check of the fields against a game folder (mod_check.h); false
  // when there is none to run.
  virtual bool CheckMod(const std::string& gameDir, const TInstallFields& fields,
                        Findings& findings) = 0;

  virtual bool DirectoryExists(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual std::string SettingsFilePath() = 0;

  // Unpacks an archive. Throws Error (the archive refused, no model in it).
  virtual std::unique_ptr<TModArchive> OpenArchive(const std::string& path) = 0;
  // Removes the unpack folders an earlier run left behind for over a day.
  virtual void RemoveStaleUnpackFolders() = 0;

  // The install records of a game folder (install_undo.h).
  virtual bool RecoverInstalls(const std::string& gameDir, std::vector<std::string>& messages) = 0;
  virtual bool FindUndoable(const std::string& gameDir, InstallSummary& summary) = 0;
  virtual UndoOutcome UndoInstall(const std::string& gameDir, unsigned number) = 0;
  virtual std::vector<std::string> HistoryLines(const std::string& gameDir) = 0;
  virtual PruneOutcome PruneInstalls(
      const std::string& gameDir, int keepApplied,
      const std::function<bool(const std::vector<unsigned>&)>& confirm) = 0;

  // Compaction of the game's archive (archive_compact.h).
  virtual std::uint64_t ReclaimableSpace(const std::string& gameDir) = 0;
  virtual std::string CompactArchive(const std::string& gameDir,
                                     const CompactProgress& progress) = 0;
};

std::unique_ptr<TFormServices> DefaultFormServices();

}  // namespace wrenfield
