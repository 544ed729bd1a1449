// Unpacking's system layer: the temporary folder and private folders come from
// the file layer, whose failures become unpacking's own messages here; what is
// left of the platform are libarchive's names, so it stays in this one file
// with the two ways of reading them side by side. On POSIX the names the
// archive gives are turned into code page 1251, the program's own, so that the
// fields show them as the archive spells them; on Windows libarchive gives
// them as wide text.
#include "unpack_platform.h"

#include <archive_entry.h>

#ifndef _WIN32
#include <locale.h>
#endif

#include "error.h"
#include "messages.h"
#include "text_encoding.h"

namespace wrenfield::unpack_platform {

std::string TemporaryFolder() {
  std::string folder;
  FolderFailure failure = FolderFailure::kSystem;
  std::string reason;
  if (::wrenfield::TemporaryFolder(folder, failure, reason)) return folder;
  if (failure == FolderFailure::kNotSpellable) {
    throw Error(msg::TemporaryFolderNotSpellable(reason));
  }
  throw Error(msg::CannotCreateTemporaryFolder("%TEMP%", reason));
}

std::string CreatePrivateFolder(const std::string& parent, const std::string& prefix) {
  std::string path;
  std::string reason;
  if (::wrenfield::CreatePrivateFolder(parent, prefix, path, reason)) return path;
  throw Error(msg::CannotCreateTemporaryFolder(parent, reason));
}

bool EntryNameBytes(archive_entry* entry, std::string& bytes) {
  ClearErrnoForLibarchive();
  const char* raw = archive_entry_pathname(entry);
  if (raw == nullptr) return false;
  bytes = raw;
  return true;
}

#ifdef _WIN32

UnicodeNamesScope::UnicodeNamesScope() {}
UnicodeNamesScope::~UnicodeNamesScope() {}

bool EntryUnicodeName(archive_entry* entry, std::u32string& name) {
  ClearErrnoForLibarchive();
  const wchar_t* wide = archive_entry_pathname_w(entry);
  if (wide == nullptr) return false;
  name.clear();
  for (; *wide != 0; ++wide) {
    char32_t c = static_cast<char16_t>(*wide);
    if (c >= 0xD800 && c <= 0xDBFF && wide[1] >= 0xDC00 && wide[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(*++wide) - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return false;
    }
    name += c;
  }
  return true;
}

#else

UnicodeNamesScope::UnicodeNamesScope() {
  locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (utf8 == static_cast<locale_t>(0)) return;
  state_[0] = utf8;
  state_[1] = ::uselocale(utf8);
}

UnicodeNamesScope::~UnicodeNamesScope() {
  if (state_[0] == nullptr) return;
  ::uselocale(static_cast<locale_t>(state_[1]));
  ::freelocale(static_cast<locale_t>(state_[0]));
}

bool EntryUnicodeName(archive_entry* entry, std::u32string& name) {
  ClearErrnoForLibarchive();
  const char* utf8 = archive_entry_pathname(entry);
  return utf8 != nullptr && Utf8ToCodePoints(utf8, name);
}

#endif

}  // namespace wrenfield::unpack_platform
