#include "text_win.h"

#include <windows.h>

namespace wrenfield {
namespace {

constexpr UINT kCodePage1251 = 1251;

std::wstring ToWide(UINT codePage, const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string FromWide(UINT codePage, const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, "?", nullptr);
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, narrow.data(), length, "?", nullptr);
  return narrow;
}

}  // namespace

std::wstring WideFromCp1251(const std::string& text) { return ToWide(kCodePage1251, text); }
std::string Cp1251FromWide(const std::wstring& text) { return FromWide(kCodePage1251, text); }
std::wstring WideFromSystem(const std::string& path) { return ToWide(CP_ACP, path); }
std::string SystemFromWide(const std::wstring& path) { return FromWide(CP_ACP, path); }

}  // namespace wrenfield
