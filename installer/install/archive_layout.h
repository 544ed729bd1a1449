// The archive's directory read from its file before the archive is opened for
// a change, so that a change Torvane would refuse half-way is refused first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "img_records.h"

namespace wrenfield {

struct ArchiveLayout {
  bool known = false;  // false: the file could not be read as an archive (IMGOpen will say)
  std::vector<img::Entry> entries;
  std::uint64_t length = 0;
};

ArchiveLayout ReadArchiveLayout(const std::string& archivePath);

// "IMG-архив '<path>' повреждён: данные записи '<name>' выходят за конец файла"
std::string DamagedEntryMessage(const std::string& archivePath, const std::string& name);

// A file the installation puts into the archive: its entry name as the mod
// names it, and its size.
struct ArchiveChange {
  std::string name;
  std::uint64_t bytes = 0;
};

// Raises Error naming the archive and the entry when one of the names occurs
// more than once, letter case aside as the game finds entries (which of them a
// replacement would take, and which the game uses, is unclear), when an
// entry to be replaced cannot be read whole (its old bytes could not be kept),
// or when Torvane would refuse one of the changes, taken in order under the
// names the game finds (NamesAsTheGameFinds): an addition that would have to
// move an entry running past the end. An unknown layout passes.
void CheckArchiveChanges(const ArchiveLayout& layout, const std::string& archivePath,
                         const std::vector<ArchiveChange>& changes);

// The name of the entry the game finds for `name`: the stored name of the entry
// that differs from it only in the letter case of ASCII letters, or `name`
// itself when the archive holds none (or it is unknown). Passing the stored
// name to the library, whose matching is exact, makes a file replace the entry
// the game uses instead of adding one it never sees.
std::string StoredEntryName(const ArchiveLayout& layout, const std::string& name);

// Each name as StoredEntryName gives it, except that names the game takes for
// an earlier one's become that one's: such files go into one entry.
std::vector<std::string> NamesAsTheGameFinds(const ArchiveLayout& layout,
                                             const std::vector<std::string>& names);

}  // namespace wrenfield
