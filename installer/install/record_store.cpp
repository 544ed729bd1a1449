#include "record_store.h"

#include <algorithm>

#include "error.h"
#include "file_system.h"
#include "game_paths.h"
#include "img_layout.h"
#include "messages.h"
#include "record_restore.h"
#include "sha256.h"
#include "text_encoding.h"

namespace wrenfield {
namespace {

constexpr char kProbeName[] = "entry.wrenfield-probe.tmp";
constexpr char kTemporaryPattern[] = "*.wrenfield-*.tmp";

std::string CopyFailure(const std::string& gameDir, unsigned number, const std::string& name) {
  return msg::CopyDamaged(PathAsText(FullPath(RecordFile(gameDir, number, name))));
}

bool CopyHolds(const std::string& path, const std::string& hash) {
  if (!IsRegularFile(path)) return false;
  try {
    return Sha256OfFile(path) == hash;
  } catch (const Error&) {
    return false;
  }
}

// The names the program gives the files of a record folder.
bool IsRecordFileName(const std::string& name) {
  if (name == kManifestFileName || MatchesWildcard(kTemporaryPattern, name)) return true;
  for (const DataFile file : kAllDataFiles) {
    if (name == DataFileCopyName(file)) return true;
  }
  return MatchesWildcard("entry-*.bin", name);
}

// Regular files of the folder whose names the program gives them.
std::vector<std::string> OwnFiles(const std::string& folder, bool temporaryOnly) {
  std::vector<std::string> names;
  if (!IsRealFolder(folder)) return names;
  for (const std::string& name : FindFiles(JoinPath(folder, "*"))) {
    const bool ours =
        temporaryOnly ? MatchesWildcard(kTemporaryPattern, name) : IsRecordFileName(name);
    if (ours && IsRegularFile(JoinPath(folder, name))) names.push_back(name);
  }
  return names;
}

bool IsEmptyFolder(const std::string& folder) {
  for (const std::string& name : FindFiles(JoinPath(folder, "*"))) {
    if (name != "." && name != "..") return false;
  }
  return true;
}

// The store's folders are the program's only when no link leads to them.
bool StoreIsReal(const std::string& gameDir) {
  return IsRealFolder(GamePath(gameDir, {"Wrenfield"})) && IsRealFolder(RecordsFolder(gameDir));
}

// Record folders the sweep may enter: real folders of a real store.
std::vector<unsigned> RealRecordFolders(const std::string& gameDir) {
  std::vector<unsigned> numbers;
  if (!StoreIsReal(gameDir)) return numbers;
  for (const unsigned number : RecordNumbers(gameDir)) {
    if (IsRealFolder(RecordFolder(gameDir, number))) numbers.push_back(number);
  }
  return numbers;
}

}  // namespace

void RecordWriter::Begin(const InstallRecord& record, const std::vector<PatchedDataFile>& patches,
                         const std::vector<EntrySource>& files) {
  record_ = record;
  const std::vector<unsigned> numbers = RecordNumbers(gameDir_);
  record_.number = numbers.empty() ? 1 : numbers.back() + 1;
  record_.state = RecordState::kInProgress;
  record_.date = CurrentLocalTime();
  record_.dataFiles.clear();
  record_.entries.clear();
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

void RecordWriter::Complete() {
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
  took_.clear();
  for (std::size_t i = 0; i < entries.size(); ++i) took_[i] = i;
  SyncGameFiles(gameDir_, record_);
  record_.state = RecordState::kComplete;
  CommitManifest(gameDir_, record_);
}

void RecordWriter::MakeFolder() {
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

void RecordWriter::SaveDataFiles(const std::vector<PatchedDataFile>& patches) {
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
void RecordWriter::SaveEntries(const std::vector<EntrySource>& files) {
  std::map<std::string, std::size_t> entryByName;
  for (const EntrySource& file : files) {
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
RecordedEntry RecordWriter::SavedEntry(const std::string& name, const std::string& newHash) {
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

std::string ProbePath(const std::string& gameDir, unsigned number) {
  return RecordFile(gameDir, number, kProbeName);
}

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

std::vector<std::string> DamagedCopies(const std::string& gameDir, const InstallRecord& record,
                                       const NeededCopies& needed) {
  std::vector<std::string> damaged;
  for (const DataFile file : needed.dataFiles) {
    for (const RecordedDataFile& recorded : record.dataFiles) {
      const std::string name = DataFileCopyName(file);
      if (recorded.file == file &&
          !CopyHolds(RecordFile(gameDir, record.number, name), recorded.before)) {
        damaged.push_back(name);
      }
    }
  }
  for (std::size_t i = 0; i < needed.entryCopies.size(); ++i) {
    const std::string& name = needed.entryCopies[i];
    if (!CopyHolds(RecordFile(gameDir, record.number, name), needed.entryHashes[i])) {
      damaged.push_back(name);
    }
  }
  return damaged;
}

void CheckCopies(const std::string& gameDir, const InstallRecord& record,
                 const NeededCopies& needed) {
  const std::vector<std::string> damaged = DamagedCopies(gameDir, record, needed);
  if (!damaged.empty()) throw Error(CopyFailure(gameDir, record.number, damaged.front()));
}

NeededCopies AllCopies(const InstallRecord& record) {
  NeededCopies all;
  for (const RecordedDataFile& file : record.dataFiles) all.dataFiles.push_back(file.file);
  for (const RecordedEntry& entry : record.entries) {
    if (entry.added) continue;
    all.entryCopies.push_back(entry.copy);
    all.entryHashes.push_back(entry.oldHash);
  }
  return all;
}

bool HasManifest(const std::string& gameDir, unsigned number) {
  return FileExists(RecordFile(gameDir, number, kManifestFileName));
}

void SweepLeftovers(const std::string& gameDir) {
  const std::string data = GamePath(gameDir, {"data"});
  for (const std::string& name : OwnFiles(data, true)) RemoveFile(JoinPath(data, name));
  for (const unsigned number : RealRecordFolders(gameDir)) {
    const std::string folder = RecordFolder(gameDir, number);
    const bool committed = HasManifest(gameDir, number);
    for (const std::string& name : OwnFiles(folder, committed)) RemoveFile(JoinPath(folder, name));
    if (!committed) RemoveEmptyFolder(folder);  // stays while something not ours is in it
  }
}

bool HasLeftovers(const std::string& gameDir) {
  if (!OwnFiles(GamePath(gameDir, {"data"}), true).empty()) return true;
  for (const unsigned number : RealRecordFolders(gameDir)) {
    const std::string folder = RecordFolder(gameDir, number);
    const bool committed = HasManifest(gameDir, number);
    if (!OwnFiles(folder, committed).empty()) return true;
    // An uncommitted folder that holds only what is not ours is left alone.
    if (!committed && IsEmptyFolder(folder)) return true;
  }
  return false;
}

}  // namespace wrenfield
