// The file layer on Linux and other POSIX systems: every call the installer makes
// to the file system, beneath the portable algorithms of file_system.cpp.
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "error.h"
#include "fault_seam.h"
#include "file_layer.h"
#include "file_system.h"
#include "text_encoding.h"

namespace wrenfield {
namespace {

// A call the test seam fails: reported as an I/O error.
bool Injected(bool fails) {
  if (!fails) return false;
  errno = EIO;
  return true;
}

// A file descriptor closed by the destructor.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now; false when the close reports a failure (a delayed write error).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    const bool closed = ::close(fd) == 0;
    return !Injected(FAULT_AT(kClose)) && closed;
  }

 private:
  int fd_;
};

// A directory stream closed by the destructor.
class DirectoryStream {
 public:
  explicit DirectoryStream(const std::string& path) : dir_(::opendir(path.c_str())) {}
  ~DirectoryStream() {
    if (dir_ != nullptr) ::closedir(dir_);
  }
  DirectoryStream(const DirectoryStream&) = delete;
  DirectoryStream& operator=(const DirectoryStream&) = delete;

  bool valid() const { return dir_ != nullptr; }
  const char* NextName() {
    const dirent* entry = ::readdir(dir_);
    return entry != nullptr ? entry->d_name : nullptr;
  }

 private:
  DIR* dir_;
};

// The test seam counts one write per call that has bytes to write.
bool WriteAll(int fd, const char* data, std::size_t size) {
  if (size > 0 && Injected(FAULT_AT(kWrite))) return false;
  return WriteFully(fd, data, size);
}

// Where a write to path lands: the file a symbolic link leads to (the link
// stays), or path itself. A link that leads nowhere yet is written as a file
// of its own.
std::string ResolvedTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The temporary file beside a target. Its name carries the process id, so no
// other running process uses it.
std::string TemporaryNameFor(const std::string& target) {
  return target + ".wrenfield-" + std::to_string(::getpid()) + ".tmp";
}

// The temporary file's name, freed: one that exists already was left by an
// earlier run that ended before its rename, and is removed so that it cannot
// block every later write.
std::string UnusedTemporaryName(const std::string& target) {
  std::string name = TemporaryNameFor(target);
  ::unlink(name.c_str());
  return name;
}

// A temporary file beside a target that either replaces the target (Commit) or
// is removed when it goes out of scope. An existing target's permissions and
// owner pass to the replacement.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& target)
      : target_(ResolvedTarget(target)),
        temporary_(UnusedTemporaryName(target_)),
        fd_(::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)) {
    struct stat info {};
    if (fd_.valid() && ::stat(target_.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      // A different owner can be given only with the right to; the mode stays either way.
      if (::fchown(fd_.get(), info.st_uid, info.st_gid) != 0) errno = 0;
      ::fchmod(fd_.get(), info.st_mode & 07777);
    }
  }
  ~ReplacementFile() {
    if (fd_.valid() || created_) ::unlink(temporary_.c_str());
  }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool opened() const { return fd_.valid(); }
  bool Write(const char* data, std::size_t size) { return WriteAll(fd_.get(), data, size); }
  // Flushes, closes and renames over the target; false with errno set on failure.
  bool Commit() {
    created_ = true;
    if (Injected(FAULT_AT(kSync)) || (::fsync(fd_.get()) != 0 && errno != EINVAL)) return false;
    if (!fd_.Close()) return false;
    if (Injected(FAULT_AT(kRename)) || ::rename(temporary_.c_str(), target_.c_str()) != 0)
      return false;
    created_ = false;
    return true;
  }

 private:
  std::string target_;
  std::string temporary_;
  FileDescriptor fd_;
  bool created_ = false;
};

[[noreturn]] void ThrowCreateError(const std::string& path, int error) {
  throw Error(CreateFileErrorMessage(FullPath(path), SystemErrorText(error)));
}

}  // namespace

bool DirectoryExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool IsRealFolder(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string LastSystemErrorText() { return errno == 0 ? std::string() : SystemErrorText(errno); }

void ClearLastSystemError() { errno = 0; }

std::vector<std::string> FindFiles(const std::string& pattern) {
  const std::size_t split = pattern.rfind(kPathSeparator);
  std::string folder = ".";
  std::string namePattern = pattern;
  if (split != std::string::npos) {
    folder = split == 0 ? std::string(1, kPathSeparator) : pattern.substr(0, split);
    namePattern = pattern.substr(split + 1);
  }
  std::vector<std::string> names;
  DirectoryStream directory(folder);
  if (!directory.valid()) return names;
  while (const char* name = directory.NextName()) {
    if (MatchesWildcard(namePattern, name)) names.emplace_back(name);
  }
  return names;
}

bool CanOpenExclusively(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  return fd.valid() && ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0;
}

[[noreturn]] static void ThrowOpenError(const std::string& path, int error) {
  throw Error(OpenFileErrorMessage(FullPath(path), SystemErrorText(error)));
}

void ReadFileWhile(const std::string& path,
                   const std::function<bool(const char* data, std::size_t size)>& sink) {
  // Opened without waiting, so that a named pipe in a mod folder with no writer
  // reads as empty instead of blocking; reads then wait as usual.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (!fd.valid()) ThrowOpenError(path, errno);
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
    ThrowOpenError(path, errno);
  if (::fstat(fd.get(), &info) != 0) ThrowOpenError(path, errno);
  if (S_ISDIR(info.st_mode)) ThrowOpenError(path, EISDIR);
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ThrowOpenError(path, errno);
    if (got == 0 || !sink(buffer, static_cast<std::size_t>(got))) break;
  }
}

bool FileSize(const std::string& path, std::uint64_t& size) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

void WriteFileReplacing(const std::string& path, const std::string& bytes) {
  ReplacementFile file(path);
  if (!file.opened() || !file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
    ThrowCreateError(path, errno);
  }
}

void CheckReplaceable(const std::string& path) {
  const std::string target = ResolvedTarget(path);
  // Opening for writing without emptying tells an immutable, append-only or
  // unwritable file, and a folder, from a file that can be replaced.
  FileDescriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
  if (!file.valid()) ThrowCreateError(path, errno);
  const std::string temporary = TemporaryNameFor(target);
  struct stat info {};
  if (::lstat(temporary.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    ThrowCreateError(path, EISDIR);
  }
  // The folder must take the temporary file and the rename: writable, not
  // immutable, not on a read-only mount.
  const std::size_t separator = target.rfind(kPathSeparator);
  const std::string folder = separator == std::string::npos ? "."
                             : separator == 0               ? "/"
                                                            : target.substr(0, separator);
  if (::access(folder.c_str(), W_OK | X_OK) != 0) ThrowCreateError(path, errno);
}

void SyncFolder(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) ThrowCreateError(path, errno);
  // Some file systems cannot sync a folder (EINVAL); their entries need no sync.
  if (Injected(FAULT_AT(kSync)) || (::fsync(fd.get()) != 0 && errno != EINVAL)) {
    ThrowCreateError(path, errno);
  }
}

bool TryCreateFolder(const std::string& path, std::string& reason) {
  if (::mkdir(path.c_str(), 0755) == 0) return true;
  const int error = errno;
  struct stat info {};
  if (error == EEXIST && ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
  reason = SystemErrorText(error);
  return false;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RemoveEmptyFolder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

bool CopyFileOver(const std::string& from, const std::string& to) {
  FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (!source.valid() || ::fstat(source.get(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  ReplacementFile target(to);
  if (!target.opened()) return false;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(source.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    if (!target.Write(buffer, static_cast<std::size_t>(got))) return false;
  }
  return target.Commit();
}

std::string FullPath(const std::string& path) {
  if (path.empty() || path[0] == kPathSeparator) return path;
  const std::string directory = WorkingDirectory();
  if (directory.empty()) return path;
  return directory == "/" ? directory + path : JoinPath(directory, path);
}

}  // namespace wrenfield

namespace wrenfield {

std::string SystemErrorText(int error) {
  const std::string text = std::strerror(error);
  std::string converted;
  return Utf8ToCp1251Lossy(text, converted) ? converted : text;
}

bool WriteFully(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace wrenfield

namespace wrenfield {

std::string WorkingDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() >= (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

}  // namespace wrenfield

namespace wrenfield {

RandomAccessFile::RandomAccessFile(const std::string& path) {
  // Without waiting, so that a named pipe never blocks the check.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat info {};
  int error = fd < 0 ? errno : 0;
  if (error == 0 && ::fstat(fd, &info) != 0) error = errno;
  if (error == 0 && !S_ISREG(info.st_mode)) error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  if (error != 0) {
    if (fd >= 0) ::close(fd);
    throw Error(OpenFileErrorMessage(FullPath(path), SystemErrorText(error)));
  }
  handle_ = fd;
  size_ = static_cast<std::uint64_t>(info.st_size);
}

RandomAccessFile::~RandomAccessFile() { ::close(static_cast<int>(handle_)); }

bool RandomAccessFile::ReadSome(std::uint64_t pos, unsigned char* bytes, std::size_t n,
                                std::size_t& got) const {
  got = 0;
  while (got < n) {
    const ssize_t r =
        ::pread(static_cast<int>(handle_), bytes + got, n - got, static_cast<off_t>(pos + got));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return false;
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  return true;
}

bool RandomAccessFile::ReadAt(std::uint64_t pos, unsigned char* bytes, std::size_t n) const {
  std::size_t got = 0;
  return ReadSome(pos, bytes, n, got) && got == n;
}

}  // namespace wrenfield

namespace wrenfield {

NewFile::~NewFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool NewFile::Create(const std::string& path, std::string& reason) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    reason = SystemErrorText(errno);
    return false;
  }
  handle_ = fd;
  return true;
}

bool NewFile::Write(const void* data, std::size_t size, std::string& reason) {
  if (FAULT_AT(kWrite)) {
    reason = SystemErrorText(EIO);
    return false;
  }
  if (WriteFully(static_cast<int>(handle_), static_cast<const char*>(data), size)) return true;
  reason = SystemErrorText(errno);
  return false;
}

bool NewFile::Close(std::string& reason) {
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  if (FAULT_AT(kClose)) {
    ::close(fd);
    errno = EIO;
  } else if (::close(fd) == 0) {
    return true;
  }
  reason = SystemErrorText(errno);
  return false;
}

}  // namespace wrenfield

namespace wrenfield {
namespace {

int RemoveOne(const char* path, const struct stat*, int type, struct FTW*) {
  if (type == FTW_DP)
    ::rmdir(path);
  else
    ::unlink(path);
  return 0;
}

}  // namespace

bool TemporaryFolder(std::string& folder, FolderFailure&, std::string&) {
  const char* fromEnvironment = std::getenv("TMPDIR");
  folder = fromEnvironment != nullptr && fromEnvironment[0] == '/' ? fromEnvironment : "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return true;
}

bool CreatePrivateFolder(const std::string& parent, const std::string& prefix, std::string& path,
                         std::string& reason) {
  path = JoinPath(parent, prefix + "XXXXXX");
  if (::mkdtemp(&path[0]) != nullptr) return true;
  reason = SystemErrorText(errno);
  return false;
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

}  // namespace wrenfield
