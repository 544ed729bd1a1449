#include "text_win.h"

#include <windows.h>

namespace wrenfield {
namespace {
constexpr UINT kCodePage1251 = 1251;
}

std::wstring WideFromCp1251(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(kCodePage1251, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(kCodePage1251, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string Cp1251FromWide(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(kCodePage1251, 0, text.data(), size, nullptr, 0, "?", nullptr);
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(kCodePage1251, 0, text.data(), size, narrow.data(), length, "?", nullptr);
  return narrow;
}

}  // namespace wrenfield
