#include "extra_win.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

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

bool IsModArchiveName(const wchar_t* name) {
  const wchar_t* extension = PathFindExtensionW(name);
  for (const wchar_t* archive : {L".zip", L".7z", L".rar"}) {
    if (lstrcmpiW(extension, archive) == 0) return true;
  }
  return false;
}

// The filter the folder dialog asks which items to show. It lives on the stack
// of the dialog's caller, so counting references only keeps COM's rules.
class TModSourceFilter : public IFolderFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, __uuidof(IFolderFilter))) {
      *object = static_cast<IFolderFilter*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE ShouldShow(IShellFolder* folder, PCIDLIST_ABSOLUTE,
                                       PCUITEMID_CHILD item) override {
    return ShowsInModDialog(folder, item) ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE GetEnumFlags(IShellFolder*, PCIDLIST_ABSOLUTE, HWND*,
                                         DWORD* flags) override {
    *flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    return S_OK;
  }

 private:
  ULONG references_ = 1;
};

// Hands the filter to the dialog when the dialog offers its site for one.
int CALLBACK ModDialogCallback(HWND, UINT message, LPARAM site, LPARAM filter) {
  if (message != BFFM_IUNKNOWN || site == 0) return 0;
  IFolderFilterSite* filterSite = nullptr;
  if (SUCCEEDED(reinterpret_cast<IUnknown*>(site)->QueryInterface(
          __uuidof(IFolderFilterSite), reinterpret_cast<void**>(&filterSite)))) {
    filterSite->SetFilter(reinterpret_cast<IUnknown*>(filter));
    filterSite->Release();
  }
  return 0;
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

void SelectFolderOrArchive(HWND owner, const std::string& prompt, std::string& result) {
  wchar_t displayName[MAX_PATH + 1] = {};
  const std::wstring title = WideFromCp1251(prompt);
  TModSourceFilter filter;
  BROWSEINFOW info = {};
  info.hwndOwner = owner;
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  // Filtering needs the dialog's newer look; making folders is no part of choosing a mod.
  info.ulFlags =
      BIF_RETURNONLYFSDIRS | BIF_BROWSEINCLUDEFILES | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
  info.lpfn = ModDialogCallback;
  info.lParam = reinterpret_cast<LPARAM>(static_cast<IFolderFilter*>(&filter));
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  if (item == nullptr) return;  // cancelled, or the dialog could not be shown
  wchar_t path[MAX_PATH + 1] = {};
  if (SHGetPathFromIDListW(item, path)) result = SystemPathFromWide(path);
  CoTaskMemFree(item);
}

bool ShowsInModDialog(IShellFolder* folder, PCUITEMID_CHILD item) {
  SFGAOF attributes = SFGAO_FOLDER | SFGAO_STREAM;
  if (FAILED(folder->GetAttributesOf(1, &item, &attributes))) return true;
  // A folder, a drive or a place holding them; a zip file counts as a folder
  // that is also a stream.
  if ((attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM)) return true;
  STRRET name = {};
  wchar_t text[MAX_PATH] = {};
  if (FAILED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &name)) ||
      FAILED(StrRetToBufW(&name, item, text, MAX_PATH)))
    return false;
  return IsModArchiveName(text);
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
