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

// Raises Error naming the archive and the entry when one of the names occurs
// more than once, letter case aside as the game finds entries (which of them a
// replacement would take, and which the game uses, is unclear), when an
// entry to be replaced has data past the archive's end (its old bytes could
// not be kept), or when adding the names not present would have to move an
// entry whose data runs past the end. An unknown layout passes.
void CheckArchiveChanges(const ArchiveLayout& layout, const std::string& archivePath,
                         const std::vector<std::string>& names);

// The name of the entry the game finds for `name`: the stored name of the entry
// that differs from it only in the letter case of ASCII letters, or `name`
// itself when the archive holds none (or it is unknown). Passing the stored
// name to the library, whose matching is exact, makes a file replace the entry
// the game uses instead of adding one it never sees.
std::string StoredEntryName(const ArchiveLayout& layout, const std::string& name);

}  // namespace wrenfield
