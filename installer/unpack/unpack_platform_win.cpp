// Unpacking's system layer on Windows. Paths are in the system code page, as the
// file-system layer's ANSI functions take them; trees are walked and removed
// through the wide functions so that no name is lost on the way.
#include <archive_entry.h>
#include <windows.h>

#include <cstdio>

#include "error.h"
#include "file_layer.h"
#include "file_system.h"
#include "text_encoding.h"
#include "unpack_messages.h"
#include "unpack_platform.h"

namespace wrenfield::unpack_platform {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::wstring WideFromPath(const std::string& path) {
  const int length =
      MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &wide[0], length);
  }
  return wide;
}

// The wide text in the system code page; false when a character does not fit.
bool PathFromWide(const std::wstring& wide, std::string& path) {
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, usedDefaultOut);
  if (length <= 0 && size > 0) return false;
  path.assign(static_cast<std::size_t>(length), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_ACP, flags, wide.data(), size, &path[0], length, nullptr,
                        usedDefaultOut);
  }
  return !usedDefault;
}

std::wstring WideFromCodePoints(const std::u32string& text) {
  std::wstring wide;
  for (const char32_t c : text) {
    if (c >= 0x10000) {
      wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(c);
    }
  }
  return wide;
}

std::int64_t AgeInSeconds(const FILETIME& time) {
  FILETIME nowTime{};
  GetSystemTimeAsFileTime(&nowTime);
  ULARGE_INTEGER then{}, now{};
  then.LowPart = time.dwLowDateTime, then.HighPart = time.dwHighDateTime;
  now.LowPart = nowTime.dwLowDateTime, now.HighPart = nowTime.dwHighDateTime;
  return static_cast<std::int64_t>(now.QuadPart - then.QuadPart) / 10000000;
}

void RemoveTreeWide(const std::wstring& folder) {
  WIN32_FIND_DATAW data{};
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      const bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (isFolder && !isLink)
        RemoveTreeWide(path);
      else if (isFolder)
        RemoveDirectoryW(path.c_str());
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::string TemporaryFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) {
    throw Error(
        unpack_messages::CannotCreateTemporaryFolder("%TEMP%", SystemErrorText(GetLastError())));
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
  throw Error(unpack_messages::TemporaryFolderNotSpellable(shown));
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
  throw Error(unpack_messages::CannotCreateTemporaryFolder(parent, SystemErrorText(error)));
}

void RemoveTree(const std::string& path) {
  const std::wstring wide = WideFromPath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(wide.c_str());
  } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    RemoveDirectoryW(wide.c_str());
  } else {
    RemoveTreeWide(wide);
  }
}

std::vector<std::string> StaleFolders(const std::string& parent, const std::string& prefix,
                                      std::int64_t maxAgeSeconds) {
  std::vector<std::string> stale;
  const std::wstring folder = WideFromPath(parent);
  WIN32_FIND_DATAW data{};
  const HANDLE search =
      FindFirstFileW((folder + L"\\" + WideFromPath(prefix) + L"*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return stale;
  do {
    const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    std::string name;
    if (!isFolder || isLink || !PathFromWide(data.cFileName, name)) continue;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    if (AgeInSeconds(data.ftLastWriteTime) > maxAgeSeconds) stale.push_back(JoinPath(parent, name));
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return stale;
}

bool FitsPathCodePage(char32_t c) {
  if (c == 0 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
  std::string ignored;
  return PathFromWide(WideFromCodePoints(std::u32string(1, c)), ignored);
}

std::string EncodePath(const std::u32string& text) {
  std::string path;
  PathFromWide(WideFromCodePoints(text), path);
  return path;
}

ArchiveFile::~ArchiveFile() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
}

bool ArchiveFile::Open(const std::string& path, std::string& reason) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    reason = SystemErrorText(GetLastError());
    return false;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    reason = SystemErrorText(ERROR_INVALID_FUNCTION);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

std::int64_t ArchiveFile::Read(void* buffer, std::size_t size) {
  DWORD got = 0;
  const DWORD wanted = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
  if (!ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr)) return -1;
  return got;
}

std::int64_t ArchiveFile::Seek(std::int64_t offset, int whence) {
  const DWORD method = whence == SEEK_SET   ? FILE_BEGIN
                       : whence == SEEK_CUR ? FILE_CURRENT
                                            : FILE_END;
  LARGE_INTEGER distance{}, position{};
  distance.QuadPart = offset;
  if (!SetFilePointerEx(AsHandle(handle_), distance, &position, method)) return -1;
  return position.QuadPart;
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
