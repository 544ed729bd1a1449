// The unpacking pass over libarchive's entries, after passes that only read names.
// Zip names need a pass of their own first: libarchive gives a name stored without
// the UTF-8 flag as raw bytes, a flagged one already converted, and on Windows the
// two cannot be told apart. So a first pass keeps every name's raw bytes, and the
// later passes read the archive again with every name taken as UTF-8: a name that
// is not valid UTF-8 then fails to convert and its raw bytes are read as code page
// 866. Every archive's names are known whole before anything is written, so that a
// name that needs no converting keeps it, whatever converted name comes first.
#include "archive_unpack.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "entry_path.h"
#include "error.h"
#include "file_system.h"
#include "messages.h"
#include "unpack_platform.h"

namespace wrenfield {
namespace {

namespace platform = unpack_platform;

constexpr std::size_t kReadBlock = 64 * 1024;
// Names of RAR 4 entries without the Unicode flag are in the DOS code page of the
// packing system: the Russian one, as for zip.
constexpr char kFirstPassOptions[] = "rar:hdrcharset=CP866";
constexpr char kZipNamesAsUtf8[] = "rar:hdrcharset=CP866,zip:hdrcharset=UTF-8";

// Where libarchive reads the archive from; each Open starts from the beginning.
class Source {
 public:
  virtual ~Source() = default;
  virtual int Open(archive* reader) = 0;
};

class FileSource : public Source {
 public:
  explicit FileSource(const std::string& path) {
    std::string reason;
    if (!file_.Open(path, reason)) throw Error(OpenFileErrorMessage(FullPath(path), reason));
  }

  int Open(archive* reader) override {
    if (file_.Seek(0, SEEK_SET) != 0) return ARCHIVE_FATAL;
    archive_read_set_callback_data(reader, this);
    archive_read_set_read_callback(reader, Read);
    archive_read_set_seek_callback(reader, Seek);
    archive_read_set_skip_callback(reader, Skip);
    return archive_read_open1(reader);
  }

 private:
  static la_ssize_t Read(archive* reader, void* self, const void** block) {
    FileSource& source = *static_cast<FileSource*>(self);
    *block = source.buffer_.get();
    const std::int64_t got = source.file_.Read(source.buffer_.get(), kReadBlock);
    if (got < 0) archive_set_error(reader, EIO, "read error");
    return static_cast<la_ssize_t>(got);
  }
  static la_int64_t Seek(archive*, void* self, la_int64_t offset, int whence) {
    const std::int64_t position = static_cast<FileSource*>(self)->file_.Seek(offset, whence);
    return position < 0 ? ARCHIVE_FATAL : position;
  }
  static la_int64_t Skip(archive*, void* self, la_int64_t request) {
    platform::ArchiveFile& file = static_cast<FileSource*>(self)->file_;
    const std::int64_t from = file.Seek(0, SEEK_CUR);
    const std::int64_t to = from < 0 ? -1 : file.Seek(request, SEEK_CUR);
    return to < 0 ? 0 : to - from;
  }

  platform::ArchiveFile file_;
  std::unique_ptr<char[]> buffer_{new char[kReadBlock]};
};

class MemorySource : public Source {
 public:
  MemorySource(const void* data, std::size_t size) : data_(data), size_(size) {}
  int Open(archive* reader) override { return archive_read_open_memory(reader, data_, size_); }

 private:
  const void* data_;
  std::size_t size_;
};

// One libarchive reader over the source, taking the mod archive formats only.
class Reader {
 public:
  Reader(Source& source, const char* options) : reader_(archive_read_new()) {
    if (reader_ == nullptr) throw std::bad_alloc();
    archive_read_support_format_zip(reader_);
    archive_read_support_format_7zip(reader_);
    archive_read_support_format_rar(reader_);
    archive_read_support_format_rar5(reader_);
    archive_read_set_options(reader_, options);
    opened_ = source.Open(reader_) == ARCHIVE_OK;
  }
  ~Reader() { archive_read_free(reader_); }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  archive* get() const { return reader_; }
  int Next(archive_entry*& entry) {
    platform::ClearErrnoForLibarchive();
    return opened_ ? archive_read_next_header(reader_, &entry) : ARCHIVE_FATAL;
  }
  bool IsZip() const {
    return (archive_format(reader_) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_ZIP;
  }
  bool Recognized() const { return archive_format(reader_) != 0; }
  bool SawEncryption(archive_entry* entry) const {
    return archive_read_has_encrypted_entries(reader_) > 0 ||
           (entry != nullptr && archive_entry_is_encrypted(entry));
  }

 private:
  archive* reader_;
  bool opened_ = false;
};

enum class Kind { kFolder, kFile };

// Archivers on Windows often mark a zip folder entry only by the "/" its name
// ends in, leaving the attributes zero; libarchive then sees a folder only when
// it could convert the name.
bool EndsInSeparator(const std::u32string& name) {
  return !name.empty() && (name.back() == U'/' || name.back() == U'\\');
}

class Unpacker {
 public:
  Unpacker(Source& source, const std::string& displayName, const std::string& folder,
           const UnpackLimits& limits)
      : source_(source), archiveName_(displayName), folder_(folder), limits_(limits) {}

  std::vector<std::string> Run() {
    platform::UnicodeNamesScope unicodeNames;
    Reader first(source_, kFirstPassOptions);
    archive_entry* entry = nullptr;
    const int status = first.Next(entry);
    if (status < ARCHIVE_WARN && !first.Recognized()) {
      throw Error(msg::NotAModArchive(archiveName_));
    }
    const char* options = kFirstPassOptions;
    std::vector<std::u32string> names;
    if (first.IsZip()) {
      const std::vector<std::string> rawNames = RawNames(first, entry, status);
      options = kZipNamesAsUtf8;
      Reader second(source_, options);
      names = Names(second, entry, second.Next(entry), &rawNames);
    } else {
      names = Names(first, entry, status, nullptr);
    }
    ReserveUnconvertedNames(names);
    Reader unpacking(source_, options);
    UnpackEntries(unpacking, entry, unpacking.Next(entry), names);
    return std::move(files_);
  }

 private:
  // The first pass over a zip archive: every entry checked, no data read.
  std::vector<std::string> RawNames(Reader& reader, archive_entry* entry, int status) {
    std::vector<std::string> names;
    for (; status != ARCHIVE_EOF; status = reader.Next(entry)) {
      if (status < ARCHIVE_WARN) Refuse(reader, entry, U"");
      std::string bytes;
      platform::EntryNameBytes(entry, bytes);
      CheckEntry(reader, entry, names.size(), DecodeLegacyName(bytes));
      names.push_back(std::move(bytes));
    }
    return names;
  }

  // Every entry's name as it is unpacked, and every entry checked, no data read.
  std::vector<std::u32string> Names(Reader& reader, archive_entry* entry, int status,
                                    const std::vector<std::string>* rawNames) {
    std::vector<std::u32string> names;
    for (; status != ARCHIVE_EOF; status = reader.Next(entry)) {
      if (status < ARCHIVE_WARN) Refuse(reader, entry, U"");
      // The second reading of a zip archive must meet the entries of the first.
      if (rawNames != nullptr && names.size() >= rawNames->size()) Refuse(reader, nullptr, U"");
      const std::string* rawName = rawNames != nullptr ? &(*rawNames)[names.size()] : nullptr;
      names.push_back(NameOf(entry, rawName));
      CheckEntry(reader, entry, names.size() - 1, names.back());
    }
    if (rawNames != nullptr && names.size() != rawNames->size()) Refuse(reader, nullptr, U"");
    return names;
  }

  // The unpacking reading must meet the entries of the one that named them.
  void UnpackEntries(Reader& reader, archive_entry* entry, int status,
                     const std::vector<std::u32string>& names) {
    std::size_t index = 0;
    for (; status != ARCHIVE_EOF; ++index, status = reader.Next(entry)) {
      if (status < ARCHIVE_WARN) Refuse(reader, entry, U"");
      if (index >= names.size()) Refuse(reader, nullptr, U"");
      CheckEntry(reader, entry, index, names[index]);
      Place(reader, entry, names[index]);
    }
    if (index != names.size()) Refuse(reader, nullptr, U"");
  }

  // Each folder's parts that the path code page spells as they are: no converted
  // name may be spelt like one of them.
  void ReserveUnconvertedNames(const std::vector<std::u32string>& names) {
    std::vector<std::u32string> parts;
    for (const std::u32string& name : names) {
      if (!SplitEntryName(name, parts)) continue;  // refused when it is unpacked
      std::u32string key;
      for (std::size_t i = 0; i < parts.size() && IsPortablePathPart(parts[i]); ++i) {
        const std::u32string folded = FoldedPathPart(parts[i]);
        if (SpellablePathPart(parts[i], platform::FitsPathCodePage) == parts[i]) {
          unconverted_[key].insert(folded);
        }
        key += (i == 0 ? U"" : U"/") + folded;
      }
    }
  }

  static std::u32string NameOf(archive_entry* entry, const std::string* rawName) {
    std::u32string name;
    const bool converted = platform::EntryUnicodeName(entry, name);
    if (rawName == nullptr) return converted ? name : U"";
    if (converted && name.find(U'\uFFFD') == std::u32string::npos) return name;
    return DecodeLegacyName(*rawName);
  }

  // What may be refused before an entry's data is read.
  void CheckEntry(Reader& reader, archive_entry* entry, std::size_t index,
                  const std::u32string& name) {
    if (index >= limits_.maxEntries) {
      throw Error(msg::TooManyEntries(archiveName_, limits_.maxEntries));
    }
    if (reader.SawEncryption(entry)) throw Error(msg::PasswordProtected(archiveName_));
    const auto type = archive_entry_filetype(entry);
    platform::ClearErrnoForLibarchive();
    const bool hardLink =
        archive_entry_hardlink(entry) != nullptr || archive_entry_hardlink_w(entry) != nullptr;
    if ((type != AE_IFREG && type != AE_IFDIR) || hardLink) {
      throw Error(msg::LinkOrSpecialFile(archiveName_, NameForMessage(name)));
    }
  }

  // The folders and the file of one entry, created inside the unpack folder.
  void Place(Reader& reader, archive_entry* entry, const std::u32string& name) {
    std::vector<std::u32string> parts;
    if (!SplitEntryName(name, parts)) RefuseName(name);
    const bool isFolder = archive_entry_filetype(entry) == AE_IFDIR || EndsInSeparator(name);
    if (parts.empty()) {
      if (isFolder) return;
      RefuseName(name);
    }
    std::u32string key;  // the entry's name as Windows compares names
    const Spelling* folder = nullptr;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      if (!IsPortablePathPart(parts[i])) RefuseName(name);
      // The resource forks a Mac adds beside every file are no part of the mod.
      if (i == 0 && FoldedPathPart(parts[i]) == U"__MACOSX") return;
      const std::u32string parentKey = key;
      key += (i == 0 ? U"" : U"/") + FoldedPathPart(parts[i]);
      folder = &SpellingOf(key, parentKey, folder, parts[i]);
      if (i + 1 < parts.size() || isFolder) MakeFolder(key, folder->relative, name);
    }
    if (!isFolder) WriteFile(reader, key, folder->relative, name);
  }

  // How a path inside the archive is written: its folded form and its path text.
  struct Spelling {
    std::u32string folded;
    std::string relative;
  };

  // The spelling of the path `key` (its last part `part`) inside `parent` (nullptr
  // at the top, else the folder of `parentKey`), kept so that every entry below a
  // folder finds it. Names that only differ in characters the path code page lacks
  // are spelt alike: the later one is numbered apart, and a converted one also
  // from every name of its folder that needs no converting, so that a sound
  // archive unpacks on any system and a real name holds its own bytes.
  const Spelling& SpellingOf(const std::u32string& key, const std::u32string& parentKey,
                             const Spelling* parent, const std::u32string& part) {
    const auto known = spellings_.find(key);
    if (known != spellings_.end()) return known->second;
    const std::u32string spelt = SpellablePathPart(part, platform::FitsPathCodePage);
    const std::u32string above = parent != nullptr ? parent->folded + U"/" : U"";
    const std::set<std::u32string>& unconverted = unconverted_[parentKey];
    const bool converted = spelt != part;
    auto taken = [&](const std::u32string& written) {
      const std::u32string folded = FoldedPathPart(written);
      return spelled_.count(above + folded) != 0 || (converted && unconverted.count(folded) != 0);
    };
    std::u32string written = spelt;
    for (unsigned number = 2; taken(written); ++number) {
      written = NumberedPathPart(spelt, number);
    }
    spelled_.insert(above + FoldedPathPart(written));
    const std::string text = platform::EncodePath(written);
    Spelling spelling{above + FoldedPathPart(written),
                      parent != nullptr ? parent->relative + "/" + text : text};
    return spellings_.emplace(key, std::move(spelling)).first->second;
  }

  void MakeFolder(const std::u32string& key, const std::string& relative,
                  const std::u32string& name) {
    const auto found = seen_.find(key);
    if (found != seen_.end()) {
      if (found->second == Kind::kFile) RefuseTwice(name);
      return;
    }
    std::string reason;
    const std::string path = FullPathOf(relative);
    if (!TryCreateFolder(path, reason)) {
      throw Error(msg::CannotCreateFolder(path, reason));
    }
    seen_.emplace(key, Kind::kFolder);
  }

  void WriteFile(Reader& reader, const std::u32string& key, const std::string& relative,
                 const std::u32string& name) {
    if (!seen_.emplace(key, Kind::kFile).second) RefuseTwice(name);
    const std::string path = FullPathOf(relative);
    platform::NewFile file;
    std::string reason;
    if (!file.Create(path, reason)) throw Error(CreateFileErrorMessage(path, reason));
    const void* block = nullptr;
    std::size_t size = 0;
    la_int64_t offset = 0;
    std::uint64_t position = 0;
    for (;;) {
      platform::ClearErrnoForLibarchive();
      const int status = archive_read_data_block(reader.get(), &block, &size, &offset);
      if (status == ARCHIVE_EOF) break;
      if (status != ARCHIVE_OK || offset < 0 || static_cast<std::uint64_t>(offset) < position) {
        Refuse(reader, nullptr, name);
      }
      // A gap the format leaves unwritten (a sparse run) holds zero bytes.
      static const char kZeros[kReadBlock] = {};
      while (position < static_cast<std::uint64_t>(offset)) {
        const std::size_t run = static_cast<std::size_t>(
            std::min<std::uint64_t>(kReadBlock, static_cast<std::uint64_t>(offset) - position));
        Append(file, path, kZeros, run);
        position += run;
      }
      Append(file, path, block, size);
      position += size;
    }
    if (!file.Close(reason)) throw Error(CreateFileErrorMessage(path, reason));
    files_.push_back(relative);
  }

  void Append(platform::NewFile& file, const std::string& path, const void* data,
              std::size_t size) {
    if (size > limits_.maxBytes - unpackedBytes_) {
      throw Error(msg::TooLarge(archiveName_, limits_.maxBytes));
    }
    unpackedBytes_ += size;
    std::string reason;
    if (!file.Write(data, size, reason)) throw Error(CreateFileErrorMessage(path, reason));
  }

  std::string FullPathOf(const std::string& relative) const {
    std::string path = folder_;
    path += kPathSeparator;
    for (const char c : relative) path += c == '/' ? kPathSeparator : c;
    return path;
  }

  // A failure libarchive reported: a password, or damage.
  [[noreturn]] void Refuse(Reader& reader, archive_entry* entry, const std::u32string& name) {
    if (reader.SawEncryption(entry)) throw Error(msg::PasswordProtected(archiveName_));
    const char* detail = archive_error_string(reader.get());
    const std::string text = detail != nullptr ? detail : "";
    if (text.find("ncrypt") != std::string::npos) {
      throw Error(msg::PasswordProtected(archiveName_));
    }
    const std::string entryName = NameForMessage(name);
    throw Error(entryName.empty() ? msg::ModArchiveDamaged(archiveName_)
                                  : msg::ModArchiveDamagedIn(archiveName_, entryName));
  }
  [[noreturn]] void RefuseName(const std::u32string& name) {
    throw Error(msg::UnsafeName(archiveName_, NameForMessage(name)));
  }
  [[noreturn]] void RefuseTwice(const std::u32string& name) {
    throw Error(msg::SameNameTwice(archiveName_, NameForMessage(name)));
  }

  Source& source_;
  const std::string archiveName_;
  const std::string folder_;
  const UnpackLimits limits_;
  std::uint64_t unpackedBytes_ = 0;
  std::map<std::u32string, Kind> seen_;
  std::map<std::u32string, Spelling> spellings_;  // by the folded name in the archive
  std::set<std::u32string> spelled_;              // the folded paths as written
  // By the folded name of a folder in the archive ("" at the top): the folded
  // parts inside it that are written as they are.
  std::map<std::u32string, std::set<std::u32string>> unconverted_;
  std::vector<std::string> files_;
};

}  // namespace

std::vector<std::string> UnpackArchive(const std::string& archivePath, const std::string& folder,
                                       const UnpackLimits& limits) {
  FileSource source(archivePath);
  return Unpacker(source, FullPath(archivePath), folder, limits).Run();
}

std::vector<std::string> UnpackArchiveBytes(const void* data, std::size_t size,
                                            const std::string& displayName,
                                            const std::string& folder, const UnpackLimits& limits) {
  MemorySource source(data, size);
  return Unpacker(source, displayName, folder, limits).Run();
}

}  // namespace wrenfield
