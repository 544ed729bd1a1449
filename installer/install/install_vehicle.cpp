#include "install_vehicle.h"

#include <vector>

#include "archive_session.h"
#include "data_files.h"
#include "error.h"
#include "file_system.h"
#include "game_paths.h"
#include "install_messages.h"
#include "line_replace.h"
#include "torvane.h"

namespace wrenfield {
namespace {

// The full path of a model or texture file that exists, can be stored under
// its own name and can be opened by the archive library. Torvane names the
// entry after the text following the path's last separator, so a relative path
// must not reach it.
std::string CheckedModFile(const std::string& path, const char* notFound,
                           const char* replaceFailed) {
  if (!FileExists(path)) throw Error(notFound);
  std::string fullPath = FullPath(path);
  if (!IsValidEntryName(EntryNameOf(fullPath))) throw Error(replaceFailed);
  // A file the archive could not take (held by another program, not a regular
  // file) would fail only after the data files were written.
  if (!CanOpenExclusively(fullPath)) throw Error(replaceFailed);
  return fullPath;
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
    if (archive.AddReplacing(FullPath(item.path)) == TORVANE_IO_ERROR) {
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
  const std::string model = CheckedModFile(fields.DFF, install_messages::kModelNotFound,
                                           install_messages::kModelReplaceFailed);
  const std::string texture = CheckedModFile(fields.TXD, install_messages::kTextureNotFound,
                                             install_messages::kTextureReplaceFailed);

  BackupDataFiles(gameDir);
  for (const auto& patch : patches) WriteDataFilePatch(patch);

  if (archive.AddReplacing(model) != TORVANE_OK) {
    throw Error(install_messages::kModelReplaceFailed);
  }
  if (archive.AddReplacing(texture) != TORVANE_OK) {
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
