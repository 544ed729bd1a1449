#include "install_vehicle.h"

#include <vector>

#include "archive_session.h"
#include "data_files.h"
#include "entry_name.h"
#include "error.h"
#include "file_system.h"
#include "game_paths.h"
#include "install_messages.h"
#include "line_replace.h"
#include "torvane.h"

namespace wrenfield {
namespace {

// A mod file as it goes into the archive: its full path, and the entry name it
// is stored under, worked out once: the last component of the full path, so a
// relative path such as "car.dff" is named after the file too.
struct ModFile {
  std::string path;
  std::string entryName;
};

ModFile ModFileOf(const std::string& path) {
  ModFile file{FullPath(path), std::string()};
  file.entryName = img::EntryNameOf(file.path);
  return file;
}

// A model or texture file that exists, can be stored under its own name and
// can be opened by the archive library.
ModFile CheckedModFile(const std::string& path, const char* notFound, const char* replaceFailed) {
  if (!FileExists(path)) throw Error(notFound);
  ModFile file = ModFileOf(path);
  if (file.entryName.empty() || !img::FitsNameField(file.entryName.size())) {
    throw Error(replaceFailed);
  }
  // A file the archive could not take (held by another program, not a regular
  // file) would fail only after the data files were written.
  if (!CanOpenExclusively(file.path)) throw Error(replaceFailed);
  return file;
}

// The handling line is found by the replaced vehicle's identifier; the field
// must be that vehicle's line too, or another vehicle's line would be lost.
// The file is read first, so that a file that cannot be read reports that.
PatchedDataFile PrepareHandlingPatch(const std::string& gameDir, const std::string& handling,
                                     const std::string& replacedHandlingId) {
  PatchedDataFile patch =
      PrepareDataFilePatch(gameDir, DataFile::kHandling, handling, replacedHandlingId);
  if (!BeginsWithName(handling, replacedHandlingId)) {
    throw Error(NoMatchMessage(DataFile::kHandling));
  }
  return patch;
}

// Reads every data file whose field is filled and patches it in memory, in
// table order, so that a line that cannot be replaced stops the installation
// before anything is written.
std::vector<PatchedDataFile> PrepareDataFilePatches(const std::string& gameDir,
                                                    const TInstallFields& fields,
                                                    const std::string& replacedHandlingId) {
  std::vector<PatchedDataFile> patches;
  if (!fields.carcols.empty()) {
    patches.push_back(PrepareDataFilePatch(gameDir, DataFile::kCarcols, fields.carcols,
                                           CommaKey(fields.carcols)));
  }
  if (!fields.handling.empty()) {
    patches.push_back(PrepareHandlingPatch(gameDir, fields.handling, replacedHandlingId));
  }
  if (!fields.vehicles.empty()) {
    patches.push_back(PrepareDataFilePatch(gameDir, DataFile::kVehicles, fields.vehicles,
                                           IdKey(fields.vehicles)));
  }
  if (!fields.carmods.empty()) {
    patches.push_back(PrepareDataFilePatch(gameDir, DataFile::kCarmods, fields.carmods,
                                           CommaKey(fields.carmods)));
  }
  return patches;
}

void AddAdditionalFiles(ArchiveSession& archive, const std::vector<TAdvItem>& items) {
  for (const TAdvItem& item : items) {
    if (!item.checked || !FileExists(item.path)) continue;
    // A refused file is passed over, but a failed write leaves the archive
    // damaged and must not be reported as success.
    const ModFile file = ModFileOf(item.path);
    if (archive.AddReplacing(file.path, file.entryName) == TORVANE_IO_ERROR) {
      throw Error(install_messages::kArchiveWriteFailed);
    }
  }
}

// Everything between opening and closing the archive. Whatever can be
// foreseen is checked before the first backup, so a failure there changes
// nothing on disk.
void InstallIntoArchive(ArchiveSession& archive, const std::string& gameDir,
                        const TInstallFields& fields, const std::string& replacedHandlingId) {
  const auto patches = PrepareDataFilePatches(gameDir, fields, replacedHandlingId);
  const ModFile model = CheckedModFile(fields.DFF, install_messages::kModelNotFound,
                                       install_messages::kModelReplaceFailed);
  const ModFile texture = CheckedModFile(fields.TXD, install_messages::kTextureNotFound,
                                         install_messages::kTextureReplaceFailed);

  BackupDataFiles(gameDir);
  for (const auto& patch : patches) WriteDataFilePatch(patch);

  if (archive.AddReplacing(model.path, model.entryName) != TORVANE_OK) {
    throw Error(install_messages::kModelReplaceFailed);
  }
  if (archive.AddReplacing(texture.path, texture.entryName) != TORVANE_OK) {
    throw Error(install_messages::kTextureReplaceFailed);
  }
  AddAdditionalFiles(archive, fields.Adv);
}

}  // namespace

void InstallVehicle(const std::string& gameDir, const TInstallFields& fields,
                    const std::string& replacedHandlingId, InstallProgress& progress) {
  if (gameDir.empty()) throw Error(install_messages::kNoGameFolder);
  ArchiveSession archive;
  if (!archive.Open(ArchivePath(gameDir))) throw Error(install_messages::kArchiveOpenFailed);
  try {
    progress.ArchiveOpened();
    InstallIntoArchive(archive, gameDir, fields, replacedHandlingId);
    archive.Close();
    progress.Installed();
  } catch (...) {
    archive.Close();
    progress.Ended();
    throw;
  }
  progress.Ended();
}

}  // namespace wrenfield
