#include "platform_io_posix.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "text_encoding.h"

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
