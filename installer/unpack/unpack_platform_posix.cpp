// Unpacking's system layer on Linux and other POSIX systems. Paths are bytes; the
// names the archive gives are written in code page 1251, the program's own, so
// that the fields show them as the archive spells them.
#include <archive_entry.h>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "error.h"
#include "file_layer.h"
#include "file_system.h"
#include "text_encoding.h"
#include "unpack_messages.h"
#include "unpack_platform.h"

namespace wrenfield::unpack_platform {
namespace {

int RemoveOne(const char* path, const struct stat*, int type, struct FTW*) {
  if (type == FTW_DP)
    ::rmdir(path);
  else
    ::unlink(path);
  return 0;
}

}  // namespace

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
    throw Error(unpack_messages::CannotCreateTemporaryFolder(parent, SystemErrorText(errno)));
  }
  return path;
}

void RemoveTree(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return;
  if (!S_ISDIR(info.st_mode)) {
    ::unlink(path.c_str());
    return;
  }
  // Children first, links removed as links, never leaving the folder's file system.
  ::nftw(path.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
}

std::vector<std::string> StaleFolders(const std::string& parent, const std::string& prefix,
                                      std::int64_t maxAgeSeconds) {
  std::vector<std::string> stale;
  DIR* directory = ::opendir(parent.c_str());
  if (directory == nullptr) return stale;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(directory)) {
    if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0) continue;
    const std::string path = JoinPath(parent, entry->d_name);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
    if (info.st_uid != ::geteuid()) continue;
    if (now - info.st_mtime > maxAgeSeconds) stale.push_back(path);
  }
  ::closedir(directory);
  return stale;
}

bool FitsPathCodePage(char32_t c) {
  unsigned char byte = 0;
  return c != 0 && CodePointToCp1251(c, byte);
}

std::string EncodePath(const std::u32string& text) {
  std::string path;
  for (const char32_t c : text) {
    unsigned char byte = '_';
    CodePointToCp1251(c, byte);
    path += static_cast<char>(byte);
  }
  return path;
}

ArchiveFile::~ArchiveFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool ArchiveFile::Open(const std::string& path, std::string& reason) {
  // Opened without waiting, so that a named pipe cannot hang the program.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    reason = SystemErrorText(fd < 0 ? errno : (S_ISDIR(info.st_mode) ? EISDIR : EINVAL));
    if (fd >= 0) ::close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

std::int64_t ArchiveFile::Read(void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(handle_), buffer, size);
    if (got < 0 && errno == EINTR) continue;
    return got;
  }
}

std::int64_t ArchiveFile::Seek(std::int64_t offset, int whence) {
  return ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), whence);
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
