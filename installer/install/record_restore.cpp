#include "record_restore.h"

#include <algorithm>

#include "error.h"
#include "file_system.h"
#include "game_paths.h"
#include "messages.h"
#include "plain_text.h"
#include "sha256.h"
#include "text_encoding.h"
#include "torvane.h"

namespace wrenfield {
namespace {

std::string EntryLabel(const std::string& name) { return msg::EntryInArchive(name); }

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

bool IsReplacedLine(const RecordedDataFile& file, std::size_t index) {
  return std::find(file.lines.begin(), file.lines.end(), index) != file.lines.end();
}

// Each replaced line holds the installation's line or its old text again.
bool ReplacedLinesIntact(const std::string& now, const std::string& saved,
                         const RecordedDataFile& file) {
  const auto current = SplitLinesWithBreaks(now), old = SplitLinesWithBreaks(saved);
  for (const std::size_t index : file.lines) {
    if (index >= old.size() || index >= current.size()) return false;
    if (current[index].text != file.newLine && current[index].text != old[index].text) {
      return false;
    }
  }
  return true;
}

// The current bytes with the replaced lines given their old text: those that
// still hold the installation's line, or (forced) every one; every other byte
// stays.
std::string WithOldLines(const std::string& now, const std::string& saved,
                         const RecordedDataFile& file, bool forced) {
  const auto current = SplitLinesWithBreaks(now), old = SplitLinesWithBreaks(saved);
  std::string text;
  text.reserve(now.size());
  for (std::size_t i = 0; i < current.size(); ++i) {
    const bool putBack =
        i < old.size() && IsReplacedLine(file, i) && (forced || current[i].text == file.newLine);
    text += putBack ? old[i].text : current[i].text;
    text += current[i].lineBreak;
  }
  return text;
}

Standing DataFileStanding(const std::string& gameDir, const InstallRecord& record,
                          const RecordedDataFile& file) {
  const std::string now = CurrentBytesOr(DataFilePath(gameDir, file.file), std::string());
  const std::string hash = Sha256Hex(now);
  if (hash == file.before) return Standing::kBefore;
  if (hash == file.after) return Standing::kAfter;
  const std::string saved =
      CurrentBytesOr(RecordFile(gameDir, record.number, DataFileCopyName(file.file)), "");
  // A copy that cannot be read is named by the check of the copies.
  if (Sha256Hex(saved) != file.before) return Standing::kEdited;
  return ReplacedLinesIntact(now, saved, file) ? Standing::kEdited : Standing::kChanged;
}

Standing EntryStanding(const RecordedEntry& entry, const std::string& now) {
  if (entry.added ? now.empty() : now == entry.oldHash) return Standing::kBefore;
  return now == entry.newHash ? Standing::kAfter : Standing::kChanged;
}

// An entry whose change failed may hold the old bytes or the new ones (the
// failure may have come after the change was made); one that cannot even be
// looked at is put back all the same.
Standing UncertainEntryStanding(ArchiveSession& archive, const std::string& gameDir,
                                const InstallRecord& record, std::size_t index) {
  const RecordedEntry& entry = record.entries[index];
  try {
    return EntryStanding(entry, CurrentEntryHash(archive, gameDir, record.number, entry.name));
  } catch (const Error&) {
    return Standing::kChanged;
  }
}

void PutBackEntry(ArchiveSession& archive, const std::string& gameDir, const InstallRecord& record,
                  const RecordedEntry& entry, Standing standing, bool forced) {
  if (standing == Standing::kBefore || (standing == Standing::kChanged && !forced)) return;
  if (entry.added) {
    if (archive.Delete(entry.name) != TORVANE_DELETED) throw Error(msg::ArchiveWriteFailed());
    return;
  }
  if (archive.AddReplacing(RecordFile(gameDir, record.number, entry.copy), entry.name) !=
      TORVANE_OK) {
    throw Error(msg::ArchiveWriteFailed());
  }
}

void PutBackDataFile(const std::string& gameDir, const InstallRecord& record,
                     const RecordedDataFile& file, Standing standing, bool forced) {
  if (standing == Standing::kBefore || (standing == Standing::kChanged && !forced)) return;
  const std::string path = DataFilePath(gameDir, file.file);
  const std::string saved = SavedCopy(gameDir, record, file.file);
  if (standing == Standing::kAfter) {
    WriteFileReplacing(path, saved);
    return;
  }
  const std::string now = CurrentBytesOr(path, std::string());
  const std::string restored = WithOldLines(now, saved, file, forced);
  if (restored != now) WriteFileReplacing(path, restored);
}

}  // namespace

void ExtractEntryTo(ArchiveSession& archive, const std::string& name, const std::string& path) {
  ClearLastSystemError();
  const int status = archive.Extract(name, path);
  if (status == TORVANE_OK) return;
  // The archive's soundness was looked at before it was opened; what fails
  // here is reading it or writing the file (a full disk, an I/O error).
  std::string reason = LastSystemErrorText();
  if (reason.empty()) reason = TorvaneStatusText(status);
  throw Error(msg::EntryCopyFailed(name, FullPath(path), reason));
}

std::string CurrentEntryHash(ArchiveSession& archive, const std::string& gameDir, unsigned number,
                             const std::string& name) {
  const std::string probe = ProbePath(gameDir, number);
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

RestorePlan PlanRestore(ArchiveSession& archive, const std::string& gameDir,
                        const InstallRecord& record) {
  RestorePlan plan;
  for (const RecordedDataFile& file : record.dataFiles) {
    plan.dataFiles.push_back(DataFileStanding(gameDir, record, file));
  }
  for (const RecordedEntry& entry : record.entries) {
    plan.entries.push_back(
        EntryStanding(entry, CurrentEntryHash(archive, gameDir, record.number, entry.name)));
  }
  return plan;
}

RestorePlan PlanRollback(ArchiveSession& archive, const std::string& gameDir,
                         const InstallRecord& record, const std::vector<bool>& entriesTaken) {
  RestorePlan plan;
  for (const RecordedDataFile& file : record.dataFiles) {
    plan.dataFiles.push_back(DataFileStanding(gameDir, record, file));
  }
  for (std::size_t i = 0; i < record.entries.size(); ++i) {
    plan.entries.push_back(entriesTaken[i] ? Standing::kAfter
                                           : UncertainEntryStanding(archive, gameDir, record, i));
  }
  return plan;
}

std::vector<std::string> ChangedNames(const InstallRecord& record, const RestorePlan& plan) {
  std::vector<std::string> changed;
  for (std::size_t i = 0; i < record.dataFiles.size(); ++i) {
    if (plan.dataFiles[i] == Standing::kChanged) {
      changed.push_back(DataFileName(record.dataFiles[i].file));
    }
  }
  for (std::size_t i = 0; i < record.entries.size(); ++i) {
    if (plan.entries[i] == Standing::kChanged)
      changed.push_back(EntryLabel(record.entries[i].name));
  }
  return changed;
}

NeededCopies CopiesFor(const InstallRecord& record, const RestorePlan& plan, bool forced) {
  NeededCopies needed;
  const auto used = [forced](Standing standing) {
    return standing == Standing::kAfter || standing == Standing::kEdited ||
           (forced && standing == Standing::kChanged);
  };
  for (std::size_t i = 0; i < record.dataFiles.size(); ++i) {
    if (used(plan.dataFiles[i])) needed.dataFiles.push_back(record.dataFiles[i].file);
  }
  for (std::size_t i = 0; i < record.entries.size(); ++i) {
    const RecordedEntry& entry = record.entries[i];
    if (entry.added || !used(plan.entries[i])) continue;
    needed.entryCopies.push_back(entry.copy);
    needed.entryHashes.push_back(entry.oldHash);
  }
  return needed;
}

void CheckWritable(const std::string& gameDir, const InstallRecord& record, const RestorePlan& plan,
                   bool forced) {
  for (std::size_t i = 0; i < record.dataFiles.size(); ++i) {
    const Standing standing = plan.dataFiles[i];
    if (standing == Standing::kBefore || (standing == Standing::kChanged && !forced)) continue;
    const std::string path = DataFilePath(gameDir, record.dataFiles[i].file);
    if (FileExists(path)) CheckReplaceable(path);  // a missing one gets no lines back
  }
}

void PutBack(ArchiveSession& archive, const std::string& gameDir, const InstallRecord& record,
             const RestorePlan& plan, bool forced) {
  std::string firstFailure;
  const auto attempt = [&firstFailure](const auto& step) {
    try {
      step();
    } catch (const Error& error) {
      if (firstFailure.empty()) firstFailure = error.message();
    }
  };
  for (std::size_t i = record.entries.size(); i-- > 0;) {
    attempt([&] {
      PutBackEntry(archive, gameDir, record, record.entries[i], plan.entries[i], forced);
    });
  }
  for (std::size_t i = record.dataFiles.size(); i-- > 0;) {
    attempt(
        [&] { PutBackDataFile(gameDir, record, record.dataFiles[i], plan.dataFiles[i], forced); });
  }
  if (!firstFailure.empty()) throw Error(firstFailure);
}

std::string WithRecordKept(const std::string& message) { return msg::RecordKept(message); }

void SyncGameFiles(const std::string& gameDir, const InstallRecord& record) {
  // Torvane makes each change of the archive durable before it returns; the
  // data files were synced before their renames, which this makes durable.
  if (!record.dataFiles.empty()) SyncFolder(GamePath(gameDir, {"data"}));
}

void FinishPutBack(const std::string& gameDir, InstallRecord& record, RecordState state) {
  SyncGameFiles(gameDir, record);
  record.state = state;
  record.forced = false;
  // A crash that lost an unsynced state would need the copies again.
  if (CommitManifest(gameDir, record)) RemoveRecordCopies(gameDir, record);
}

}  // namespace wrenfield
