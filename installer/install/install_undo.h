// What the window and the command line do with the install records of a game
// folder: recover interrupted installations and undos, undo an installation,
// and list them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive_session.h"
#include "install_record.h"

namespace wrenfield {

// One installation as the history shows it.
struct InstallSummary {
  unsigned number = 0;
  bool readable = false;  // false: the record's manifest cannot be read
  RecordState state = RecordState::kInProgress;
  std::string date, vehicle, modFolder;
  bool pruned = false;     // complete, but it can no longer be undone
  std::uint64_t size = 0;  // bytes its record takes on disk
};

std::vector<InstallSummary> ListInstalls(const std::string& gameDir);

// One line per installation ("<number>  <date>  <vehicle>  <mod folder>  <state>
// <size> байт"), then the disk space the records take. Code page 1251.
std::vector<std::string> HistoryLines(const std::string& gameDir);

// The latest installation that is complete, not undone and not pruned; false
// when none.
bool FindUndoable(const std::string& gameDir, InstallSummary& summary);

// "Отменить установку №<n> (<vehicle> из папки '<mod folder>')?"
std::string UndoQuestion(const InstallSummary& summary);

// While the archive is held: removes temporary files left beside the data
// files and in the records, and record folders that never got a manifest;
// rolls back each installation the record shows in progress and finishes each
// undo it shows begun, newest first, adding one message per record to
// `messages`; first, when opening the archive set aside the record of an
// interrupted change that did not match it, a message naming that file.
// Raises Error when one cannot be put right; its record stays.
void RecoverHeld(ArchiveSession& archive, const std::string& gameDir,
                 std::vector<std::string>& messages);

// True when a record shows an installation or undo in progress (which may be
// running now in another process, or may have been interrupted), or when a
// temporary file or a record without manifest lies about.
bool NeedsRecovery(const std::string& gameDir);

// Holds the archive and runs RecoverHeld when NeedsRecovery. False when the
// archive cannot be opened (it is in use, or missing): nothing is recovered
// then.
bool RecoverInterruptedInstalls(const std::string& gameDir, std::vector<std::string>& messages);

struct UndoOutcome {
  std::vector<std::string> recovered;  // messages of RecoverHeld
  std::string message;                 // what was undone
};

// Undoes installation `number` (0: the latest one not undone). Each entry it
// replaced gets its old bytes, each entry it added is deleted, each data file
// it left untouched since is restored byte for byte and each other one gets
// the old text of the lines it replaced. When anything was changed since,
// raises Error naming it and changes nothing, unless `force`: then everything
// is put back as before the installation. The undo's progress is recorded, so
// that one interrupted is finished at the next recovery.
UndoOutcome UndoInstall(const std::string& gameDir, unsigned number, bool force);

struct PruneOutcome {
  std::vector<std::string> recovered;  // messages of RecoverHeld
  std::string recoveryFailure;         // why a recovery stopped; pruning went on around it
  bool pruned = false;                 // false: not confirmed
  std::uint64_t freed = 0;             // bytes
};

// "После удаления копий нельзя будет отменить установки №1, 2"
std::string PruneWarning(const std::vector<unsigned>& applied);
// "Удалить копии?"
std::string PruneQuestion();
// "Освобождено на диске: <bytes> байт"
std::string PruneFreedText(std::uint64_t bytes);

// While holding the archive (so that no installation or undo runs meanwhile),
// recovers what was interrupted, then removes the copies of undone and failed
// installations and, with keepApplied >= 0, those of the applied ones older
// than the keepApplied newest (record_store.h, PlanPrune). When applied ones
// would lose their copies, `confirm` is asked first with their numbers; false
// prunes nothing. A recovery that stops leaves its record as it is, and the
// rest is pruned.
PruneOutcome PruneInstalls(const std::string& gameDir, int keepApplied,
                           const std::function<bool(const std::vector<unsigned>&)>& confirm);

}  // namespace wrenfield
