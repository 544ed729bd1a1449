// Comparing the game with an install record, and putting back what the
// record's installation changed: for a rollback, an undo, or the recovery of
// either after a crash. Every function here runs while the archive is held.
//
// Nothing is put back before it was all looked at: RestorePlan tells where
// each data file and entry of the record stands now, the copies the plan will
// use are checked (record_store.h), and only then does PutBack change the game.
#pragma once

#include <string>
#include <vector>

#include "archive_session.h"
#include "install_record.h"
#include "record_store.h"

namespace wrenfield {

// Extracts the entry's sectors to the file at `path` (no file when the archive
// has no entry of that name). Raises Error naming the entry, the file and the
// reason when that fails.
void ExtractEntryTo(ArchiveSession& archive, const std::string& name, const std::string& path);

// The SHA-256 of the sectors the archive now holds for the entry, or "" when
// it has none of that name. The entry is extracted into the record's folder
// and hashed there. Raises Error when it cannot be extracted.
std::string CurrentEntryHash(ArchiveSession& archive, const std::string& gameDir, unsigned number,
                             const std::string& name);

// Where a data file or an entry stands against the record.
enum class Standing {
  kBefore,   // as before the installation: nothing to do
  kAfter,    // as the installation left it: its copy comes back whole
  kEdited,   // changed since, but each replaced line reads as the installation
             // wrote it or as before: those lines alone get their old text
  kChanged,  // changed since in what the installation wrote: left alone unless forced
};

struct RestorePlan {
  std::vector<Standing> dataFiles;  // by the record's data files
  std::vector<Standing> entries;    // by the record's entries
};

// Looks at every data file and entry of the record. Changes nothing.
RestorePlan PlanRestore(ArchiveSession& archive, const std::string& gameDir,
                        const InstallRecord& record);
// The same for a rollback in the process that made the changes: the entries
// the archive took are as the installation left them; the others are looked
// at (the change of one may have failed after it was made), and one that
// cannot be looked at counts as changed, which the forced rollback puts back.
RestorePlan PlanRollback(ArchiveSession& archive, const std::string& gameDir,
                         const InstallRecord& record, const std::vector<bool>& entriesTaken);

// The names of what changed since ("carcols.dat", "'monster.dff' в IMG-архиве").
std::vector<std::string> ChangedNames(const InstallRecord& record, const RestorePlan& plan);

// The copies PutBack will read for the plan.
NeededCopies CopiesFor(const InstallRecord& record, const RestorePlan& plan, bool forced);

// Checks, changing nothing, that each data file the plan writes can be
// replaced now (not read-only, not held by another program); raises the
// create error naming the first that cannot.
void CheckWritable(const std::string& gameDir, const InstallRecord& record, const RestorePlan& plan,
                   bool forced);

// Puts back what the plan says, for each data file and entry (entries last
// first, then data files last first). Forced, what changed since is put back
// too: an entry gets its old bytes (or goes), each replaced line its old text.
// Goes on past a failure so that as much as can be is put back, then raises
// the first failure.
void PutBack(ArchiveSession& archive, const std::string& gameDir, const InstallRecord& record,
             const RestorePlan& plan, bool forced);

// The message followed by the notice that the record stays for a later
// recovery, without doubling the message's final punctuation.
std::string WithRecordKept(const std::string& message);

// Makes what PutBack wrote durable, records the new state and removes the
// record's copies, which nothing needs any more.
void FinishPutBack(const std::string& gameDir, InstallRecord& record, RecordState state);

// Makes the data files' replacements durable before a state that depends on
// them is recorded (Torvane makes each archive change durable itself). A
// record that patched no data file needs no data folder.
void SyncGameFiles(const std::string& gameDir, const InstallRecord& record);

}  // namespace wrenfield
