#include "text_win.h"

#include <windows.h>

namespace wrenfield {
namespace {

constexpr UINT kCodePage1251 = 1251;

std::wstring ToWide(UINT codePage, const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

bool IsUtf8(UINT codePage) {
  return codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
}

// A character the code page lacks becomes "?" rather than a look-alike letter,
// so a path never turns into the name of another, existing file. UTF-8 holds
// every character and takes neither flags nor a replacement character.
std::string FromWide(UINT codePage, const std::wstring& text) {
  if (text.empty()) return std::string();
  const bool utf8 = IsUtf8(codePage);
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* replacement = utf8 ? nullptr : "?";
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, replacement, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), size, narrow.data(), length, replacement,
                      nullptr);
  return narrow;
}

}  // namespace

std::string SystemPathFromWide(const std::wstring& path) {
  const std::string spelt = SystemFromWide(path);
  if (IsUtf8(CP_ACP) || WideFromSystem(spelt) == path) return spelt;
  std::wstring shortForm(MAX_PATH + 1, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), shortForm.data(), MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return spelt;
  shortForm.resize(length);
  const std::string shortSpelt = SystemFromWide(shortForm);
  return WideFromSystem(shortSpelt) == shortForm ? shortSpelt : spelt;
}

std::wstring WideFromCp1251(const std::string& text) { return ToWide(kCodePage1251, text); }
std::string Cp1251FromWide(const std::wstring& text) { return FromWide(kCodePage1251, text); }
std::wstring WideFromSystem(const std::string& path) { return ToWide(CP_ACP, path); }
std::string SystemFromWide(const std::wstring& path) { return FromWide(CP_ACP, path); }

}  // namespace wrenfield
