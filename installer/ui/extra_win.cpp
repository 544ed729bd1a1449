#include "extra_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include "error.h"
#include "text_win.h"

namespace wrenfield::Extra {
namespace {

constexpr wchar_t kColourProperty[] = L"WrenfieldLinkColour";

// A label is a static control that shows text; pictures and lines are static
// controls too, but of other kinds.
bool IsLabel(HWND control) {
  wchar_t className[16] = {};
  GetClassNameW(control, className, 16);
  if (lstrcmpiW(className, L"Static") != 0) return false;
  switch (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
      return true;
    default:
      return false;
  }
}

void SetLinkColour(HWND label, COLORREF colour) {
  if (!IsLabel(label)) throw Error("Invalid class typecast");
  // The colour is kept with the label; the parent paints with it.
  SetPropW(label, kColourProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(colour) + 1));
  InvalidateRect(label, nullptr, TRUE);
}

}  // namespace

void SelectFolder(HWND owner, const std::string& prompt, std::string& result) {
  wchar_t displayName[MAX_PATH + 1] = {};
  const std::wstring title = WideFromCp1251(prompt);
  BROWSEINFOW info = {};
  info.hwndOwner = owner;
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  if (item == nullptr) return;  // cancelled, or the dialog could not be shown
  wchar_t path[MAX_PATH + 1] = {};
  if (SHGetPathFromIDListW(item, path)) result = SystemFromWide(path);
  CoTaskMemFree(item);
}

void OpenLink(const std::string& target) {
  ShellExecuteW(nullptr, L"open", WideFromCp1251(target).c_str(), L"", L"", SW_SHOWNORMAL);
}

void HighlightLink(HWND label) { SetLinkColour(label, kLinkBlue); }

void UnhighlightLink(HWND label) { SetLinkColour(label, kLinkNavy); }

COLORREF LinkColour(HWND label) {
  const UINT_PTR stored = reinterpret_cast<UINT_PTR>(GetPropW(label, kColourProperty));
  return stored == 0 ? kLinkNavy : static_cast<COLORREF>(stored - 1);
}

}  // namespace wrenfield::Extra
