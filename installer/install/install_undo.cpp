#include "install_undo.h"

#include <algorithm>

#include "data_files.h"
#include "entry_name.h"
#include "error.h"
#include "file_system.h"
#include "game_paths.h"
#include "messages.h"
#include "record_restore.h"
#include "record_store.h"

namespace wrenfield {
namespace {

std::string StateText(const InstallSummary& summary) {
  if (!summary.readable) return msg::StateUnreadable();
  switch (summary.state) {
    case RecordState::kInProgress:
      return msg::StateInProgress();
    case RecordState::kComplete:
      return msg::StateComplete();
    case RecordState::kUndoing:
      return msg::StateUndoing();
    case RecordState::kUndone:
      return msg::StateUndone();
    case RecordState::kRolledBack:
      break;
  }
  return msg::StateRolledBack();
}

bool Unfinished(RecordState state) {
  return state == RecordState::kInProgress || state == RecordState::kUndoing;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

// Takes out of the plan what a damaged or missing copy was to put back, and
// names it: a forced recovery, the way out of an interrupted installation,
// puts back the rest and leaves that as it is.
std::vector<std::string> WithoutDamagedCopies(const std::string& gameDir,
                                              const InstallRecord& record, RestorePlan& plan) {
  const std::vector<std::string> damaged =
      DamagedCopies(gameDir, record, CopiesFor(record, plan, true));
  const auto isDamaged = [&damaged](const std::string& copy) {
    return std::find(damaged.begin(), damaged.end(), copy) != damaged.end();
  };
  std::vector<std::string> left;
  for (std::size_t i = 0; i < record.dataFiles.size(); ++i) {
    if (isDamaged(DataFileCopyName(record.dataFiles[i].file))) {
      plan.dataFiles[i] = Standing::kBefore;
      left.push_back(DataFileName(record.dataFiles[i].file));
    }
  }
  for (std::size_t i = 0; i < record.entries.size(); ++i) {
    if (!record.entries[i].added && isDamaged(record.entries[i].copy)) {
      plan.entries[i] = Standing::kBefore;
      left.push_back(msg::EntryInArchive(record.entries[i].name));
    }
  }
  return left;
}

// Puts one unfinished record right and says what was done. What was changed
// since by someone else is not overwritten: the recovery then stops before
// changing anything and says how to undo the installation all the same.
// Forced, everything is put back that has a sound copy.
std::string Recover(ArchiveSession& archive, const std::string& gameDir, InstallRecord& record,
                    bool forced) {
  const bool install = record.state == RecordState::kInProgress;
  const bool wayOut = forced;
  forced = forced || (!install && record.forced);
  std::vector<std::string> left;
  try {
    RestorePlan plan = PlanRestore(archive, gameDir, record);
    const std::vector<std::string> changed = ChangedNames(record, plan);
    if (!forced && !changed.empty()) {
      throw Error(msg::ChangedSinceLeftAsIs(Joined(changed), record.number));
    }
    if (wayOut) left = WithoutDamagedCopies(gameDir, record, plan);
    CheckCopies(gameDir, record, CopiesFor(record, plan, forced));
    CheckWritable(gameDir, record, plan, forced);
    PutBack(archive, gameDir, record, plan, forced);
    FinishPutBack(gameDir, record, install ? RecordState::kRolledBack : RecordState::kUndone);
  } catch (const Error& error) {
    throw Error(
        msg::RecoveryFailed(record.number, record.vehicle, record.modFolder, error.message()));
  }
  if (install) {
    return msg::InterruptedInstallUndone(record.number, record.vehicle, record.modFolder,
                                         Joined(left));
  }
  return msg::InterruptedUndoFinished(record.number, record.vehicle, record.modFolder,
                                      Joined(left));
}

// The record of the installation to undo, after recovery.
InstallRecord RecordToUndo(const std::string& gameDir, unsigned number) {
  InstallRecord record;
  if (number == 0) {
    InstallSummary latest;
    if (!FindUndoable(gameDir, latest)) throw Error(msg::NothingToUndo());
    number = latest.number;
  }
  if (!ReadRecord(gameDir, number, record)) {
    throw Error(msg::NoSuchInstall(number));
  }
  if (record.state != RecordState::kComplete) {
    throw Error(msg::AlreadyUndone(number));
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

// One complete installation undone, after the check of what changed since
// (unless forced) and of the copies it will use.
std::string UndoOne(ArchiveSession& archive, const std::string& gameDir, InstallRecord& record,
                    bool force) {
  const RestorePlan plan = PlanRestore(archive, gameDir, record);
  if (!force) {
    const std::vector<std::string> changed = ChangedNames(record, plan);
    if (!changed.empty()) {
      throw Error(msg::UndoRefused(record.number, Joined(changed)));
    }
  }
  CheckCopies(gameDir, record, CopiesFor(record, plan, force));
  CheckWritable(gameDir, record, plan, force);
  MarkUndoing(gameDir, record, force);
  try {
    PutBack(archive, gameDir, record, plan, force);
    FinishPutBack(gameDir, record, RecordState::kUndone);
  } catch (const Error& error) {
    throw Error(WithRecordKept(error.message()));
  }
  return msg::InstallUndone(record.number, record.vehicle, record.modFolder);
}

bool LinesMeet(const RecordedDataFile& a, const RecordedDataFile& b) {
  if (a.file != b.file) return false;
  for (const std::size_t line : a.lines) {
    if (std::find(b.lines.begin(), b.lines.end(), line) != b.lines.end()) return true;
  }
  return false;
}

// What both installations changed: data files whose replaced lines meet, and
// entries the game takes for one, added to `shared` once each.
bool AddSharedChanges(const InstallRecord& a, const InstallRecord& b,
                      std::vector<std::string>& shared) {
  std::vector<std::string> found;
  for (const RecordedDataFile& file : a.dataFiles) {
    for (const RecordedDataFile& other : b.dataFiles) {
      if (LinesMeet(file, other)) found.push_back(DataFileName(file.file));
    }
  }
  for (const RecordedEntry& entry : a.entries) {
    for (const RecordedEntry& other : b.entries) {
      if (img::SameNameToGame(entry.name.data(), entry.name.size(), other.name.data(),
                              other.name.size())) {
        found.push_back(msg::EntryInArchive(entry.name));
      }
    }
  }
  for (const std::string& name : found) {
    if (std::find(shared.begin(), shared.end(), name) == shared.end()) shared.push_back(name);
  }
  return !found.empty();
}

// The later installations, still applied, that changed something `record`
// changed, or something one of those changed: they must be undone before it.
// Newest first.
std::vector<InstallRecord> LaterOverlapping(const std::string& gameDir, const InstallRecord& record,
                                            std::vector<std::string>& shared) {
  std::vector<InstallRecord> chain = {record};
  for (const unsigned number : RecordNumbers(gameDir)) {
    InstallRecord later;
    if (number <= record.number || !ReadRecord(gameDir, number, later) ||
        later.state != RecordState::kComplete) {
      continue;
    }
    bool meets = false;
    for (const InstallRecord& member : chain)
      meets = AddSharedChanges(member, later, shared) || meets;
    if (meets) chain.push_back(later);
  }
  chain.erase(chain.begin());
  std::reverse(chain.begin(), chain.end());
  return chain;
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
  lines.push_back(msg::RecordsSpace(RecordsSize(gameDir)));
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
  return msg::UndoQuestion(summary.number, summary.vehicle, summary.modFolder);
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
    messages.push_back(msg::JournalSetAside(archive.setAsideJournal()));
  }
  SweepLeftovers(gameDir);
  const std::vector<unsigned> numbers = RecordNumbers(gameDir);
  for (auto number = numbers.rbegin(); number != numbers.rend(); ++number) {
    InstallRecord record;
    if (ReadRecord(gameDir, *number, record) && Unfinished(record.state)) {
      messages.push_back(Recover(archive, gameDir, record, false));
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
  if (gameDir.empty()) throw Error(msg::NoGameFolder());
  ArchiveSession archive;
  if (!archive.Open(ArchivePath(gameDir))) throw Error(msg::ArchiveOpenFailed());
  InstallRecord record;
  const bool wasUnfinished =
      number != 0 && ReadRecord(gameDir, number, record) && Unfinished(record.state);
  UndoOutcome outcome;
  if (wasUnfinished && force) {
    // The way out of an interrupted installation whose recovery stopped at
    // something changed since: put back whatever it changed.
    outcome.message = Recover(archive, gameDir, record, true);
    RecoverHeld(archive, gameDir, outcome.recovered);
    return outcome;
  }
  RecoverHeld(archive, gameDir, outcome.recovered);
  // An installation asked for that the recovery just rolled back (or whose
  // undo it just finished) is undone: its message says so.
  if (wasUnfinished && ReadRecord(gameDir, number, record) && !Unfinished(record.state)) {
    return outcome;
  }
  record = RecordToUndo(gameDir, number);
  std::vector<std::string> shared;
  std::vector<InstallRecord> later = LaterOverlapping(gameDir, record, shared);
  if (!later.empty() && !force) {
    std::vector<std::string> numbers;
    for (auto each = later.rbegin(); each != later.rend(); ++each) {
      numbers.push_back(std::to_string(each->number));
    }
    throw Error(msg::UndoRefusedByLater(record.number, Joined(shared), Joined(numbers)));
  }
  // Every copy the later undos and this one will need is checked first; the
  // first of them checks its own below, against what it will put back.
  for (std::size_t i = 1; i < later.size(); ++i)
    CheckCopies(gameDir, later[i], AllCopies(later[i]));
  if (!later.empty()) CheckCopies(gameDir, record, AllCopies(record));
  std::string message;
  for (InstallRecord& each : later) message += UndoOne(archive, gameDir, each, true) + "\n";
  outcome.message = message + UndoOne(archive, gameDir, record, force);
  return outcome;
}

}  // namespace wrenfield
