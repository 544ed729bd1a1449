// Comparing the game with an install record, and putting back what the
// record's installation changed: for a rollback, an undo, or the recovery of
// either after a crash. Every function here runs while the archive is held.
#pragma once

#include <string>
#include <vector>

#include "archive_session.h"
#include "install_record.h"

namespace wrenfield {

// Extracts the entry's sectors to the file at `path` (no file when the archive
// has no entry of that name). Raises the create error naming the file, or the
// damaged-entry message.
void ExtractEntryTo(ArchiveSession& archive, const std::string& name, const std::string& path);

// The SHA-256 of the sectors the archive now holds for the entry, or "" when
// it has none of that name. The entry is extracted into the record's folder
// and hashed there. Raises Error when it cannot be extracted.
std::string CurrentEntryHash(ArchiveSession& archive, const std::string& gameDir, unsigned number,
                             const std::string& name);

// What was changed since the installation, as the names a message shows: each
// data file whose replaced lines are neither as the installation wrote them
// nor as before, and each entry whose bytes are neither. Changes nothing.
std::vector<std::string> ChangedSince(ArchiveSession& archive, const std::string& gameDir,
                                      const InstallRecord& record);

// Puts each entry (last first) and each data file (last first) of the record
// back as it was before the installation, leaving alone what already is.
// A data file exactly as the installation left it, or any data file with
// wholeFiles, gets the record's copy back byte for byte; otherwise only the
// replaced lines that still hold the installation's line get their old text.
// Raises Error at the first change that fails.
void PutBack(ArchiveSession& archive, const std::string& gameDir, const InstallRecord& record,
             bool wholeFiles);

// Makes what PutBack wrote durable, records the new state and removes the
// record's copies, which nothing needs any more.
void FinishPutBack(const std::string& gameDir, InstallRecord& record, RecordState state);

// Makes the data files' replacements durable before a state that depends on
// them is recorded (Torvane makes each archive change durable itself).
void SyncGameFiles(const std::string& gameDir);

}  // namespace wrenfield
