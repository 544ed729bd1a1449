#include "archive_layout.h"

#include "error.h"
#include "file_system.h"
#include "img_directory.h"
#include "install_messages.h"

namespace wrenfield {
namespace {

namespace msg = install_messages;

[[noreturn]] void ThrowDamaged(const std::string& archivePath, const img::Entry& entry) {
  const std::string name(reinterpret_cast<const char*>(entry.name), entry.NameLength());
  throw Error(DamagedEntryMessage(archivePath, name));
}

std::size_t Occurrences(const ArchiveLayout& layout, const std::string& name,
                        const img::Entry** found) {
  std::size_t count = 0;
  for (const img::Entry& entry : layout.entries) {
    if (entry.NameEquals(name.data(), name.size())) {
      *found = &entry;
      ++count;
    }
  }
  return count;
}

}  // namespace

std::string DamagedEntryMessage(const std::string& archivePath, const std::string& name) {
  return msg::kArchiveDamaged + FullPath(archivePath) + msg::kArchiveDamagedEntry + name +
         msg::kArchiveDamagedTail;
}

ArchiveLayout ReadArchiveLayout(const std::string& archivePath) {
  ArchiveLayout layout;
  try {
    const std::string header = ReadFileHead(archivePath, img::kHeaderSize);
    const auto* bytes = reinterpret_cast<const unsigned char*>(header.data());
    std::uint64_t count = 0;
    if (header.size() < img::kHeaderSize || !img::HasMagic(bytes, header.size()) ||
        !FileSize(archivePath, layout.length) ||
        !img::DirectoryCount(bytes, layout.length, &count)) {
      return layout;
    }
    const std::string directory =
        ReadFileHead(archivePath, static_cast<std::size_t>(img::SlotPosition(count)));
    // The records the file ends before read as zero, as Torvane reads them.
    std::string records = directory.substr(img::kDirectoryOffset);
    records.resize(static_cast<std::size_t>(count) * img::kRecordSize, '\0');
    layout.entries.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
      layout.entries.push_back(img::DecodeEntry(
          reinterpret_cast<const unsigned char*>(records.data()) + i * img::kRecordSize));
    }
  } catch (const Error&) {
    return ArchiveLayout();
  }
  layout.known = true;
  return layout;
}

void CheckArchiveChanges(const ArchiveLayout& layout, const std::string& archivePath,
                         const std::vector<std::string>& names) {
  if (!layout.known) return;
  std::uint64_t added = 0;
  for (const std::string& name : names) {
    const img::Entry* entry = nullptr;
    const std::size_t count = Occurrences(layout, name, &entry);
    if (count > 1) {
      throw Error(msg::kArchiveEntryTwice + FullPath(archivePath) + msg::kArchiveEntryTwiceEntry +
                  name + msg::kArchiveEntryTwiceTail);
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
