// POSIX files. Exclusive use is an exclusive, non-blocking flock on the open file
// description: it conflicts with every other description of the same file,
// whether opened by this process or another, unlike a process-owned fcntl lock.
// Every file is locked before it is read or emptied.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "fault_seam.h"
#include "file.h"

namespace torvane {

namespace {

int OpenFlags(File::Mode mode) {
  switch (mode) {
    case File::Mode::kReadWriteExisting:
      return O_RDWR;
    case File::Mode::kReadExisting:
      return O_RDONLY;
    case File::Mode::kReadWriteCreate:
      // Not O_TRUNC: the file is emptied only after the lock is ours.
      return O_RDWR | O_CREAT;
    case File::Mode::kCreateNew:
      return O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
    case File::Mode::kReadWriteNoLink:
      return O_RDWR | O_NOFOLLOW;
  }
  return O_RDONLY;
}

// Only regular files: a folder cannot be read, and a pipe or device as the file
// to add would block or never end.
bool IsRegularFile(int fd) {
  struct stat info;
  return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool File::Open(const char* path, Mode mode) {
  Close();
  if (path == nullptr) return false;
  int fd;
  // O_NONBLOCK: opening a pipe must not wait for a writer; regular files ignore it.
  do fd = ::open(path, OpenFlags(mode) | O_CLOEXEC | O_NONBLOCK, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  handle_ = fd;
  if (!IsRegularFile(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
      (mode == Mode::kReadWriteCreate && ::ftruncate(fd, 0) != 0)) {
    Close();
    return false;
  }
  return true;
}

bool File::Close() {
  if (handle_ == kNoHandle) return true;
  const bool closed = ::close(static_cast<int>(handle_)) == 0;  // also drops the lock
  handle_ = kNoHandle;
  return !FAULT_AT(kClose) && closed;
}

bool File::Size(std::uint64_t* size) const {
  struct stat info;
  if (::fstat(static_cast<int>(handle_), &info) != 0) return false;
  *size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool File::ReadAt(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got) {
  if (FAULT_AT(kRead)) return false;
  auto* bytes = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t r =
        ::pread(static_cast<int>(handle_), bytes + done, n - done, static_cast<off_t>(pos + done));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return false;
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  *got = done;
  return true;
}

bool File::WriteAt(std::uint64_t pos, const void* buffer, std::size_t n) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    if (FAULT_AT(kWrite)) return false;
    const ssize_t w =
        ::pwrite(static_cast<int>(handle_), bytes + done, n - done, static_cast<off_t>(pos + done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    done += static_cast<std::size_t>(w);
  }
  return true;
}

// fdatasync where there is one: it also carries the length, which is all the
// metadata a reader of the bytes needs, and spares the times of access.
bool File::Sync() {
  if (FAULT_AT(kSync)) return false;
  int r;
#if defined(__linux__)
  do r = ::fdatasync(static_cast<int>(handle_));
#else
  do r = ::fsync(static_cast<int>(handle_));
#endif
  while (r != 0 && errno == EINTR);
  return r == 0;
}

bool File::Truncate(std::uint64_t length) {
  if (FAULT_AT(kTruncate)) return false;
  int r;
  do r = ::ftruncate(static_cast<int>(handle_), static_cast<off_t>(length));
  while (r != 0 && errno == EINTR);
  return r == 0;
}

bool File::Id(FileId* id) const {
  struct stat info;
  if (::fstat(static_cast<int>(handle_), &info) != 0) return false;
  *id = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return true;
}

// The path it was opened by, resolved; then checked to lead to this very file,
// in case a name changed in between.
bool File::FinalPath(const char* path, std::string* full) const {
  char* resolved = ::realpath(path, nullptr);
  if (resolved == nullptr) return false;
  *full = resolved;
  ::free(resolved);
  FileId mine, named;
  return Id(&mine) && IdOf(full->c_str(), &named) && mine == named;
}

PathKind KindOf(const char* path) {
  struct stat info;
  if (::lstat(path, &info) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? PathKind::kMissing : PathKind::kUnknown;
  }
  if (S_ISLNK(info.st_mode)) return PathKind::kLink;
  return S_ISREG(info.st_mode) ? PathKind::kFile : PathKind::kOther;
}

bool IdOf(const char* path, FileId* id) {
  struct stat info;
  if (::stat(path, &info) != 0) return false;
  *id = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return true;
}

namespace {

// The folder part of path ("." for a bare name) and the name after it.
void Split(const std::string& path, std::string* folder, std::string* name) {
  const std::size_t slash = path.find_last_of('/');
  *folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// A chain of links is followed as the system would, up to its own limit.
bool LandingOf(const char* path, bool follow_last, FileId* folder, std::string* name) {
  std::string at = path;
  std::string where, last;
  for (int hops = 0;; ++hops) {
    Split(at, &where, &last);
    // A path ending in a separator, ".", or ".." names a folder, never a file to create.
    if (last.empty() || last == "." || last == "..") return false;
    struct stat info;
    if (!follow_last || ::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    if (hops >= 40) return false;
    char target[PATH_MAX];
    const ssize_t n = ::readlink(at.c_str(), target, sizeof target - 1);
    if (n <= 0) return false;
    target[n] = '\0';
    at = target[0] == '/' ? std::string(target) : where + "/" + target;
  }
  *name = last;
  return IdOf(where.c_str(), folder);
}

std::string LastSystemError() { return std::strerror(errno); }

bool SameName(const std::string& a, const std::string& b) { return a == b; }

// RENAME_NOREPLACE where the system has it; elsewhere a second name for the
// file, then the first removed: either way an existing file is never replaced.
// The rename's fallback: never replaces `to`, which link refuses when it exists.
static bool LinkThenUnlink(const char* from, const char* to) {
  return ::link(from, to) == 0 && ::unlink(from) == 0;
}

bool RenameNoReplace(const char* from, const char* to) {
  if (FAULT_AT(kRename)) return false;
  bool renamed = false;
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  renamed = ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0;
  // Some file systems (and older kernels) know no RENAME_NOREPLACE: a hard
  // link refuses an existing `to` just the same.
  if (!renamed && (errno == EINVAL || errno == ENOSYS)) renamed = LinkThenUnlink(from, to);
#else
  renamed = LinkThenUnlink(from, to);
#endif
  return renamed && SyncFolderOf(to);
}

bool RemoveFile(const char* path) {
  if (FAULT_AT(kDelete)) return false;
  return ::unlink(path) == 0;
}

// A new file's name lives in its folder, not in the file: syncing the file
// alone would not keep the name through a power cut.
bool SyncFolderOf(const char* path) {
  if (FAULT_AT(kSync)) return false;
  const char* slash = std::strrchr(path, '/');
  const std::string folder = slash == nullptr ? "."
                             : slash == path  ? "/"
                                              : std::string(path, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int r;
  do r = ::fsync(fd);
  while (r != 0 && errno == EINTR);
  ::close(fd);
  return r == 0;
}

}  // namespace torvane
