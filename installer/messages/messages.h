// Every text of the program a player meets, in one table: the messages and the
// window's texts. The sentences are written readably (UTF-8) in messages.cpp;
// the build converts them to code page 1251, so every function and text here
// yields code page 1251. The values put into a sentence (paths, names,
// reasons, numbers) are taken as they are, already in code page 1251.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace wrenfield::msg {

// `pattern` with each "{N}" replaced by the N-th of `values`: how every
// sentence of the table takes what is put into it.
std::string Fill(const char* pattern, std::initializer_list<std::string> values);

// --- Installing a vehicle ---
std::string NoGameFolder();
std::string ArchiveOpenFailed();
// `file`: the data file's name, such as "carcols.dat".
std::string DataLineNotReplaced(const std::string& file);
std::string ModelNotFound();
std::string ModelReplaceFailed();
std::string TextureNotFound();
std::string TextureReplaceFailed();
std::string ArchiveWriteFailed();
std::string Installed();
std::string BackupFailed(const std::string& backup);
std::string ArchiveDamaged(const std::string& archive, const std::string& entry);
std::string ArchiveEntryTwice(const std::string& archive, const std::string& entry);
std::string AdditionalNameUnfit(const std::string& file);
std::string JournalSetAside(const std::string& journal);
std::string CopyDamaged(const std::string& copy);
std::string EntryCopyFailed(const std::string& entry, const std::string& file,
                            const std::string& reason);
// `failure`: why the installation stopped; `reason`: why putting the game
// files back failed then (its record is kept).
std::string RollbackFailed(const std::string& failure, const std::string& reason);
// `reason` followed by the note that the installation's record is kept.
std::string RecordKept(const std::string& reason);

// --- The install record: recovery, undo and history ---
// An installation in a list of changed things: "'<entry>' в IMG-архиве".
std::string EntryInArchive(const std::string& entry);
// `left`: what was left as it is, when some copies were damaged (may be empty).
std::string InterruptedInstallUndone(unsigned number, const std::string& vehicle,
                                     const std::string& modFolder, const std::string& left);
std::string InterruptedUndoFinished(unsigned number, const std::string& vehicle,
                                    const std::string& modFolder, const std::string& left);
std::string RecoveryFailed(unsigned number, const std::string& vehicle,
                           const std::string& modFolder, const std::string& reason);
std::string ChangedSinceLeftAsIs(const std::string& names, unsigned number);
std::string NothingToUndo();
std::string NoSuchInstall(unsigned number);
std::string AlreadyUndone(unsigned number);
std::string UndoRefused(unsigned number, const std::string& names);
std::string UndoRefusedByLater(unsigned number, const std::string& names,
                               const std::string& laterNumbers);
std::string InstallUndone(unsigned number, const std::string& vehicle,
                          const std::string& modFolder);
std::string UndoQuestion(unsigned number, const std::string& vehicle, const std::string& modFolder);
std::string RecordsSpace(std::uint64_t bytes);
// The state of an installation in the list of installations.
std::string StateInProgress();
std::string StateComplete();
std::string StateUndoing();
std::string StateUndone();
std::string StateRolledBack();
std::string StateUnreadable();
std::string StatePruned();
// A size on disk, as the list of installations shows each record's.
std::string Bytes(std::uint64_t bytes);

// --- Pruning the records' copies ---
std::string PrunedUndoRefused(unsigned number);
// `numbers`: the installations that could no longer be undone, "1, 2".
std::string PruneWarning(const std::string& numbers);
std::string PruneQuestion();
std::string PruneFreed(std::uint64_t bytes);

// --- Compacting the IMG archive from the list of installations ---
std::string Reclaimable(std::uint64_t bytes);
std::string ArchiveCompacted(std::uint64_t before, std::uint64_t after);
std::string CompactFailed(const std::string& reason);
std::string CompactStopped();

// --- Reading a mod folder ---
std::string ModelFileNotFound();
std::string TextureFileNotFound();
std::string CannotOpenFile(const std::string& file, const std::string& reason);
std::string CannotCreateFile(const std::string& file, const std::string& reason);

// --- Unpacking a mod archive and choosing its mod folder ---
// Each names the archive by its full path; an entry is named as the archive
// spells it, characters the code page lacks shown as "?".
std::string NotAModArchive(const std::string& archive);
std::string PasswordProtected(const std::string& archive);
std::string ModArchiveDamaged(const std::string& archive);
std::string ModArchiveDamagedIn(const std::string& archive, const std::string& entry);
std::string UnsafeName(const std::string& archive, const std::string& entry);
std::string LinkOrSpecialFile(const std::string& archive, const std::string& entry);
std::string SameNameTwice(const std::string& archive, const std::string& entry);
std::string TooManyEntries(const std::string& archive, std::size_t limit);
std::string TooLarge(const std::string& archive, std::uint64_t limitBytes);
std::string NoModel(const std::string& archive);
std::string SeveralModFolders(const std::string& archive);
std::string NoSuchModFolder(const std::string& archive, const std::string& pick);
std::string CannotCreateTemporaryFolder(const std::string& parent, const std::string& reason);
std::string TemporaryFolderNotSpellable(const std::string& folder);
std::string CannotCreateFolder(const std::string& folder, const std::string& reason);

// --- The mod check ---
// Files are named by the paths the install fields hold, entries and data-file
// fields as the mod spells them.
std::string ModelMissing(const std::string& file);
std::string TextureMissing(const std::string& file);
std::string ModelNotClump(const std::string& file);
std::string ModelCutShort(const std::string& file);
std::string TextureNotDictionary(const std::string& file);
std::string TextureCutShort(const std::string& file);
std::string TextureEmpty(const std::string& file);
// `version` as "3.4.0.3".
std::string RwVersion(const std::string& file, const std::string& version);
std::string IdeFields(std::size_t count, int id, std::size_t stockCount);
std::string IdeIdNotNumber(const std::string& text);
std::string IdeIdUnknown(const std::string& text);
std::string IdeModelName(const std::string& name, const std::string& file);
std::string IdeTxdName(const std::string& name, const std::string& file);
std::string HandlingFields(std::size_t count, std::size_t stockCount);
// `field` counts from 1.
std::string HandlingNotNumber(std::size_t field, const std::string& text);
std::string HandlingId(const std::string& id, const std::string& ideId);
std::string CarcolsName(const std::string& name, const std::string& model);
std::string CarmodsName(const std::string& name, const std::string& model);
std::string CarmodsPart(const std::string& part);
std::string EntryNameTooLong(const std::string& name, std::size_t maxLength);
std::string EntryNameCharacters(const std::string& name);
std::string CaseDuplicate(const std::string& archive, const std::string& first,
                          const std::string& second);
std::string GameFolderMissing(const std::string& folder);
std::string NotAnImgArchive(const std::string& archive);
std::string ModMissing(const std::string& path);
// How findings are listed: one line each, then the counts.
std::string ErrorLine(const std::string& message);
std::string WarningLine(const std::string& message);
std::string Summary(std::size_t errors, std::size_t warnings);
// The window: the findings after a mod is read, and the question before
// installing a mod with errors.
std::string Findings(const std::string& lines);
std::string InstallAnyway(const std::string& lines);

// --- The window's fixed texts ---
// Arrays, not functions: the window's layout table holds them as constants.
extern const char kApplicationTitle[];
extern const char kWindowCaption[];
extern const char kGameFolderPrompt[];
extern const char kModFolderPrompt[];
// File dialog filters: "description|pattern".
extern const char kModelFilter[];
extern const char kTextureFilter[];
// The open-file dialog's title, spelt as the program always had it.
extern const char kOpenDialogTitle[];
// The close-time error when the setting cannot be stored; the path follows.
extern const char kUnableToWrite[];
// The author's web page: the link label shows it and a click opens it.
extern const char kAuthorPage[];
extern const char kLinkTooltip[];
extern const char kCredits[];
extern const char kReviewGroup[];
extern const char kReviewHint[];
extern const char kExtraFiles[];
// Three dots, and two (the game folder's button).
extern const char kBrowse3[];
extern const char kBrowse2[];
extern const char kInstallButton[];
extern const char kGameFolderGroup[];
extern const char kModFolderGroup[];
// The list of mod folders when an archive holds several (its caption is the
// application title), and the archive's top folder in that list.
extern const char kChooseModFolder[];
extern const char kArchiveTop[];
extern const char kOk[];
extern const char kCancel[];
extern const char kUndoButton[];
extern const char kHistoryButton[];
extern const char kHistoryTitle[];
extern const char kCloseButton[];
// The list of installations' actions and the compaction's progress window.
extern const char kPruneButton[];
extern const char kCompactButton[];
extern const char kCompactTitle[];
extern const char kStopButton[];

}  // namespace wrenfield::msg
