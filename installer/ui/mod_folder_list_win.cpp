#include "mod_folder_list_win.h"

#include "dialog_template_win.h"
#include "messages.h"
#include "text_win.h"
#include "window_layout_win.h"

namespace wrenfield {
namespace {

struct TListRequest {
  const std::vector<std::string>* folders;
  HFONT font;
  std::size_t choice;
};

void Initialise(HWND dialog, const TListRequest& request) {
  SetDialogFont(dialog, request.font);
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
  if (folder == ".") return WideFromCp1251(msg::kArchiveTop);
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
                         WideFromCp1251(msg::kApplicationTitle));
  dialog.AddItem(SS_LEFT | SS_NOPREFIX, 7, 7, 246, 18, kModFolderHint, kStaticAtom,
                 WideFromCp1251(msg::kChooseModFolder));
  dialog.AddItem(WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 7, 28,
                 246, 76, kModFolderList, kListBoxAtom, L"");
  dialog.AddItem(BS_DEFPUSHBUTTON | WS_TABSTOP, 149, 110, 50, 14, IDOK, kButtonAtom,
                 WideFromCp1251(msg::kOk));
  dialog.AddItem(BS_PUSHBUTTON | WS_TABSTOP, 203, 110, 50, 14, IDCANCEL, kButtonAtom,
                 WideFromCp1251(msg::kCancel));

  TListRequest request{&folders, fonts.Of(TFont::Default), 0};
  const INT_PTR result =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner, ModFolderListProc,
                              reinterpret_cast<LPARAM>(&request));
  if (result != IDOK) return false;
  choice = request.choice;
  return true;
}

}  // namespace wrenfield
