// The command-line tool's own texts: its usage lines, the img command's
// reports, its errors and prompts. A section of the program's table apart from
// the player's texts (messages.h): the tool speaks English, and the player's
// guide, written for the window's program, does not quote it. The texts are
// plain ASCII, the same bytes in UTF-8 and in code page 1251; a line break
// that ends a printed line is the caller's, except in the usage texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace wrenfield::msg::cli {

// --- Usage, each a whole block of lines ---
std::string MainUsage();
std::string ImgUsage();
std::string ReadUsage();
std::string CheckUsage();
std::string InstallUsage();
std::string UndoUsage();
std::string HistoryUsage();
std::string PruneUsage();
std::string DemoUsage();

// --- The img command ---
// `status`: the library's status text, `code` its number.
std::string ImgFailed(const std::string& what, const std::string& status, int code);
std::string NoSuchEntry(const std::string& archive, const std::string& name);
std::string JournalSetAside(const std::string& archive, const std::string& setAside);
std::string JournalNotWritten(const std::string& journal, const std::string& reason, int code);
std::string EntryCount(const std::string& archive, std::size_t entries);
// The heading of the list of entries, its columns aligned with the rows.
std::string ListHeading();
std::string Stored(const std::string& file, const std::string& archive, const std::string& name);
std::string Extracted(const std::string& name, const std::string& output);
std::string Deleted(const std::string& name, const std::string& archive);
// What stands where the archive's journal goes (`where`: the journal's path).
std::string JournalCutOff(const std::string& where);
std::string JournalStale(const std::string& where);
std::string JournalIncomplete(const std::string& where);
std::string JournalLink(const std::string& where);
std::string JournalNotAFile(const std::string& where);
std::string JournalUnreadable(const std::string& where);
std::string JournalFoundSetAside(const std::string& setAside);
// The archive's directory as `img check` finds it.
std::string DirectoryCutShort(std::uint64_t length, std::size_t records);
std::string EntryPastEnd(std::size_t entry, const std::string& name, std::uint32_t first,
                         std::uint64_t last, std::uint64_t length);
std::string EntryInsideDirectory(std::size_t entry, const std::string& name, std::uint32_t sector);
std::string EntryOverlaps(std::size_t entry, const std::string& name, std::size_t other,
                          const std::string& otherName);
std::string EntryNameTwice(std::size_t entry, const std::string& name, std::size_t other);
std::string EntryNameTwiceButCase(std::size_t entry, const std::string& name, std::size_t other,
                                  const std::string& otherName);
std::string NoHoles(const std::string& archive);
std::string Holes(const std::string& archive, std::uint64_t bytes);
std::string DirectoryUnreadable(const std::string& archive, const std::string& status, int code);
std::string ArchiveSound(const std::string& archive, std::size_t entries, std::uint64_t bytes);
std::string Problems(const std::string& archive, std::size_t problems);
// Compaction: its plan, its progress (the percentage right-aligned in three
// places) and its result.
std::string PlanInsideDirectory(const std::string& archive);
std::string PlanPastEnd(const std::string& archive);
std::string CompactionPlan(const std::string& archive, std::uint64_t length, bool dryRun,
                           std::uint64_t reclaimable, std::uint64_t toMove);
std::string CompactProgress(std::uint64_t percent, std::uint64_t moved, std::uint64_t total);
std::string Compacted(const std::string& archive, std::uint64_t before, std::uint64_t after);

// --- Reading, installing and undoing ---
std::string PickHint(const std::string& choice);
std::string CheckFoundErrors();
std::string FieldUnfit(const std::string& field);
std::string NothingInstalled(const std::string& reason);
std::string NothingPruned();
// A question asked on the terminal, with its answers.
std::string YesNo(const std::string& question);

// --- The demo ---
std::string DemoFolderNotEmpty(const std::string& folder);
std::string DemoArchiveInUse(const std::string& archive);
std::string DemoWritten(const std::string& game, const std::string& mod);

// --- The install fields file (JSON) ---
// `what` is one of the texts below; `at`: the byte where reading stopped.
std::string FieldsJson(const std::string& what, std::size_t at);
std::string JsonTextAfterObject();
std::string JsonNotString(const std::string& key);
std::string JsonNotCp1251(const std::string& key);
std::string JsonNotBool(const std::string& key);
std::string JsonUnterminated();
std::string JsonControlCharacter();
std::string JsonUnknownEscape();
std::string JsonLoneSurrogate();
std::string JsonShortEscape();
std::string JsonBadEscape();
std::string JsonTooDeep();
std::string JsonUnexpected();
std::string JsonExpected(char c);

}  // namespace wrenfield::msg::cli
