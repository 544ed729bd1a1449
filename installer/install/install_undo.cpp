#include "install_undo.h"

#include "data_files.h"
#include "error.h"
#include "file_system.h"
#include "game_paths.h"
#include "install_messages.h"
#include "record_restore.h"

namespace wrenfield {
namespace {

namespace msg = install_messages;

const char* StateText(const InstallSummary& summary) {
  if (!summary.readable) return msg::kStateUnreadable;
  switch (summary.state) {
    case RecordState::kInProgress:
      return msg::kStateInProgress;
    case RecordState::kComplete:
      return msg::kStateComplete;
    case RecordState::kUndoing:
      return msg::kStateUndoing;
    case RecordState::kUndone:
      return msg::kUndone;
    case RecordState::kRolledBack:
      break;
  }
  return msg::kStateRolledBack;
}

// "<n> (<vehicle> из папки '<mod folder>')"
std::string Described(unsigned number, const std::string& vehicle, const std::string& modFolder) {
  return std::to_string(number) + " (" + vehicle + " " + msg::kFromModFolder + " '" + modFolder +
         "')";
}

std::string Described(const InstallRecord& record) {
  return Described(record.number, record.vehicle, record.modFolder);
}

bool Unfinished(RecordState state) {
  return state == RecordState::kInProgress || state == RecordState::kUndoing;
}

std::vector<std::string> TemporaryFiles(const std::string& folder) {
  return FindFiles(JoinPath(folder, "*.wrenfield-*.tmp"));
}

void RemoveTemporaryFiles(const std::string& folder) {
  for (const std::string& name : TemporaryFiles(folder)) RemoveFile(JoinPath(folder, name));
}

bool HasManifest(const std::string& gameDir, unsigned number) {
  return FileExists(RecordFile(gameDir, number, "manifest.txt"));
}

// Whatever a crash left that no record needs: temporary files, and record
// folders whose manifest was never written. A manifest that exists but cannot
// be read is someone's, and stays.
void SweepLeftovers(const std::string& gameDir) {
  RemoveTemporaryFiles(GamePath(gameDir, {"data"}));
  for (const unsigned number : RecordNumbers(gameDir)) {
    RemoveTemporaryFiles(RecordFolder(gameDir, number));
    if (!HasManifest(gameDir, number)) RemoveRecordFolder(gameDir, number);
  }
}

bool HasLeftovers(const std::string& gameDir) {
  if (!TemporaryFiles(GamePath(gameDir, {"data"})).empty()) return true;
  for (const unsigned number : RecordNumbers(gameDir)) {
    if (!HasManifest(gameDir, number) || !TemporaryFiles(RecordFolder(gameDir, number)).empty()) {
      return true;
    }
  }
  return false;
}

// Puts one unfinished record right and says what was done.
std::string Recover(ArchiveSession& archive, const std::string& gameDir, InstallRecord& record) {
  try {
    if (record.state == RecordState::kInProgress) {
      PutBack(archive, gameDir, record, true);
      FinishPutBack(gameDir, record, RecordState::kRolledBack);
      return msg::kInstallNumberSign + Described(record) + " " + msg::kInterruptedUndone + ".";
    }
    PutBack(archive, gameDir, record, record.forced);
    FinishPutBack(gameDir, record, RecordState::kUndone);
    return msg::kUndoNumberSign + Described(record) + " " + msg::kInterruptedUndoFinished + ".";
  } catch (const Error& error) {
    throw Error(msg::kRecoveryFailed + Described(record) + ": " + error.message());
  }
}

// The record of the installation to undo, after recovery.
InstallRecord RecordToUndo(const std::string& gameDir, unsigned number) {
  InstallRecord record;
  if (number == 0) {
    InstallSummary latest;
    if (!FindUndoable(gameDir, latest)) throw Error(msg::kNothingToUndo);
    number = latest.number;
  }
  if (!ReadRecord(gameDir, number, record)) {
    throw Error(msg::kNoSuchInstall + std::to_string(number));
  }
  if (record.state != RecordState::kComplete) {
    throw Error(msg::kInstallNumberSign + std::to_string(number) + " " + msg::kAlreadyUndone);
  }
  return record;
}

// Records that the undo begins, durably, before anything is put back. When
// that cannot be made sure, the mark is taken back as far as it can be: a mark
// that stays only means the recovery finishes the undo later.
void MarkUndoing(const std::string& gameDir, InstallRecord& record, bool force) {
  record.state = RecordState::kUndoing;
  record.forced = force;
  try {
    WriteManifest(gameDir, record);
  } catch (const Error&) {
    record.state = RecordState::kComplete;
    record.forced = false;
    try {
      CommitManifest(gameDir, record);
    } catch (const Error&) {
    }
    throw;
  }
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

}  // namespace

std::vector<InstallSummary> ListInstalls(const std::string& gameDir) {
  std::vector<InstallSummary> installs;
  if (gameDir.empty()) return installs;
  for (const unsigned number : RecordNumbers(gameDir)) {
    InstallSummary summary;
    summary.number = number;
    InstallRecord record;
    summary.readable = ReadRecord(gameDir, number, record);
    if (!summary.readable && !HasManifest(gameDir, number)) continue;
    summary.state = record.state;
    summary.date = record.date;
    summary.vehicle = record.vehicle;
    summary.modFolder = record.modFolder;
    installs.push_back(summary);
  }
  return installs;
}

std::vector<std::string> HistoryLines(const std::string& gameDir) {
  std::vector<std::string> lines;
  for (const InstallSummary& install : ListInstalls(gameDir)) {
    std::string line = std::to_string(install.number);
    if (install.readable) {
      line += "  " + install.date + "  " + install.vehicle + "  " + install.modFolder;
    }
    lines.push_back(line + "  " + StateText(install));
  }
  lines.push_back(std::string(msg::kRecordsSpace) + " " + std::to_string(RecordsSize(gameDir)) +
                  " " + msg::kBytes);
  return lines;
}

bool FindUndoable(const std::string& gameDir, InstallSummary& summary) {
  const std::vector<InstallSummary> installs = ListInstalls(gameDir);
  for (auto install = installs.rbegin(); install != installs.rend(); ++install) {
    if (install->readable && install->state == RecordState::kComplete) {
      summary = *install;
      return true;
    }
  }
  return false;
}

std::string UndoQuestion(const InstallSummary& summary) {
  return msg::kUndoQuestion + Described(summary.number, summary.vehicle, summary.modFolder) + "?";
}

bool NeedsRecovery(const std::string& gameDir) {
  for (const InstallSummary& install : ListInstalls(gameDir)) {
    if (install.readable && Unfinished(install.state)) return true;
  }
  return HasLeftovers(gameDir);
}

void RecoverHeld(ArchiveSession& archive, const std::string& gameDir,
                 std::vector<std::string>& messages) {
  if (!archive.setAsideJournal().empty()) {
    messages.push_back(std::string(msg::kJournalSetAside) + archive.setAsideJournal() + "'");
  }
  SweepLeftovers(gameDir);
  const std::vector<unsigned> numbers = RecordNumbers(gameDir);
  for (auto number = numbers.rbegin(); number != numbers.rend(); ++number) {
    InstallRecord record;
    if (ReadRecord(gameDir, *number, record) && Unfinished(record.state)) {
      messages.push_back(Recover(archive, gameDir, record));
    }
  }
}

bool RecoverInterruptedInstalls(const std::string& gameDir, std::vector<std::string>& messages) {
  if (gameDir.empty() || !NeedsRecovery(gameDir)) return true;
  ArchiveSession archive;
  if (!archive.Open(ArchivePath(gameDir))) return false;
  RecoverHeld(archive, gameDir, messages);
  return true;
}

UndoOutcome UndoInstall(const std::string& gameDir, unsigned number, bool force) {
  if (gameDir.empty()) throw Error(msg::kNoGameFolder);
  ArchiveSession archive;
  if (!archive.Open(ArchivePath(gameDir))) throw Error(msg::kArchiveOpenFailed);
  InstallRecord record;
  const bool wasUnfinished =
      number != 0 && ReadRecord(gameDir, number, record) && Unfinished(record.state);
  UndoOutcome outcome;
  RecoverHeld(archive, gameDir, outcome.recovered);
  // An installation asked for that the recovery just rolled back (or whose
  // undo it just finished) is undone: its message says so.
  if (wasUnfinished && ReadRecord(gameDir, number, record) && !Unfinished(record.state)) {
    return outcome;
  }
  record = RecordToUndo(gameDir, number);
  if (!force) {
    const std::vector<std::string> changed = ChangedSince(archive, gameDir, record);
    if (!changed.empty()) {
      throw Error(msg::kUndoRefusedNumberSign + std::to_string(record.number) + " " +
                  msg::kUndoRefused + " " + Joined(changed));
    }
  }
  MarkUndoing(gameDir, record, force);
  try {
    PutBack(archive, gameDir, record, force);
    FinishPutBack(gameDir, record, RecordState::kUndone);
  } catch (const Error& error) {
    throw Error(error.message() + msg::kRollbackKept);
  }
  outcome.message = msg::kInstallNumberSign + Described(record) + " " + msg::kUndone + ".";
  return outcome;
}

}  // namespace wrenfield
