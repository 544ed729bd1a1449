#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "error.h"
#include "file_system.h"
#include "platform_io_posix.h"
#include "random_access_file.h"

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
