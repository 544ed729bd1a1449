#include "install_vehicle.h"

#include <vector>

#include "archive_layout.h"
#include "archive_session.h"
#include "data_files.h"
#include "entry_name.h"
#include "error.h"
#include "file_system.h"
#include "game_paths.h"
#include "install_record.h"
#include "install_undo.h"
#include "line_replace.h"
#include "messages.h"
#include "record_restore.h"
#include "record_store.h"
#include "text_encoding.h"
#include "torvane.h"

namespace wrenfield {
namespace {

// A mod file as it goes into the archive: its full path, and the entry name it
// is stored under, worked out once: the last component of the full path, so a
// relative path such as "car.dff" is named after the file too.
using ModFile = EntrySource;

ModFile ModFileOf(const std::string& path) {
  ModFile file{FullPath(path), std::string()};
  file.entryName = img::EntryNameOf(file.path);
  return file;
}

bool ArchiveCanTake(const ModFile& file) {
  return img::CanBeEntryName(file.entryName.size()) && CanOpenExclusively(file.path);
}

// A model or texture file that exists, can be stored under its own name and
// can be opened by the archive library (not held by another program, a
// regular file): one it could not take would fail only after changes.
ModFile CheckedModFile(const std::string& path, const std::string& notFound,
                       const std::string& replaceFailed) {
  if (!FileExists(path)) throw Error(notFound);
  ModFile file = ModFileOf(path);
  if (!ArchiveCanTake(file)) throw Error(replaceFailed);
  return file;
}

// The checked additional files that exist and that the archive can take; the
// others are passed over, as a refused one always was. A ticked file whose name
// cannot be an entry name is refused, naming it: passed over, the installation
// would report a success without it.
std::vector<ModFile> AcceptableAdditionalFiles(const std::vector<TAdvItem>& items) {
  std::vector<ModFile> files;
  for (const TAdvItem& item : items) {
    if (!item.checked || !FileExists(item.path)) continue;
    ModFile file = ModFileOf(item.path);
    if (!img::CanBeEntryName(file.entryName.size())) {
      throw Error(msg::AdditionalNameUnfit(PathAsText(file.path)));
    }
    if (ArchiveCanTake(file)) files.push_back(file);
  }
  return files;
}

// Each file goes in under the name of the entry the game finds for it, so that
// it replaces that entry; files whose names the game takes for one go into one
// entry, under the first one's name.
void NameAsTheGameFinds(const ArchiveLayout& layout, std::vector<ModFile>& files) {
  std::vector<std::string> names;
  for (const ModFile& file : files) names.push_back(file.entryName);
  names = NamesAsTheGameFinds(layout, names);
  for (std::size_t i = 0; i < files.size(); ++i) files[i].entryName = names[i];
}

// The files as the archive will take them: a size that cannot be read counts
// as none, and Torvane reports it when it takes the file.
std::vector<ArchiveChange> ArchiveChangesOf(const std::vector<ModFile>& files) {
  std::vector<ArchiveChange> changes;
  for (const ModFile& file : files) {
    ArchiveChange change{file.entryName, 0};
    if (!FileSize(file.path, change.bytes)) change.bytes = 0;
    changes.push_back(change);
  }
  return changes;
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

std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of(kPathSeparator);
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

// The replaced vehicle as the history names it: its handling identifier, or
// the model's name when the installation had none.
std::string VehicleOf(const std::string& replacedHandlingId, const ModFile& model) {
  if (!replacedHandlingId.empty()) return replacedHandlingId;
  return model.entryName.substr(0, model.entryName.rfind('.'));
}

// Puts back everything the installation changed after a failure in this
// process: the entries the archive took and the data files not as before. ""
// when done; otherwise what stopped it (the record then stays, for a later
// recovery).
std::string RollBack(ArchiveSession& archive, const std::string& gameDir,
                     const RecordWriter& writer) {
  InstallRecord record = writer.record();
  try {
    if (!archive.Reopen()) throw Error(msg::ArchiveOpenFailed());
    std::vector<bool> taken;
    for (std::size_t i = 0; i < record.entries.size(); ++i) taken.push_back(writer.TookEntry(i));
    const RestorePlan plan = PlanRollback(archive, gameDir, record, taken);
    PutBack(archive, gameDir, record, plan, true);
  } catch (const Error& error) {
    return error.message();
  }
  try {
    FinishPutBack(gameDir, record, RecordState::kRolledBack);
  } catch (const Error&) {
    // The game is as before; a later recovery finds nothing to put back
    // and records it.
  }
  return std::string();
}

void AddModFile(ArchiveSession& archive, const ModFile& file, const std::string& failed) {
  if (archive.AddReplacing(file.path, file.entryName) != TORVANE_OK) throw Error(failed);
}

// The changes, in the order of the installation sequence.
void ChangeGame(ArchiveSession& archive, RecordWriter& record, const std::string& gameDir,
                const std::vector<PatchedDataFile>& patches, const std::vector<ModFile>& files) {
  BackupDataFiles(gameDir);
  for (const auto& patch : patches) WriteDataFilePatch(patch);
  AddModFile(archive, files[0], msg::ModelReplaceFailed());
  record.Took(0);
  AddModFile(archive, files[1], msg::TextureReplaceFailed());
  record.Took(1);
  for (std::size_t i = 2; i < files.size(); ++i) {
    // A refused file is passed over, but a failed write leaves the archive
    // damaged and must not be reported as success.
    const int status = archive.AddReplacing(files[i].path, files[i].entryName);
    if (status == TORVANE_IO_ERROR) throw Error(msg::ArchiveWriteFailed());
    if (status == TORVANE_OK) record.Took(i);
  }
}

// Everything between opening and closing the archive. Whatever can be
// foreseen is checked before the record is written, so a failure there
// changes nothing; a failure after it puts back what was changed.
void InstallIntoArchive(ArchiveSession& archive, const ArchiveLayout& layout,
                        const std::string& gameDir, const TInstallFields& fields,
                        const std::string& replacedHandlingId, const std::string& origin) {
  const auto patches = PrepareDataFilePatches(gameDir, fields, replacedHandlingId);
  std::vector<ModFile> files = {
      CheckedModFile(fields.DFF, msg::ModelNotFound(), msg::ModelReplaceFailed()),
      CheckedModFile(fields.TXD, msg::TextureNotFound(), msg::TextureReplaceFailed())};
  for (ModFile& file : AcceptableAdditionalFiles(fields.Adv)) files.push_back(file);
  for (const auto& patch : patches) CheckReplaceable(patch.path);
  CheckArchiveChanges(layout, archive.path(), ArchiveChangesOf(files));
  NameAsTheGameFinds(layout, files);

  InstallRecord header;
  header.modFolder = origin.empty() ? PathAsText(FolderOf(files.front().path)) : origin;
  header.vehicle = VehicleOf(replacedHandlingId, files[0]);
  header.fields = fields;
  RecordWriter record(archive, gameDir);
  record.Begin(header, patches, files);
  try {
    ChangeGame(archive, record, gameDir, patches, files);
    record.Complete();
  } catch (const Error& failure) {
    const std::string rollbackFailure = RollBack(archive, gameDir, record);
    if (rollbackFailure.empty()) throw;
    throw Error(msg::RollbackFailed(failure.message(), rollbackFailure));
  } catch (...) {
    RollBack(archive, gameDir, record);
    throw;
  }
}

// Puts right whatever an interrupted installation or undo left, then reads
// the archive's directory: only after IMGOpen has dealt with a journal left
// by an interrupted change, which it rolls back or sets aside, and after the
// recovery, is the directory the one the changes will meet. Torvane holds the
// file without sharing, so it is closed for the reading and opened again.
ArchiveLayout RecoverAndReadLayout(ArchiveSession& archive, const std::string& gameDir,
                                   InstallProgress& progress) {
  std::vector<std::string> recovered;
  RecoverHeld(archive, gameDir, recovered);
  for (const std::string& message : recovered) progress.Recovered(message);
  archive.Close();
  ArchiveLayout layout = ReadArchiveLayout(ArchivePath(gameDir));
  if (!archive.Reopen()) throw Error(msg::ArchiveOpenFailed());
  return layout;
}

}  // namespace

void InstallVehicle(const std::string& gameDir, const TInstallFields& fields,
                    const std::string& replacedHandlingId, InstallProgress& progress) {
  InstallVehicleFrom(gameDir, fields, replacedHandlingId, progress, std::string());
}

void InstallVehicleFrom(const std::string& gameDir, const TInstallFields& fields,
                        const std::string& replacedHandlingId, InstallProgress& progress,
                        const std::string& origin) {
  if (gameDir.empty()) throw Error(msg::NoGameFolder());
  const std::string path = ArchivePath(gameDir);
  ArchiveSession archive;
  if (!archive.Open(path)) throw Error(msg::ArchiveOpenFailed());
  try {
    progress.ArchiveOpened();
    const ArchiveLayout layout = RecoverAndReadLayout(archive, gameDir, progress);
    InstallIntoArchive(archive, layout, gameDir, fields, replacedHandlingId, origin);
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
