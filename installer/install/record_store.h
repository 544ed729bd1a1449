// The record store: the one place that knows how the install records of a
// game folder are kept. Installation, undo and recovery go through it.
//
//   <game>/Wrenfield/installs/                 the store (RecordsFolder)
//   <game>/Wrenfield/installs/0001/            one record (RecordFolder), numbered from 1
//     manifest.txt                             what was changed and the state (install_record.h)
//     carcols.dat, handling.cfg, ...           each patched data file as it was before
//     entry-<k>.bin                            the old sectors of each replaced entry
//
// Commit: the copies are written and synced, then the record folder is synced,
// and only then is the manifest that names them written (temporary file,
// synced, renamed, folder synced). A record folder without a manifest records
// nothing. Every change of state rewrites the whole manifest the same way
// (WriteManifest, CommitManifest).
//
// Temporary files: the file layer writes "<name>.wrenfield-<process>.tmp"
// beside the file it replaces (data files, copies, manifests), and an entry
// being hashed is extracted to "entry.wrenfield-probe.tmp" in its record folder.
//
// The sweep removes what a crash left of these and nothing else: regular files
// with those names, in real folders of the store (a symbolic link is never
// followed, a file that is not the program's stays).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "archive_session.h"
#include "data_files.h"
#include "install_record.h"

namespace wrenfield {

// A file that goes into the archive under the entry name it will have.
struct EntrySource {
  std::string path;
  std::string entryName;
};

// One installation's record as the installation writes it: begun before the
// first change, told what the archive took, and completed after the last.
class RecordWriter {
 public:
  RecordWriter(ArchiveSession& archive, const std::string& gameDir)
      : archive_(archive), gameDir_(gameDir) {}

  // Numbers the record, saves the copies of the data files and of the entries
  // the installation will change, makes them durable and commits the manifest
  // in state "in progress". The record's number, date, state and changes are
  // filled here; `record` brings the rest (fields, vehicle, mod folder). On a
  // failure the record's folder is removed again.
  void Begin(const InstallRecord& record, const std::vector<PatchedDataFile>& patches,
             const std::vector<EntrySource>& files);

  // The archive took files[index].
  void Took(std::size_t index) { took_[entryOf_[index]] = index; }

  // After the last change: keeps the entries as the archive took them (the
  // copies of refused ones go), syncs the data files' folder and commits the
  // manifest in state "complete".
  void Complete();

  const InstallRecord& record() const { return record_; }
  // Whether the archive took an entry of the record.
  bool TookEntry(std::size_t entry) const { return took_.count(entry) != 0; }

 private:
  void MakeFolder();
  void SaveDataFiles(const std::vector<PatchedDataFile>& patches);
  void SaveEntries(const std::vector<EntrySource>& files);
  RecordedEntry SavedEntry(const std::string& name, const std::string& newHash);

  ArchiveSession& archive_;
  std::string gameDir_;
  InstallRecord record_;
  std::vector<std::string> fileHashes_;      // by file, in the order written
  std::vector<std::size_t> entryOf_;         // by file: its record entry
  std::map<std::size_t, std::size_t> took_;  // by record entry: the last file taken
};

// Where an entry is extracted to be hashed, in the record's folder.
std::string ProbePath(const std::string& gameDir, unsigned number);

// The SHA-256 of the sectors an entry holds once the file was put in: its
// bytes, then zero bytes up to a whole sector.
std::string EntryHashOfFile(const std::string& path);

// Copies of a record that an undo or recovery will read: those of data
// files, and the entries' copies with the hashes of the old sectors.
struct NeededCopies {
  std::vector<DataFile> dataFiles;
  std::vector<std::string> entryCopies;  // entry-<k>.bin
  std::vector<std::string> entryHashes;  // by entryCopies
};
// The names ("handling.cfg", "entry-1.bin") of the needed copies that are
// missing, not regular files, or whose content is not what the manifest says.
std::vector<std::string> DamagedCopies(const std::string& gameDir, const InstallRecord& record,
                                       const NeededCopies& needed);
// Raises Error naming the first of them by its full path.
void CheckCopies(const std::string& gameDir, const InstallRecord& record,
                 const NeededCopies& needed);
// Every copy the record has.
NeededCopies AllCopies(const InstallRecord& record);

// Whether the manifest of a record folder exists (read or not).
bool HasManifest(const std::string& gameDir, unsigned number);

// The sweep (see above): temporary files beside the data files and in the
// records, and record folders that never got a manifest.
void SweepLeftovers(const std::string& gameDir);
// True when the sweep would remove anything.
bool HasLeftovers(const std::string& gameDir);

// Pruning: the copies a record keeps are needed only to undo it. Those of
// undone and rolled-back installations (left when their removal could not be
// made sure) are never needed again; those of an applied installation go only
// when asked, and it can then no longer be undone. A record whose
// installation or undo is not finished is never touched. The manifest stays in
// every case, so the history keeps the installation's line.
struct PrunePlan {
  std::vector<unsigned> finished;  // undone, rolled back or pruned, with copies still there
  std::vector<unsigned> applied;   // complete, losing their copies
};
// keepApplied < 0 leaves every applied installation undoable; otherwise all
// but the `keepApplied` newest applied installations lose their copies.
PrunePlan PlanPrune(const std::string& gameDir, int keepApplied);
// Removes the copies the plan names. Each record's manifest is first made
// durable in its final state (for an applied one: marked pruned), and only
// then do its copies go, so that a crash at any point leaves a record that is
// either whole or marked as needing none. Returns the bytes freed.
std::uint64_t PruneRecords(const std::string& gameDir, const PrunePlan& plan);

}  // namespace wrenfield
