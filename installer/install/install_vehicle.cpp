#include "install_vehicle.h"

#include <map>
#include <vector>

#include "archive_layout.h"
#include "archive_session.h"
#include "data_files.h"
#include "entry_name.h"
#include "error.h"
#include "file_system.h"
#include "game_paths.h"
#include "img_layout.h"
#include "install_messages.h"
#include "install_record.h"
#include "install_undo.h"
#include "line_replace.h"
#include "record_restore.h"
#include "sha256.h"
#include "torvane.h"

namespace wrenfield {
namespace {

namespace msg = install_messages;

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

bool CanBeEntryName(const std::string& name) {
  return !name.empty() && img::FitsNameField(name.size());
}

bool ArchiveCanTake(const ModFile& file) {
  return CanBeEntryName(file.entryName) && CanOpenExclusively(file.path);
}

// A model or texture file that exists, can be stored under its own name and
// can be opened by the archive library (not held by another program, a
// regular file): one it could not take would fail only after changes.
ModFile CheckedModFile(const std::string& path, const char* notFound, const char* replaceFailed) {
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
    if (!CanBeEntryName(file.entryName)) {
      throw Error(msg::kAdditionalNameUnfit + file.path + msg::kAdditionalNameUnfitTail);
    }
    if (ArchiveCanTake(file)) files.push_back(file);
  }
  return files;
}

// Each file goes in under the name of the entry the game finds for it, so that
// it replaces that entry; files whose names the game takes for one go into one
// entry, under the first one's name.
void NameAsTheGameFinds(const ArchiveLayout& layout, std::vector<ModFile>& files) {
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::string& name = files[i].entryName;
    name = StoredEntryName(layout, name);
    for (std::size_t j = 0; j < i; ++j) {
      const std::string& earlier = files[j].entryName;
      if (img::SameNameToGame(earlier.data(), earlier.size(), name.data(), name.size())) {
        name = earlier;
        break;
      }
    }
  }
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

// The SHA-256 of the sectors an entry holds once the file was put in: its
// bytes, then zero bytes up to a whole sector.
std::string EntryHashOfFile(const std::string& path) {
  Sha256 hash;
  std::uint64_t size = 0;
  ReadFileChunks(path, [&](const char* data, std::size_t n) {
    hash.Update(data, n);
    size += n;
  });
  static const char kZeros[img::kSectorSize] = {};
  hash.Update(kZeros, static_cast<std::size_t>(img::AlignToSector(size) - size));
  return HexDigest(hash.Finish());
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

// One installation's record: written whole before the first change, marked
// complete after the last, and the source of the rollback after a failure.
class RecordedInstall {
 public:
  RecordedInstall(ArchiveSession& archive, const std::string& gameDir)
      : archive_(archive), gameDir_(gameDir) {}

  // Everything the installation will change, with the data files' and the
  // entries' present content, made durable. On a failure the record's folder
  // is removed again; nothing of the game has changed.
  void Begin(const TInstallFields& fields, const std::string& vehicle,
             const std::vector<PatchedDataFile>& patches, const std::vector<ModFile>& files) {
    const std::vector<unsigned> numbers = RecordNumbers(gameDir_);
    record_.number = numbers.empty() ? 1 : numbers.back() + 1;
    record_.date = CurrentLocalTime();
    record_.modFolder = FolderOf(files.front().path);
    record_.vehicle = vehicle;
    record_.fields = fields;
    try {
      MakeFolder();
      SaveDataFiles(patches);
      SaveEntries(files);
      // The copies' names last before the manifest that names them can.
      SyncFolder(RecordFolder(gameDir_, record_.number));
      WriteManifest(gameDir_, record_);
    } catch (...) {
      RemoveRecordFolder(gameDir_, record_.number);
      throw;
    }
  }

  // The archive took files[index].
  void Took(std::size_t index) { took_[entryOf_[index]] = index; }

  // After the last change: the entries as the archive took them, durable.
  void Complete() {
    std::vector<RecordedEntry> entries;
    for (std::size_t i = 0; i < record_.entries.size(); ++i) {
      const auto took = took_.find(i);
      if (took == took_.end()) {  // refused: unchanged, nothing to undo
        if (!record_.entries[i].added) {
          RemoveFile(RecordFile(gameDir_, record_.number, record_.entries[i].copy));
        }
        continue;
      }
      entries.push_back(record_.entries[i]);
      entries.back().newHash = fileHashes_[took->second];
    }
    record_.entries = entries;
    SyncGameFiles(gameDir_);
    record_.state = RecordState::kComplete;
    CommitManifest(gameDir_, record_);
  }

  // Puts back everything the installation changed. "" when done; otherwise
  // what stopped it (the record then stays, for a later recovery).
  std::string RollBack() {
    try {
      if (!archive_.Reopen()) throw Error(msg::kArchiveOpenFailed);
      PutBack(archive_, gameDir_, record_, true);
    } catch (const Error& error) {
      return error.message();
    }
    try {
      FinishPutBack(gameDir_, record_, RecordState::kRolledBack);
    } catch (const Error&) {
      // The game is as before; a later recovery finds nothing to put back
      // and records it.
    }
    return std::string();
  }

 private:
  void MakeFolder() {
    const std::string records = RecordsFolder(gameDir_);
    const bool firstRecord = !DirectoryExists(records);
    CreateFolder(GamePath(gameDir_, {"Wrenfield"}));
    CreateFolder(records);
    CreateFolder(RecordFolder(gameDir_, record_.number));
    if (firstRecord) {
      SyncFolder(gameDir_);
      SyncFolder(GamePath(gameDir_, {"Wrenfield"}));
    }
    SyncFolder(records);
  }

  void SaveDataFiles(const std::vector<PatchedDataFile>& patches) {
    for (const PatchedDataFile& patch : patches) {
      WriteFileReplacing(RecordFile(gameDir_, record_.number, DataFileCopyName(patch.file)),
                         patch.original);
      RecordedDataFile file;
      file.file = patch.file;
      file.before = Sha256Hex(patch.original);
      file.after = Sha256Hex(JoinLinesCrLf(patch.lines));
      file.lines = patch.replacedAt;
      file.newLine = patch.replacement;
      record_.dataFiles.push_back(file);
    }
  }

  // One record entry per name, in the order first written; the bytes it gets
  // are those of the last file of that name.
  void SaveEntries(const std::vector<ModFile>& files) {
    std::map<std::string, std::size_t> entryByName;
    for (const ModFile& file : files) {
      fileHashes_.push_back(EntryHashOfFile(file.path));
      const auto known = entryByName.find(file.entryName);
      if (known != entryByName.end()) {
        entryOf_.push_back(known->second);
        record_.entries[known->second].newHash = fileHashes_.back();
        continue;
      }
      entryByName[file.entryName] = record_.entries.size();
      entryOf_.push_back(record_.entries.size());
      record_.entries.push_back(SavedEntry(file.entryName, fileHashes_.back()));
    }
  }

  // The entry's present sectors kept in the record (or none: it will be added).
  RecordedEntry SavedEntry(const std::string& name, const std::string& newHash) {
    RecordedEntry entry;
    entry.name = name;
    entry.newHash = newHash;
    entry.copy = "entry-" + std::to_string(record_.entries.size() + 1) + ".bin";
    const std::string copy = RecordFile(gameDir_, record_.number, entry.copy);
    ExtractEntryTo(archive_, name, copy);
    // Torvane has made the copy durable, file and folder, before it returned.
    entry.added = !FileExists(copy);
    if (entry.added) {
      entry.copy.clear();
    } else {
      entry.oldHash = Sha256OfFile(copy);
    }
    return entry;
  }

  ArchiveSession& archive_;
  std::string gameDir_;
  InstallRecord record_;
  std::vector<std::string> fileHashes_;      // by file, in the order written
  std::vector<std::size_t> entryOf_;         // by file: its record entry
  std::map<std::size_t, std::size_t> took_;  // by record entry: the last file taken
};

void AddModFile(ArchiveSession& archive, const ModFile& file, const char* failed) {
  if (archive.AddReplacing(file.path, file.entryName) != TORVANE_OK) throw Error(failed);
}

// The changes, in the order of the installation sequence.
void ChangeGame(ArchiveSession& archive, RecordedInstall& record, const std::string& gameDir,
                const std::vector<PatchedDataFile>& patches, const std::vector<ModFile>& files) {
  BackupDataFiles(gameDir);
  for (const auto& patch : patches) WriteDataFilePatch(patch);
  AddModFile(archive, files[0], msg::kModelReplaceFailed);
  record.Took(0);
  AddModFile(archive, files[1], msg::kTextureReplaceFailed);
  record.Took(1);
  for (std::size_t i = 2; i < files.size(); ++i) {
    // A refused file is passed over, but a failed write leaves the archive
    // damaged and must not be reported as success.
    const int status = archive.AddReplacing(files[i].path, files[i].entryName);
    if (status == TORVANE_IO_ERROR) throw Error(msg::kArchiveWriteFailed);
    if (status == TORVANE_OK) record.Took(i);
  }
}

// Everything between opening and closing the archive. Whatever can be
// foreseen is checked before the record is written, so a failure there
// changes nothing; a failure after it puts back what was changed.
void InstallIntoArchive(ArchiveSession& archive, const ArchiveLayout& layout,
                        const std::string& gameDir, const TInstallFields& fields,
                        const std::string& replacedHandlingId) {
  const auto patches = PrepareDataFilePatches(gameDir, fields, replacedHandlingId);
  std::vector<ModFile> files = {
      CheckedModFile(fields.DFF, msg::kModelNotFound, msg::kModelReplaceFailed),
      CheckedModFile(fields.TXD, msg::kTextureNotFound, msg::kTextureReplaceFailed)};
  for (ModFile& file : AcceptableAdditionalFiles(fields.Adv)) files.push_back(file);
  for (const auto& patch : patches) CheckReplaceable(patch.path);
  std::vector<std::string> names;
  for (const ModFile& file : files) names.push_back(file.entryName);
  CheckArchiveChanges(layout, archive.path(), names);
  NameAsTheGameFinds(layout, files);

  RecordedInstall record(archive, gameDir);
  record.Begin(fields, VehicleOf(replacedHandlingId, files[0]), patches, files);
  try {
    ChangeGame(archive, record, gameDir, patches, files);
    record.Complete();
  } catch (const Error& failure) {
    const std::string rollbackFailure = record.RollBack();
    if (rollbackFailure.empty()) throw;
    throw Error(failure.message() + "\n" + msg::kRollbackFailed + rollbackFailure +
                msg::kRollbackKept);
  } catch (...) {
    record.RollBack();
    throw;
  }
}

// Puts right whatever an interrupted installation or undo left. When that
// changed the archive, it is opened again and its directory read afresh.
void RecoverBeforeInstall(ArchiveSession& archive, ArchiveLayout& layout,
                          const std::string& gameDir, InstallProgress& progress) {
  std::vector<std::string> recovered;
  RecoverHeld(archive, gameDir, recovered);
  for (const std::string& message : recovered) progress.Recovered(message);
  if (recovered.empty()) return;
  archive.Close();
  layout = ReadArchiveLayout(ArchivePath(gameDir));
  if (!archive.Reopen()) throw Error(msg::kArchiveOpenFailed);
}

}  // namespace

void InstallVehicle(const std::string& gameDir, const TInstallFields& fields,
                    const std::string& replacedHandlingId, InstallProgress& progress) {
  if (gameDir.empty()) throw Error(msg::kNoGameFolder);
  const std::string path = ArchivePath(gameDir);
  // Read before Torvane holds the file, which it does without sharing.
  ArchiveLayout layout = ReadArchiveLayout(path);
  ArchiveSession archive;
  if (!archive.Open(path)) throw Error(msg::kArchiveOpenFailed);
  try {
    progress.ArchiveOpened();
    RecoverBeforeInstall(archive, layout, gameDir, progress);
    InstallIntoArchive(archive, layout, gameDir, fields, replacedHandlingId);
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
