#include "platform_io_win.h"

#include "text_encoding.h"

namespace wrenfield {

std::string SystemErrorText(DWORD error) {
  const WORD languages[] = {MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)};
  for (const WORD language : languages) {
    wchar_t buffer[512];
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       language, buffer, sizeof buffer / sizeof buffer[0], nullptr);
    std::string text;
    bool representable = length > 0;
    for (DWORD i = 0; i < length && representable; ++i) {
      unsigned char byte = 0;
      representable = CodePointToCp1251(buffer[i], byte);
      text += static_cast<char>(byte);
    }
    if (!representable) continue;
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
    if (!text.empty()) return text;
  }
  return "system error " + std::to_string(error);
}

bool WriteFully(HANDLE file, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace wrenfield
