// The command-line tool's section of the program's table (cli_messages.h).
// Whole sentences with numbered placeholders, as in messages.cpp.
#include "cli_messages.h"

#include "messages.h"

namespace wrenfield::msg::cli {
namespace {

std::string Number(std::uint64_t value) { return std::to_string(value); }

}  // namespace

// --- Usage ---
std::string MainUsage() {
  return "usage:\n"
         "  wrenfield-cli --version\n"
         "  wrenfield-cli img list ARCHIVE\n"
         "  wrenfield-cli img check ARCHIVE\n"
         "  wrenfield-cli img add ARCHIVE FILE [--name NAME] [--no-replace]\n"
         "  wrenfield-cli img extract ARCHIVE NAME OUTPUT\n"
         "  wrenfield-cli img del ARCHIVE NAME\n"
         "  wrenfield-cli img compact ARCHIVE [--dry-run]\n"
         "  wrenfield-cli read MODDIR|ARCHIVE [--pick FOLDER] [--fields FILE]\n"
         "  wrenfield-cli check GAMEDIR FIELDS [--json]\n"
         "  wrenfield-cli check GAMEDIR --mod MODDIR|ARCHIVE [--pick FOLDER] [--json]\n"
         "  wrenfield-cli install GAMEDIR FIELDS [--force]\n"
         "  wrenfield-cli install GAMEDIR --mod MODDIR|ARCHIVE [--pick FOLDER] [--force]\n"
         "  wrenfield-cli undo GAMEDIR [N] [--force]\n"
         "  wrenfield-cli history GAMEDIR\n"
         "  wrenfield-cli prune GAMEDIR [--keep N] [--yes]\n"
         "  wrenfield-cli demo GAMEDIR MODDIR [--entries N] [--archive-size BYTES] [--force]\n";
}
std::string ImgUsage() {
  return "usage: wrenfield-cli img list ARCHIVE\n"
         "       wrenfield-cli img check ARCHIVE\n"
         "       wrenfield-cli img add ARCHIVE FILE [--name NAME] [--no-replace]\n"
         "       wrenfield-cli img extract ARCHIVE NAME OUTPUT\n"
         "       wrenfield-cli img del ARCHIVE NAME\n"
         "       wrenfield-cli img compact ARCHIVE [--dry-run]\n";
}
std::string ReadUsage() {
  return "usage: wrenfield-cli read MODDIR|ARCHIVE [--pick FOLDER] [--fields FILE]\n";
}
std::string CheckUsage() {
  return "usage: wrenfield-cli check GAMEDIR FIELDS [--json]\n"
         "       wrenfield-cli check GAMEDIR --mod MODDIR|ARCHIVE [--pick FOLDER] [--json]\n";
}
std::string InstallUsage() {
  return "usage: wrenfield-cli install GAMEDIR FIELDS [--force]\n"
         "       wrenfield-cli install GAMEDIR --mod MODDIR|ARCHIVE [--pick FOLDER] [--force]\n";
}
std::string UndoUsage() { return "usage: wrenfield-cli undo GAMEDIR [N] [--force]\n"; }
std::string HistoryUsage() { return "usage: wrenfield-cli history GAMEDIR\n"; }
std::string PruneUsage() { return "usage: wrenfield-cli prune GAMEDIR [--keep N] [--yes]\n"; }
std::string DemoUsage() {
  return "usage: wrenfield-cli demo GAMEDIR MODDIR [--entries N] [--archive-size BYTES] "
         "[--force]\n";
}

// --- The img command ---
std::string ImgFailed(const std::string& what, const std::string& status, int code) {
  return Fill("{1}: {2} (code {3})", {what, status, std::to_string(code)});
}
std::string NoSuchEntry(const std::string& archive, const std::string& name) {
  return Fill("{1} has no entry '{2}'", {archive, name});
}
std::string JournalSetAside(const std::string& archive, const std::string& setAside) {
  return Fill(
      "the record of an interrupted change to {1} did not match the archive and was set aside "
      "as {2}",
      {archive, setAside});
}
std::string JournalNotWritten(const std::string& journal, const std::string& reason, int code) {
  return Fill("cannot write the journal {1}: {2} (code {3})",
              {journal, reason, std::to_string(code)});
}
std::string EntryCount(const std::string& archive, std::size_t entries) {
  return Fill(entries == 1 ? "{1}: {2} entry" : "{1}: {2} entries", {archive, Number(entries)});
}
std::string ListHeading() {
  return "     #  name                         sector   sectors         bytes";
}
std::string Stored(const std::string& file, const std::string& archive, const std::string& name) {
  return Fill("stored {1} in {2} as '{3}'", {file, archive, name});
}
std::string Extracted(const std::string& name, const std::string& output) {
  return Fill("extracted '{1}' to {2}", {name, output});
}
std::string Deleted(const std::string& name, const std::string& archive) {
  return Fill("deleted '{1}' from {2}", {name, archive});
}
std::string JournalCutOff(const std::string& where) {
  return Fill("{1}: a change was cut off; opening the archive rolls it back", {where});
}
std::string JournalStale(const std::string& where) {
  return Fill(
      "{1}: the record of an interrupted change that does not match the archive; opening the "
      "archive sets it aside",
      {where});
}
std::string JournalIncomplete(const std::string& where) {
  return Fill("{1}: an incomplete journal; opening the archive deletes it", {where});
}
std::string JournalLink(const std::string& where) {
  return Fill("{1}: a link where the journal goes, never followed; every change will fail",
              {where});
}
std::string JournalNotAFile(const std::string& where) {
  return Fill("{1}: not a file, where the journal goes; every change will fail", {where});
}
std::string JournalUnreadable(const std::string& where) {
  return Fill("{1}: a journal that cannot be read; the archive cannot be opened", {where});
}
std::string JournalFoundSetAside(const std::string& setAside) {
  return Fill("{1}: the record of an interrupted change that did not match the archive, set aside",
              {setAside});
}
std::string DirectoryCutShort(std::uint64_t length, std::size_t records) {
  return Fill("the file ({1} bytes) ends inside the directory of {2} records",
              {Number(length), Number(records)});
}
std::string EntryPastEnd(std::size_t entry, const std::string& name, std::uint32_t first,
                         std::uint64_t last, std::uint64_t length) {
  return Fill("entry {1} '{2}': sectors {3} to {4} run past the end ({5} bytes)",
              {Number(entry), name, Number(first), Number(last), Number(length)});
}
std::string EntryInsideDirectory(std::size_t entry, const std::string& name, std::uint32_t sector) {
  return Fill("entry {1} '{2}': sector {3} lies inside the header or directory",
              {Number(entry), name, Number(sector)});
}
std::string EntryOverlaps(std::size_t entry, const std::string& name, std::size_t other,
                          const std::string& otherName) {
  return Fill("entry {1} '{2}' overlaps entry {3} '{4}'",
              {Number(entry), name, Number(other), otherName});
}
std::string EntryNameTwice(std::size_t entry, const std::string& name, std::size_t other) {
  return Fill("entry {1} bears the name '{2}' of entry {3}", {Number(entry), name, Number(other)});
}
std::string EntryNameTwiceButCase(std::size_t entry, const std::string& name, std::size_t other,
                                  const std::string& otherName) {
  return Fill("entry {1} bears the name '{2}' of entry {3} '{4}' but for letter case",
              {Number(entry), name, Number(other), otherName});
}
std::string NoHoles(const std::string& archive) { return Fill("{1}: no holes", {archive}); }
std::string Holes(const std::string& archive, std::uint64_t bytes) {
  return Fill("{1}: {2} bytes in holes (img compact gives them back)", {archive, Number(bytes)});
}
std::string DirectoryUnreadable(const std::string& archive, const std::string& status, int code) {
  return Fill("{1}: the directory cannot be read: {2} (code {3})",
              {archive, status, std::to_string(code)});
}
std::string ArchiveSound(const std::string& archive, std::size_t entries, std::uint64_t bytes) {
  return Fill("{1}: {2} entries, {3} bytes: sound", {archive, Number(entries), Number(bytes)});
}
std::string Problems(const std::string& archive, std::size_t problems) {
  return Fill(problems == 1 ? "{1}: {2} problem found" : "{1}: {2} problems found",
              {archive, Number(problems)});
}
std::string PlanInsideDirectory(const std::string& archive) {
  return Fill("{1}: an entry lies inside the directory", {archive});
}
std::string PlanPastEnd(const std::string& archive) {
  return Fill("{1}: an entry runs past the end", {archive});
}
std::string CompactionPlan(const std::string& archive, std::uint64_t length, bool dryRun,
                           std::uint64_t reclaimable, std::uint64_t toMove) {
  return Fill(dryRun ? "{1}: {2} bytes; compaction would reclaim {3} bytes, moving {4} bytes"
                     : "{1}: {2} bytes; compaction reclaims {3} bytes, moving {4} bytes",
              {archive, Number(length), Number(reclaimable), Number(toMove)});
}
std::string CompactProgress(std::uint64_t percent, std::uint64_t moved, std::uint64_t total) {
  std::string places = Number(percent);
  if (places.size() < 3) places.insert(0, 3 - places.size(), ' ');
  return Fill("compacting: {1}% ({2} of {3} bytes moved)", {places, Number(moved), Number(total)});
}
std::string Compacted(const std::string& archive, std::uint64_t before, std::uint64_t after) {
  return Fill("{1}: {2} bytes before, {3} bytes after", {archive, Number(before), Number(after)});
}

// --- Reading, installing and undoing ---
std::string PickHint(const std::string& choice) { return Fill("{1}\n(--pick FOLDER)", {choice}); }
std::string CheckFoundErrors() {
  return "the mod check found errors; nothing was installed (--force installs anyway)";
}
std::string FieldUnfit(const std::string& field) {
  return Fill("the field \"{1}\" holds a line break or a NUL byte; nothing was installed", {field});
}
std::string NothingInstalled(const std::string& reason) {
  return Fill("{1}; nothing was installed", {reason});
}
std::string NothingPruned() { return "nothing pruned; pass --yes to prune without asking"; }
std::string YesNo(const std::string& question) { return Fill("{1} [y/N] ", {question}); }

// --- The demo ---
std::string DemoFolderNotEmpty(const std::string& folder) {
  return Fill("{1} exists and is not empty; give --force to write the demo over it", {folder});
}
std::string DemoArchiveInUse(const std::string& archive) {
  return Fill("{1} is in use by another program; nothing was written", {archive});
}
std::string DemoWritten(const std::string& game, const std::string& mod) {
  return Fill("demo game: {1}\ndemo mod:  {2}", {game, mod});
}

// --- The install fields file (JSON) ---
std::string FieldsJson(const std::string& what, std::size_t at) {
  return Fill("fields JSON: {1} (at byte {2})", {what, Number(at)});
}
std::string JsonTextAfterObject() { return "unexpected text after the object"; }
std::string JsonNotString(const std::string& key) {
  return Fill("\"{1}\" must be a string", {key});
}
std::string JsonNotCp1251(const std::string& key) {
  return Fill("\"{1}\" holds a character that code page 1251 cannot hold", {key});
}
std::string JsonNotBool(const std::string& key) {
  return Fill("\"{1}\" must be true or false", {key});
}
std::string JsonUnterminated() { return "unterminated string"; }
std::string JsonControlCharacter() { return "control character in a string"; }
std::string JsonUnknownEscape() { return "unknown escape in a string"; }
std::string JsonLoneSurrogate() { return "lone surrogate in a string"; }
std::string JsonShortEscape() { return "short \\u escape"; }
std::string JsonBadEscape() { return "bad \\u escape"; }
std::string JsonTooDeep() { return "nesting too deep"; }
std::string JsonUnexpected() { return "unexpected character"; }
std::string JsonExpected(char c) { return Fill("expected '{1}'", {std::string(1, c)}); }

}  // namespace wrenfield::msg::cli
