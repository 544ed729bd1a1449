#include "record_restore.h"

#include <algorithm>

#include "archive_layout.h"
#include "error.h"
#include "file_system.h"
#include "game_paths.h"
#include "install_messages.h"
#include "plain_text.h"
#include "sha256.h"
#include "torvane.h"

namespace wrenfield {
namespace {

namespace msg = install_messages;

// Where an entry is extracted to be hashed. The name has the form of every
// temporary file of the program, so a crash's leftover is swept like theirs.
constexpr char kProbeName[] = "entry.wrenfield-probe.tmp";

std::string EntryLabel(const std::string& name) { return "'" + name + "' " + msg::kInArchive; }

// The record's copy of a data file, read whole.
std::string SavedCopy(const std::string& gameDir, const InstallRecord& record, DataFile file) {
  return ReadFileBytes(RecordFile(gameDir, record.number, DataFileCopyName(file)));
}

std::string CurrentBytesOr(const std::string& path, const std::string& fallback) {
  try {
    return ReadFileBytes(path);
  } catch (const Error&) {
    return fallback;
  }
}

// The data file's lines, each with its own line break, as the file holds them.
std::vector<LineWithBreak> LinesOf(const std::string& bytes) { return SplitLinesWithBreaks(bytes); }

// Whether line `index` of `lines` reads `text`.
bool LineReads(const std::vector<LineWithBreak>& lines, std::size_t index,
               const std::string& text) {
  return index < lines.size() && lines[index].text == text;
}

// Each replaced line holds the installation's line or its old text again.
bool ReplacedLinesIntact(const std::string& now, const std::string& saved,
                         const RecordedDataFile& file) {
  const auto current = LinesOf(now), old = LinesOf(saved);
  for (const std::size_t index : file.lines) {
    if (index >= old.size()) return false;
    if (!LineReads(current, index, file.newLine) &&
        !LineReads(current, index, std::string(old[index].text))) {
      return false;
    }
  }
  return true;
}

// The current bytes with each replaced line that still holds the
// installation's line given its old text; every other byte stays.
std::string WithOldLines(const std::string& now, const std::string& saved,
                         const RecordedDataFile& file) {
  const auto current = LinesOf(now), old = LinesOf(saved);
  std::string text;
  text.reserve(now.size());
  for (std::size_t i = 0; i < current.size(); ++i) {
    const bool putBack = i < old.size() && current[i].text == file.newLine &&
                         std::find(file.lines.begin(), file.lines.end(), i) != file.lines.end();
    text += putBack ? old[i].text : current[i].text;
    text += current[i].lineBreak;
  }
  return text;
}

void PutBackEntry(ArchiveSession& archive, const std::string& gameDir, const InstallRecord& record,
                  const RecordedEntry& entry) {
  const std::string now = CurrentEntryHash(archive, gameDir, record.number, entry.name);
  if (entry.added) {
    if (!now.empty() && archive.Delete(entry.name) != TORVANE_DELETED) {
      throw Error(msg::kArchiveWriteFailed);
    }
    return;
  }
  if (now == entry.oldHash) return;
  if (archive.AddReplacing(RecordFile(gameDir, record.number, entry.copy), entry.name) !=
      TORVANE_OK) {
    throw Error(msg::kArchiveWriteFailed);
  }
}

void PutBackDataFile(const std::string& gameDir, const InstallRecord& record,
                     const RecordedDataFile& file, bool wholeFile) {
  const std::string path = DataFilePath(gameDir, file.file);
  const std::string now = CurrentBytesOr(path, std::string());
  const std::string nowHash = Sha256Hex(now);
  if (nowHash == file.before) return;
  const std::string saved = SavedCopy(gameDir, record, file.file);
  if (wholeFile || nowHash == file.after) {
    WriteFileReplacing(path, saved);
    return;
  }
  const std::string restored = WithOldLines(now, saved, file);
  if (restored != now) WriteFileReplacing(path, restored);
}

}  // namespace

void ExtractEntryTo(ArchiveSession& archive, const std::string& name, const std::string& path) {
  const int status = archive.Extract(name, path);
  if (status == TORVANE_OK) return;
  if (status == TORVANE_CANNOT_OPEN) {
    throw Error(CreateFileErrorMessage(FullPath(path), TorvaneStatusText(status)));
  }
  throw Error(DamagedEntryMessage(archive.path(), name));
}

std::string CurrentEntryHash(ArchiveSession& archive, const std::string& gameDir, unsigned number,
                             const std::string& name) {
  const std::string probe = RecordFile(gameDir, number, kProbeName);
  RemoveFile(probe);
  std::string hash;
  try {
    ExtractEntryTo(archive, name, probe);
    if (FileExists(probe)) hash = Sha256OfFile(probe);
  } catch (const Error&) {
    RemoveFile(probe);
    throw;
  }
  RemoveFile(probe);
  return hash;
}

std::vector<std::string> ChangedSince(ArchiveSession& archive, const std::string& gameDir,
                                      const InstallRecord& record) {
  std::vector<std::string> changed;
  for (const RecordedDataFile& file : record.dataFiles) {
    const std::string now = CurrentBytesOr(DataFilePath(gameDir, file.file), std::string());
    const std::string hash = Sha256Hex(now);
    if (hash == file.before || hash == file.after) continue;
    if (!ReplacedLinesIntact(now, SavedCopy(gameDir, record, file.file), file)) {
      changed.push_back(DataFileName(file.file));
    }
  }
  for (const RecordedEntry& entry : record.entries) {
    const std::string now = CurrentEntryHash(archive, gameDir, record.number, entry.name);
    const bool asBefore = entry.added ? now.empty() : now == entry.oldHash;
    if (!asBefore && now != entry.newHash) changed.push_back(EntryLabel(entry.name));
  }
  return changed;
}

void PutBack(ArchiveSession& archive, const std::string& gameDir, const InstallRecord& record,
             bool wholeFiles) {
  for (auto entry = record.entries.rbegin(); entry != record.entries.rend(); ++entry) {
    PutBackEntry(archive, gameDir, record, *entry);
  }
  for (auto file = record.dataFiles.rbegin(); file != record.dataFiles.rend(); ++file) {
    PutBackDataFile(gameDir, record, *file, wholeFiles);
  }
}

void SyncGameFiles(const std::string& gameDir) {
  // Torvane makes each change of the archive durable before it returns; the
  // data files were synced before their renames, which this makes durable.
  SyncFolder(GamePath(gameDir, {"data"}));
}

void FinishPutBack(const std::string& gameDir, InstallRecord& record, RecordState state) {
  SyncGameFiles(gameDir);
  record.state = state;
  record.forced = false;
  // A crash that lost an unsynced state would need the copies again.
  if (CommitManifest(gameDir, record)) RemoveRecordCopies(gameDir, record);
}

}  // namespace wrenfield
