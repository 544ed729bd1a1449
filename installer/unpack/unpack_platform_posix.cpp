// Unpacking's platform parts on Linux and other POSIX systems, above the file
// layer: the temporary folder and libarchive's names. Paths are bytes; the names
// the archive gives are written in code page 1251, the program's own, so that the
// fields show them as the archive spells them.
#include <archive_entry.h>
#include <locale.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "error.h"
#include "file_layer.h"
#include "file_system.h"
#include "messages.h"
#include "text_encoding.h"
#include "unpack_platform.h"

namespace wrenfield::unpack_platform {

std::string TemporaryFolder() {
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::string folder =
      fromEnvironment != nullptr && fromEnvironment[0] == '/' ? fromEnvironment : "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string CreatePrivateFolder(const std::string& parent, const std::string& prefix) {
  std::string path = JoinPath(parent, prefix + "XXXXXX");
  if (::mkdtemp(&path[0]) == nullptr) {
    throw Error(msg::CannotCreateTemporaryFolder(parent, SystemErrorText(errno)));
  }
  return path;
}

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

}  // namespace wrenfield::unpack_platform
