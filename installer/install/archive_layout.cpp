#include "archive_layout.h"

#include "entry_name.h"
#include "error.h"
#include "file_system.h"
#include "img_directory.h"
#include "messages.h"
#include "text_encoding.h"

namespace wrenfield {
namespace {

[[noreturn]] void ThrowDamaged(const std::string& archivePath, const img::Entry& entry) {
  const std::string name(reinterpret_cast<const char*>(entry.name), entry.NameLength());
  throw Error(DamagedEntryMessage(archivePath, name));
}

std::size_t Occurrences(const ArchiveLayout& layout, const std::string& name,
                        const img::Entry** found) {
  std::size_t count = 0;
  for (const img::Entry& entry : layout.entries) {
    if (img::SameNameToGame(reinterpret_cast<const char*>(entry.name), entry.NameLength(),
                            name.data(), name.size())) {
      *found = &entry;
      ++count;
    }
  }
  return count;
}

}  // namespace

std::string DamagedEntryMessage(const std::string& archivePath, const std::string& name) {
  return msg::ArchiveDamaged(PathAsText(FullPath(archivePath)), name);
}

ArchiveLayout ReadArchiveLayout(const std::string& archivePath) {
  ArchiveLayout layout;
  try {
    // The count is checked against the file's length before the directory is
    // read, which bounds what a damaged count can make us read.
    const std::string header = ReadFileHead(archivePath, img::kHeaderSize);
    const auto* bytes = reinterpret_cast<const unsigned char*>(header.data());
    std::uint64_t count = 0;
    if (header.size() < img::kHeaderSize || !img::HasMagic(bytes, header.size()) ||
        !FileSize(archivePath, layout.length) ||
        !img::DirectoryCount(bytes, layout.length, &count)) {
      return ArchiveLayout();
    }
    // Read as Torvane reads it: the records the file ends before are zero.
    const std::string image =
        ReadFileHead(archivePath, static_cast<std::size_t>(img::SlotPosition(count)));
    layout.known = img::DirectoryOfImage(reinterpret_cast<const unsigned char*>(image.data()),
                                         image.size(), layout.entries);
  } catch (const Error&) {
    return ArchiveLayout();
  }
  return layout.known ? layout : ArchiveLayout();
}

std::string StoredEntryName(const ArchiveLayout& layout, const std::string& name) {
  const img::Entry* entry = nullptr;
  if (!layout.known || Occurrences(layout, name, &entry) == 0) return name;
  return std::string(reinterpret_cast<const char*>(entry->name), entry->NameLength());
}

void CheckArchiveChanges(const ArchiveLayout& layout, const std::string& archivePath,
                         const std::vector<std::string>& names) {
  if (!layout.known) return;
  std::uint64_t added = 0;
  for (const std::string& name : names) {
    const img::Entry* entry = nullptr;
    const std::size_t count = Occurrences(layout, name, &entry);
    if (count > 1) {
      throw Error(msg::ArchiveEntryTwice(FullPath(archivePath), name));
    }
    if (count == 0) ++added;
    if (count == 1 && entry->DataEnd() > layout.length) ThrowDamaged(archivePath, *entry);
  }
  if (added == 0) return;
  // Each added record takes the slot past the directory; entries whose data
  // begins there are moved to the archive's end, and must be read whole.
  const std::uint64_t directoryEnd = img::SlotPosition(layout.entries.size() + added);
  for (const img::Entry& entry : layout.entries) {
    if (entry.DataBegin() <= directoryEnd && entry.DataEnd() > layout.length) {
      ThrowDamaged(archivePath, entry);
    }
  }
}

}  // namespace wrenfield
