// The four game data files an installation changes: their backups and the
// replacement of the stock vehicle's lines in them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "line_replace.h"

namespace wrenfield {

// In the order backups are made and files are patched.
enum class DataFile { kCarcols, kHandling, kVehicles, kCarmods };
inline constexpr DataFile kAllDataFiles[] = {DataFile::kCarcols, DataFile::kHandling,
                                             DataFile::kVehicles, DataFile::kCarmods};

std::string DataFilePath(const std::string& gameDir, DataFile file);  // data/carcols.dat ...
std::string BackupFilePath(const std::string& gameDir,
                           DataFile file);  // data/carcols_Backup.dat ...
std::string NoMatchMessage(DataFile file);  // "Ошибка замены строки в '<file>'"
const char* DataFileName(DataFile file);    // "carcols.dat" ...

// Copies each data file over its backup, in table order. A missing data file
// is passed over; a backup that cannot be written while its data file exists
// raises "Не удаётся создать резервную копию '<full path>'".
void BackupDataFiles(const std::string& gameDir);

// A data file read and patched in memory, not yet written.
struct PatchedDataFile {
  DataFile file = DataFile::kCarcols;
  std::string path;      // full path of the data file
  std::string original;  // its bytes as read
  Lines lines;           // its lines, patched
  std::string replacement;
  std::vector<std::size_t> replacedAt;  // indices of the lines replaced
};

// Reads the data file and replaces every line that begins with key (as a
// whole name) by replacement. Raises the file layer's open error, or the
// file's no-match message when no line matched. Writes nothing.
PatchedDataFile PrepareDataFilePatch(const std::string& gameDir, DataFile file,
                                     const std::string& replacement, const std::string& key);

// Writes the lines back, each followed by CR LF, through a temporary file that
// then takes the data file's place. Raises the file layer's create error.
void WriteDataFilePatch(const PatchedDataFile& patch);

// PrepareDataFilePatch, then WriteDataFilePatch.
void PatchDataFile(const std::string& gameDir, DataFile file, const std::string& replacement,
                   const std::string& key);

}  // namespace wrenfield
