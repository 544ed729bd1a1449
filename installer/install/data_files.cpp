#include "data_files.h"

#include "error.h"
#include "file_system.h"
#include "game_paths.h"
#include "messages.h"

namespace wrenfield {
namespace {

struct DataFileRow {
  const char* name;
  const char* backupName;
};

const DataFileRow& RowOf(DataFile file) {
  static const DataFileRow kRows[] = {
      {"carcols.dat", "carcols_Backup.dat"},
      {"handling.cfg", "handling_Backup.cfg"},
      {"vehicles.ide", "vehicles_Backup.ide"},
      {"carmods.dat", "carmods_Backup.dat"},
  };
  return kRows[static_cast<int>(file)];
}

}  // namespace

std::string DataFilePath(const std::string& gameDir, DataFile file) {
  return GamePath(gameDir, {"data", RowOf(file).name});
}

std::string BackupFilePath(const std::string& gameDir, DataFile file) {
  return GamePath(gameDir, {"data", RowOf(file).backupName});
}

std::string NoMatchMessage(DataFile file) { return msg::DataLineNotReplaced(RowOf(file).name); }

const char* DataFileName(DataFile file) { return RowOf(file).name; }

void BackupDataFiles(const std::string& gameDir) {
  for (const DataFile file : kAllDataFiles) {
    const std::string data = DataFilePath(gameDir, file);
    const std::string backup = BackupFilePath(gameDir, file);
    // Without its data file there is nothing to keep; without a backup of an
    // existing file the stock lines could be lost for good, so that stops here.
    if (!CopyFileOver(data, backup) && FileExists(data)) {
      throw Error(msg::BackupFailed(FullPath(backup)));
    }
  }
}

PatchedDataFile PrepareDataFilePatch(const std::string& gameDir, DataFile file,
                                     const std::string& replacement, const std::string& key) {
  PatchedDataFile patch;
  patch.file = file;
  patch.path = FullPath(DataFilePath(gameDir, file));
  patch.original = ReadFileBytes(patch.path);
  patch.lines = SplitLines(patch.original);
  patch.replacement = replacement;
  patch.replacedAt = ReplaceMatchingLines(patch.lines, key, replacement);
  if (patch.replacedAt.empty()) throw Error(NoMatchMessage(file));
  return patch;
}

void WriteDataFilePatch(const PatchedDataFile& patch) {
  WriteFileReplacing(patch.path, JoinLinesCrLf(patch.lines));
}

void PatchDataFile(const std::string& gameDir, DataFile file, const std::string& replacement,
                   const std::string& key) {
  WriteDataFilePatch(PrepareDataFilePatch(gameDir, file, replacement, key));
}

}  // namespace wrenfield
