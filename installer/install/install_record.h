// The install record: what one installation changed in a game folder, kept
// inside it (<game>/Wrenfield/installs/0001/ ...) so that a failed or
// interrupted installation can be rolled back and a finished one undone.
//
// A record folder holds manifest.txt (the human-readable description below), a
// copy of each data file the installation patched, under the file's own name,
// as it was before, and entry-<k>.bin with the old sectors of each archive
// entry it replaced. The manifest is the record's commit point: it is written
// (to a temporary name, synced, renamed, the folder synced) only after every
// copy is durable, and a folder without one records nothing. Each change of
// state rewrites the whole manifest the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data_files.h"
#include "install_fields.h"

namespace wrenfield {

enum class RecordState {
  kInProgress,  // written before the first change; the changes may be part done
  kComplete,    // every change made
  kUndoing,     // an undo has begun; the changes may be part undone
  kUndone,
  kRolledBack,  // the installation failed or was interrupted, and was put back
};

// A data file the installation patched.
struct RecordedDataFile {
  DataFile file = DataFile::kCarcols;
  std::string before;  // SHA-256 of the content before (the copy's) and after
  std::string after;
  std::vector<std::size_t> lines;  // indices of the lines replaced
  std::string newLine;             // the text each of them was given
};

// An archive entry the installation replaced or added.
struct RecordedEntry {
  std::string name;
  bool added = false;   // there was no entry of that name: undone by deleting it
  std::string copy;     // replaced: the record's file with the old sectors
  std::string oldHash;  // replaced: SHA-256 of the old sectors
  std::string newHash;  // SHA-256 of the sectors the installation wrote
};

struct InstallRecord {
  unsigned number = 0;  // from 1 in each game folder
  RecordState state = RecordState::kInProgress;
  bool forced = false;  // an undo that restores whatever changed since
  bool pruned = false;  // complete, but its copies were removed: it cannot be undone
  std::string date;     // local time, "YYYY-MM-DD hh:mm:ss"
  std::string modFolder;
  std::string vehicle;  // the replaced vehicle's handling identifier (or model name)
  TInstallFields fields;
  std::vector<RecordedDataFile> dataFiles;  // in the order they were patched
  std::vector<RecordedEntry> entries;       // in the order they were changed
};

// The manifest's name in a record folder.
inline constexpr char kManifestFileName[] = "manifest.txt";

// <game>/Wrenfield/installs, and the folder and files of record `number`.
std::string RecordsFolder(const std::string& gameDir);
std::string RecordFolder(const std::string& gameDir, unsigned number);
std::string RecordFile(const std::string& gameDir, unsigned number, const std::string& name);
// The name of the record's copy of a data file ("carcols.dat").
const char* DataFileCopyName(DataFile file);

// The manifest as text (code page 1251, CR LF lines) and back. Parsing fails
// on anything this program does not write.
std::string FormatManifest(const InstallRecord& record);
bool ParseManifest(const std::string& text, InstallRecord& record);

// The numbers of the record folders present, in ascending order.
std::vector<unsigned> RecordNumbers(const std::string& gameDir);
// False when the record has no readable manifest.
bool ReadRecord(const std::string& gameDir, unsigned number, InstallRecord& record);
// Replaces the record's manifest (temporary file, synced, renamed), then syncs
// the record's folder so that the rename lasts. The rename is the commit
// point: once it is done the new state holds, whatever follows.
void WriteManifest(const std::string& gameDir, const InstallRecord& record);
// The same for a state that nothing depends on being durable: the folder is
// synced if it can be. A crash that loses the rename leaves the state before,
// which the recovery puts right the same way; so once the rename is done the
// step counts as done. True when the folder was synced too: only then may
// what the state before needs (the record's copies) go.
bool CommitManifest(const std::string& gameDir, const InstallRecord& record);
// Removes the record's copies once nothing needs them (undone or rolled back);
// the manifest stays as its history.
void RemoveRecordCopies(const std::string& gameDir, const InstallRecord& record);
// Removes every file of a record folder and the folder; false when something stays.
bool RemoveRecordFolder(const std::string& gameDir, unsigned number);
// Bytes the files of one record, and of every record, take.
std::uint64_t RecordSize(const std::string& gameDir, unsigned number);
std::uint64_t RecordsSize(const std::string& gameDir);

// The current local time as the manifest writes it.
std::string CurrentLocalTime();

}  // namespace wrenfield
