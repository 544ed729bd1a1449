#include "archive_layout.h"

#include "entry_name.h"
#include "error.h"
#include "file_system.h"
#include "img_change.h"
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

std::vector<std::string> NamesAsTheGameFinds(const ArchiveLayout& layout,
                                             const std::vector<std::string>& names) {
  std::vector<std::string> found;
  for (const std::string& name : names) {
    std::string stored = StoredEntryName(layout, name);
    for (const std::string& earlier : found) {
      if (img::SameNameToGame(earlier.data(), earlier.size(), stored.data(), stored.size())) {
        stored = earlier;
        break;
      }
    }
    found.push_back(stored);
  }
  return found;
}

namespace {

void CheckNamedOnce(const ArchiveLayout& layout, const std::string& archivePath,
                    const std::vector<ArchiveChange>& changes) {
  for (const ArchiveChange& change : changes) {
    const img::Entry* entry = nullptr;
    if (Occurrences(layout, change.name, &entry) > 1) {
      throw Error(msg::ArchiveEntryTwice(FullPath(archivePath), change.name));
    }
  }
}

// The last entry of exactly that name, as Torvane picks the one to replace.
std::size_t LastNamed(const std::vector<img::Entry>& directory, const std::string& name) {
  std::size_t found = directory.size();
  for (std::size_t i = 0; i < directory.size(); ++i) {
    if (directory[i].NameEquals(name.data(), name.size())) found = i;
  }
  return found;
}

// Plays the changes over the directory in memory with Torvane's own rules.
// The entries present before the first change are copied into the record
// before any change, so each of them must be readable whole then.
void CheckTakesInOrder(const ArchiveLayout& layout, const std::string& archivePath,
                       const std::vector<ArchiveChange>& changes,
                       const std::vector<std::string>& names) {
  std::vector<img::Entry> directory = layout.entries;
  std::uint64_t length = layout.length;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const std::string& name = names[i];
    const std::size_t target = LastNamed(directory, name);
    const bool replacing = target < directory.size();
    if (target < layout.entries.size() &&
        !img::InsideArchive(layout.entries[target], layout.length)) {
      ThrowDamaged(archivePath, layout.entries[target]);
    }
    const img::ChangePlan plan =
        replacing ? img::PlanReplacement(directory, length, target, changes[i].bytes)
                  : img::PlanAddition(directory, length, changes[i].bytes);
    if (plan.verdict == img::ChangePlan::Verdict::kUnreadable) {
      ThrowDamaged(archivePath, directory[plan.blocking]);
    }
    if (!plan.ready()) throw Error(msg::ArchiveWriteFailed());
    const img::Entry record = img::MakeEntry(
        static_cast<std::uint32_t>(plan.position / img::kSectorSize),
        static_cast<std::uint32_t>(img::SectorsFor(changes[i].bytes)), name.data(), name.size());
    if (replacing) {
      img::ApplyReplacement(plan, target, record, directory, length);
    } else {
      img::ApplyAddition(plan, record, directory, length);
    }
  }
}

}  // namespace

void CheckArchiveChanges(const ArchiveLayout& layout, const std::string& archivePath,
                         const std::vector<ArchiveChange>& changes) {
  if (!layout.known) return;
  CheckNamedOnce(layout, archivePath, changes);
  std::vector<std::string> names;
  for (const ArchiveChange& change : changes) names.push_back(change.name);
  CheckTakesInOrder(layout, archivePath, changes, NamesAsTheGameFinds(layout, names));
}

}  // namespace wrenfield
