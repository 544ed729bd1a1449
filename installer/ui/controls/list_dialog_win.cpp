#include "list_dialog_win.h"

#include <algorithm>

#include "dialog_template_win.h"

namespace wrenfield {
namespace {

constexpr WORD kFirstAction = 200;  // the action buttons' identifiers, in order

struct TListShown {
  const std::vector<std::wstring>* lines;
  HFONT font;
};

// Fills the list and lets it scroll sideways as far as its longest line.
void FillList(HWND list, const std::vector<std::wstring>& lines) {
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const std::wstring& line : lines) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
    widest = std::max(widest, extent.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
}

INT_PTR CALLBACK ListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto& shown = *reinterpret_cast<const TListShown*>(lParam);
      SetDialogFont(dialog, shown.font);
      FillList(GetDlgItem(dialog, kListDialogList), *shown.lines);
      CentreOnOwner(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) >= kFirstAction) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

int ShowListDialog(HWND owner, HFONT font, const std::wstring& title,
                   const std::vector<std::wstring>& lines, const std::vector<std::wstring>& actions,
                   const std::wstring& closeText) {
  TDialogTemplate dialog(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 360, 170, title);
  dialog.AddItem(
      LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP, 7, 7,
      346, 134, kListDialogList, kListBoxAtom, L"");
  short left = 7;
  for (std::size_t i = 0; i < actions.size(); ++i) {
    dialog.AddItem(BS_PUSHBUTTON | WS_TABSTOP, left, 148, 90, 15,
                   static_cast<WORD>(kFirstAction + i), kButtonAtom, actions[i]);
    left = static_cast<short>(left + 96);
  }
  dialog.AddItem(BS_DEFPUSHBUTTON | WS_TABSTOP, 293, 148, 60, 15, IDOK, kButtonAtom, closeText);
  TListShown shown{&lines, font};
  const INT_PTR pressed = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner,
                                                  ListDialogProc, reinterpret_cast<LPARAM>(&shown));
  return pressed >= kFirstAction ? static_cast<int>(pressed - kFirstAction) : -1;
}

}  // namespace wrenfield
