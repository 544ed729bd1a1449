// Unpacking's platform parts on Windows, above the file layer: the temporary
// folder and libarchive's names. Paths are in the system code page, as the file
// layer's ANSI functions take them.
#include <archive_entry.h>
#include <windows.h>

#include <cstdio>

#include "error.h"
#include "file_layer.h"
#include "file_system.h"
#include "messages.h"
#include "text_encoding.h"
#include "unpack_platform.h"

namespace wrenfield::unpack_platform {

std::string TemporaryFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) {
    throw Error(msg::CannotCreateTemporaryFolder("%TEMP%", SystemErrorText(GetLastError())));
  }
  std::wstring wide(buffer, length);
  while (wide.size() > 3 && wide.back() == L'\\') wide.pop_back();
  std::string folder;
  if (PathFromWide(wide, folder)) return folder;
  // A user name the system code page lacks: the short form of the folder has none.
  wchar_t shortForm[MAX_PATH + 1];
  const DWORD shortLength = GetShortPathNameW(wide.c_str(), shortForm, MAX_PATH + 1);
  if (shortLength > 0 && shortLength <= MAX_PATH &&
      PathFromWide(std::wstring(shortForm, shortLength), folder)) {
    return folder;
  }
  // Unpacked files could not be named for the reader and Torvane: say why.
  std::string shown;
  for (const wchar_t c : wide) shown += Cp1251OrReplacement(c);
  throw Error(msg::TemporaryFolderNotSpellable(shown));
}

std::string CreatePrivateFolder(const std::string& parent, const std::string& prefix) {
  static unsigned counter = 0;
  DWORD error = ERROR_ALREADY_EXISTS;
  for (int attempt = 0; attempt < 100 && error == ERROR_ALREADY_EXISTS; ++attempt) {
    LARGE_INTEGER ticks{};
    QueryPerformanceCounter(&ticks);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%lx%04x%02x", GetCurrentProcessId(),
                  static_cast<unsigned>(ticks.LowPart & 0xFFFF), ++counter & 0xFF);
    const std::string path = JoinPath(parent, prefix + suffix);
    if (CreateDirectoryA(path.c_str(), nullptr)) return path;
    error = GetLastError();
  }
  throw Error(msg::CannotCreateTemporaryFolder(parent, SystemErrorText(error)));
}

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

}  // namespace wrenfield::unpack_platform
