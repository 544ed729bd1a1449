#include "mod_folder_list_win.h"

#include "text_win.h"
#include "ui_texts.h"
#include "window_layout_win.h"

namespace wrenfield {
namespace {

// Control classes of a dialog template, by their predefined atoms.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kListBoxAtom = 0x0083;

// A dialog template built in memory (dialog units, the window's font face), so
// the dialog's texts come from the program's code page 1251 texts.
class TDialogTemplate {
 public:
  TDialogTemplate(DWORD style, short width, short height, const std::wstring& title) {
    PutDword(style | DS_SETFONT);
    PutDword(0);
    words_.push_back(0);  // the number of items, counted as they are added
    for (const short value : {short{0}, short{0}, width, height}) PutShort(value);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    PutString(title);
    words_.push_back(8);  // points
    PutString(L"MS Sans Serif");
  }

  void AddItem(DWORD style, short left, short top, short width, short height, WORD id, WORD atom,
               const std::wstring& text) {
    if (words_.size() % 2 != 0) words_.push_back(0);  // items start on a DWORD boundary
    PutDword(style | WS_CHILD | WS_VISIBLE);
    PutDword(0);
    for (const short value : {left, top, width, height}) PutShort(value);
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(atom);
    PutString(text);
    words_.push_back(0);  // no creation data
    ++words_[kItemCountIndex];
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  static constexpr std::size_t kItemCountIndex = 4;  // after the two style words of 32 bits
  void PutDword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void PutShort(short value) { words_.push_back(static_cast<WORD>(value)); }
  void PutString(const std::wstring& text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;
};

struct TListRequest {
  const std::vector<std::string>* folders;
  HFONT font;
  std::size_t choice;
};

BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

void CentreOnOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT area, own;
  if (owner == nullptr || !GetWindowRect(owner, &area)) return;
  GetWindowRect(dialog, &own);
  const int width = own.right - own.left, height = own.bottom - own.top;
  SetWindowPos(dialog, nullptr, (area.left + area.right - width) / 2,
               (area.top + area.bottom - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void Initialise(HWND dialog, const TListRequest& request) {
  if (request.font) EnumChildWindows(dialog, SetChildFont, reinterpret_cast<LPARAM>(request.font));
  HWND list = GetDlgItem(dialog, kModFolderList);
  for (const std::string& folder : *request.folders) {
    SendMessageW(list, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(ModFolderListText(folder).c_str()));
  }
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  CentreOnOwner(dialog);
  SetFocus(list);
}

INT_PTR CALLBACK ModFolderListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = reinterpret_cast<TListRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      Initialise(dialog, *reinterpret_cast<TListRequest*>(lParam));
      return FALSE;  // the focus is set
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const bool doubleClick = id == kModFolderList && HIWORD(wParam) == LBN_DBLCLK;
      if (id == IDOK || doubleClick) {
        const LRESULT selected = SendDlgItemMessageW(dialog, kModFolderList, LB_GETCURSEL, 0, 0);
        if (selected == LB_ERR) return TRUE;
        request->choice = static_cast<std::size_t>(selected);
        EndDialog(dialog, IDOK);
      } else if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

std::wstring ModFolderListText(const std::string& folder) {
  if (folder == ".") return WideFromCp1251(ui_texts::kArchiveTop);
  std::string path = folder;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return WideFromSystem(path);
}

bool ChooseFromModFolderList(HWND owner, const std::vector<std::string>& folders,
                             std::size_t& choice) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const TWindowFonts fonts(dpi > 0 ? dpi : 96);

  TDialogTemplate dialog(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 260, 130,
                         WideFromCp1251(ui_texts::kApplicationTitle));
  dialog.AddItem(SS_LEFT | SS_NOPREFIX, 7, 7, 246, 18, kModFolderHint, kStaticAtom,
                 WideFromCp1251(ui_texts::kChooseModFolder));
  dialog.AddItem(WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 7, 28,
                 246, 76, kModFolderList, kListBoxAtom, L"");
  dialog.AddItem(BS_DEFPUSHBUTTON | WS_TABSTOP, 149, 110, 50, 14, IDOK, kButtonAtom,
                 WideFromCp1251(ui_texts::kOk));
  dialog.AddItem(BS_PUSHBUTTON | WS_TABSTOP, 203, 110, 50, 14, IDCANCEL, kButtonAtom,
                 WideFromCp1251(ui_texts::kCancel));

  TListRequest request{&folders, fonts.Of(TFont::Default), 0};
  const INT_PTR result =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner, ModFolderListProc,
                              reinterpret_cast<LPARAM>(&request));
  if (result != IDOK) return false;
  choice = request.choice;
  return true;
}

}  // namespace wrenfield
